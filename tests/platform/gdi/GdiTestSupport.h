// Test-side pictures: a source DIB kept both as plain values and as GDI memory, a destination DIB
// section in a memory context, and a pixel reader written independently of the layer's own.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace aldra::test {

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];

    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

inline uint32_t ExpectedStride(uint32_t bpp, uint32_t width) {
    return (bpp * width + 31) / 32 * 4;
}

inline DibInfo MakeInfo(uint32_t bpp, int32_t width, int32_t height, uint32_t colours = 0) {
    DibInfo d{};
    d.header = BITMAPINFOHEADER{40, width, height, 1, static_cast<WORD>(bpp), BI_RGB, 0, 0, 0, colours, 0};
    return d;
}

// The byte row holding picture row y (counted from the top) of a DIB of that header height.
inline uint8_t* RowOf(const uint8_t* bits, uint32_t bpp, uint32_t width, int32_t headerHeight, int y) {
    const int memoryRow = headerHeight < 0 ? y : headerHeight - 1 - y;
    return const_cast<uint8_t*>(bits) + static_cast<size_t>(memoryRow) * ExpectedStride(bpp, width);
}

// Pixel (x, y): the index for indexed depths, blue | green << 8 | red << 16 for 24 bits.
inline uint32_t ReadPixel(const uint8_t* bits, uint32_t bpp, uint32_t width, int32_t height, int x, int y) {
    const uint8_t* row = RowOf(bits, bpp, width, height, y);
    if (bpp == 1) return (row[x / 8] >> (7 - x % 8)) & 1;
    if (bpp == 4) return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
    if (bpp == 8) return row[x];
    return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
}

inline void WritePixel(uint8_t* bits, uint32_t bpp, uint32_t width, int32_t height, int x, int y,
                       uint32_t v) {
    uint8_t* row = RowOf(bits, bpp, width, height, y);
    const int perByte = bpp < 8 ? 8 / static_cast<int>(bpp) : 1;
    if (bpp < 8) {
        const int shift = 8 - static_cast<int>(bpp) * (x % perByte + 1);
        const int mask = ((1 << bpp) - 1) << shift;
        row[x / perByte] = static_cast<uint8_t>((row[x / perByte] & ~mask) | ((v << shift) & mask));
    } else {
        for (uint32_t c = 0; c < bpp / 8; ++c) row[bpp / 8 * x + c] = static_cast<uint8_t>(v >> (8 * c));
    }
}

inline uint32_t Packed(const RGBQUAD& c) {
    return c.rgbBlue | (c.rgbGreen << 8) | (c.rgbRed << 16);
}

// A source picture whose every pixel differs from its neighbours as far as the depth allows; `levels`
// limits the indices used.
struct SourceDib {
    DibInfo info;
    std::vector<uint8_t> bits;
    std::vector<uint32_t> values;  // row-major, top row first
    uint32_t bpp;
    int width;

    SourceDib(uint32_t depth, int w, int h, bool topDown, uint32_t levels = 0) : bpp(depth), width(w) {
        info = MakeInfo(depth, w, topDown ? -h : h, levels);
        for (uint32_t i = 0; depth <= 8 && i < (1u << depth); ++i)
            info.colours[i] = RGBQUAD{BYTE(i * 37 + 11), BYTE(255 - i), BYTE(i * 3 + 1), 0};
        bits.assign(static_cast<size_t>(ExpectedStride(depth, w)) * h, 0xEE);  // padding noise
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint32_t v = static_cast<uint32_t>(x * 7 + y * 31 + x * y * 5 + 3);
                v = depth == 1    ? (x * 5 + y * 3 + x * y) & 1
                    : depth == 24 ? (v * 2654435761u) & 0xFFFFFF
                                  : v & ((1u << depth) - 1);
                values.push_back(levels ? v % levels : v);
                WritePixel(bits.data(), bpp, w, info.header.biHeight, x, y, values.back());
            }
        }
    }
    uint32_t Value(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
    // What a 24-bit destination shows for source pixel (x, y).
    uint32_t Colour(int x, int y) const {
        return bpp == 24 ? Value(x, y) : Packed(info.colours[Value(x, y)]);
    }
    // A DIB section holding these pixels, for the caller to delete.
    HBITMAP Section() {
        void* p = nullptr;
        HBITMAP section = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &p, nullptr, 0);
        if (p != nullptr) std::memcpy(p, bits.data(), bits.size());
        return section;
    }
    int Draw(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
        return StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, bits.data(), info.info(), DIB_RGB_COLORS,
                             SRCCOPY);
    }
};

// A DIB section selected into a memory context, every byte set to `fill`, released in reverse order.
struct Target {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint8_t* bits = nullptr;
    DibInfo info;

    Target(uint32_t bpp, int w, int h, uint8_t fill = 0, const RGBQUAD* table = nullptr,
           uint32_t colours = 0) {
        info = MakeInfo(bpp, w, h, colours);
        if (table != nullptr)
            std::memcpy(info.colours, table, sizeof(RGBQUAD) * (colours ? colours : 1u << bpp));
        dc = CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, info.info(), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        std::memset(bits, fill, Bytes());
        previous = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Target(const Target&) = delete;

    size_t Bytes() const {
        return ExpectedStride(info.header.biBitCount, info.header.biWidth) * info.header.biHeight;
    }
    uint32_t At(int x, int y) const {
        return ReadPixel(bits, info.header.biBitCount, info.header.biWidth, info.header.biHeight, x, y);
    }
    // Checks every pixel against want(x, y).
    template <class Want>
    void Expect(Want want) const {
        for (int y = 0; y < info.header.biHeight; ++y)
            for (int x = 0; x < info.header.biWidth; ++x) ASSERT_EQ(At(x, y), want(x, y)) << x << "," << y;
    }
};

// Source pixel index for destination pixel i of n over m source pixels: the one under i's centre.
inline int Sample(int i, int n, int m) {
    return static_cast<int>((2 * static_cast<int64_t>(i) + 1) * m / (2 * static_cast<int64_t>(n)));
}

}  // namespace aldra::test
