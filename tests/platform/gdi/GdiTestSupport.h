// Test-side pictures: a source DIB kept both as plain values and as GDI memory, a destination DIB
// section in a memory context, and a pixel reader written independently of the layer's own.
#pragma once
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace aldra::test {

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

inline uint32_t ExpectedStride(uint32_t bpp, uint32_t width) {
    const uint32_t bits = bpp * width;
    return (bits / 32 + (bits % 32 != 0 ? 1 : 0)) * 4;
}

inline DibInfo MakeInfo(uint32_t bpp, int32_t width, int32_t height, uint32_t colours = 0) {
    DibInfo d{};
    d.header.biSize = sizeof(BITMAPINFOHEADER);
    d.header.biWidth = width;
    d.header.biHeight = height;
    d.header.biPlanes = 1;
    d.header.biBitCount = static_cast<WORD>(bpp);
    d.header.biCompression = BI_RGB;
    d.header.biClrUsed = colours;
    return d;
}

// Reads pixel (x, y), y counted from the top of the picture, from DIB memory: the index for
// indexed depths, blue | green << 8 | red << 16 for 24 bits.
inline uint32_t ReadPixel(const uint8_t* bits, uint32_t bpp, uint32_t width, int32_t headerHeight, int x,
                          int y) {
    const int rows = headerHeight < 0 ? -headerHeight : headerHeight;
    const int memoryRow = headerHeight < 0 ? y : rows - 1 - y;
    const uint8_t* row = bits + static_cast<size_t>(memoryRow) * ExpectedStride(bpp, width);
    switch (bpp) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15;
        case 8:
            return row[x];
        default:
            return row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    }
}

inline void WritePixel(uint8_t* bits, uint32_t bpp, uint32_t width, int32_t headerHeight, int x, int y,
                       uint32_t v) {
    const int rows = headerHeight < 0 ? -headerHeight : headerHeight;
    const int memoryRow = headerHeight < 0 ? y : rows - 1 - y;
    uint8_t* row = bits + static_cast<size_t>(memoryRow) * ExpectedStride(bpp, width);
    switch (bpp) {
        case 1:
            row[x / 8] = static_cast<uint8_t>((row[x / 8] & ~(0x80 >> (x % 8))) | ((v & 1) << (7 - x % 8)));
            break;
        case 4:
            row[x / 2] = x % 2 == 0 ? static_cast<uint8_t>((row[x / 2] & 0x0F) | (v << 4))
                                    : static_cast<uint8_t>((row[x / 2] & 0xF0) | (v & 15));
            break;
        case 8:
            row[x] = static_cast<uint8_t>(v);
            break;
        default:
            row[3 * x] = static_cast<uint8_t>(v);
            row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
    }
}

// A packed 24-bit value (blue lowest) for a table entry.
inline uint32_t Packed(const RGBQUAD& c) {
    return c.rgbBlue | (c.rgbGreen << 8) | (c.rgbRed << 16);
}

// A source picture whose every pixel differs from its neighbours as far as the depth allows.
struct SourceDib {
    DibInfo info;
    std::vector<uint8_t> bits;
    std::vector<uint32_t> values;  // row-major, top row first
    uint32_t bpp;
    int width;
    int height;

    SourceDib(uint32_t depth, int w, int h, bool topDown) : bpp(depth), width(w), height(h) {
        info = MakeInfo(depth, w, topDown ? -h : h);
        if (depth <= 8) {
            for (uint32_t i = 0; i < (1u << depth); ++i) {
                info.colours[i] = RGBQUAD{static_cast<BYTE>(i * 37 + 11), static_cast<BYTE>(255 - i),
                                          static_cast<BYTE>(i * 3 + 1), 0};
            }
        }
        bits.assign(static_cast<size_t>(ExpectedStride(depth, w)) * h, 0xEE);  // padding noise
        values.resize(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint32_t v = static_cast<uint32_t>(x * 7 + y * 31 + x * y * 5 + 3);
                if (depth == 1) v = (x * 5 + y * 3 + x * y) & 1;
                if (depth == 4) v &= 15;
                if (depth == 8) v &= 255;
                if (depth == 24) v = (v * 2654435761u) & 0xFFFFFF;
                values[static_cast<size_t>(y) * w + x] = v;
                WritePixel(bits.data(), depth, w, info.header.biHeight, x, y, v);
            }
        }
    }

    // What a 24-bit destination shows for source pixel (x, y).
    uint32_t Colour(int x, int y) const {
        const uint32_t v = values[static_cast<size_t>(y) * width + x];
        return bpp == 24 ? v : Packed(info.colours[v]);
    }
};

// A DIB section selected into a memory context, released in reverse order.
struct Target {
    HDC screen;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
    uint8_t* bits = nullptr;
    DibInfo info;

    Target(uint32_t bpp, int w, int h, const RGBQUAD* table = nullptr, uint32_t colours = 0) {
        info = MakeInfo(bpp, w, h, colours);
        if (table != nullptr)
            std::memcpy(info.colours, table, sizeof(RGBQUAD) * (colours ? colours : 1u << bpp));
        screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        void* p = nullptr;
        bitmap = CreateDIBSection(dc, info.info(), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        previous = SelectObject(dc, bitmap);
    }
    ~Target() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    size_t Bytes() const {
        const int rows = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
        return static_cast<size_t>(ExpectedStride(info.header.biBitCount, info.header.biWidth)) * rows;
    }
    uint32_t At(int x, int y) const {
        return ReadPixel(bits, info.header.biBitCount, info.header.biWidth, info.header.biHeight, x, y);
    }
};

// Source pixel index for destination pixel i of n over m source pixels: the one under i's centre.
inline int Sample(int i, int n, int m) {
    return static_cast<int>((2 * static_cast<int64_t>(i) + 1) * m / (2 * static_cast<int64_t>(n)));
}

}  // namespace aldra::test
