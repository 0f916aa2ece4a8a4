#include "platform/gdi/DibSection.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/gdi/ObjectTable.h"
#include "platform/gdi/Pixels.h"
#include "platform/gdi/StretchCore.h"

namespace aldra {
namespace {

// Makes a section from a checked description; the table is copied, missing entries black.
HBITMAP NewSection(const gdi::Surface& shape, const BITMAPINFOHEADER& header, void** bits) {
    std::unique_ptr<gdi::Object> o(new (std::nothrow) gdi::Object(gdi::Kind::Bitmap));
    if (!o) return nullptr;
    gdi::BitmapData& b = o->bitmap;
    const uint64_t bytes = static_cast<uint64_t>(shape.stride) * static_cast<uint64_t>(shape.height);
    b.bits = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1));
    if (b.bits == nullptr) return nullptr;
    b.stride = shape.stride;
    b.width = shape.width;
    b.height = shape.height;
    b.bitsPerPixel = shape.bitsPerPixel;
    b.topDown = shape.topDown;
    b.header = header;
    b.header.biSize = sizeof(BITMAPINFOHEADER);
    b.header.biSizeImage = static_cast<DWORD>(bytes);
    if (shape.bitsPerPixel <= 8) {
        b.colourCount = shape.colourCount;
        std::memcpy(b.colours, shape.colours, sizeof(RGBQUAD) * shape.colourCount);
        b.header.biClrUsed = shape.colourCount;
    } else {
        b.header.biClrUsed = 0;
    }
    uint8_t* pixels = b.bits;
    const HBITMAP handle = HBITMAP::FromRaw(gdi::Insert(std::move(o)));
    if (handle && bits != nullptr) *bits = pixels;
    return handle;
}

// The colour table for reading `bitmap` at its own depth (none for 24 bits); its length.
uint32_t ReadTable(const gdi::BitmapData& bitmap, uint32_t bpp, RGBQUAD* table) {
    if (bpp > 8) return 0;
    const uint32_t count = 1u << bpp;
    std::memset(table, 0, sizeof(RGBQUAD) * count);
    std::memcpy(table, bitmap.colours, sizeof(RGBQUAD) * bitmap.colourCount);
    return count;
}

}  // namespace

uint32_t DibStride(uint32_t bitsPerPixel, int64_t width) {
    if (width <= 0 || (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 &&
                       bitsPerPixel != 32 && bitsPerPixel != 16)) {
        return 0;
    }
    const uint64_t bitsPerRow = static_cast<uint64_t>(width) * bitsPerPixel;
    const uint64_t bytes = ((bitsPerRow + 31) / 32) * 4;
    return bytes > UINT32_MAX ? 0 : static_cast<uint32_t>(bytes);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits != nullptr) *bits = nullptr;
    if (usage != DIB_RGB_COLORS || section) return nullptr;
    gdi::Surface shape;
    if (!gdi::DescribeDib(info, nullptr, &shape)) return nullptr;
    return NewSection(shape, info->bmiHeader, bits);
}

int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage) {
    const gdi::Object* context = gdi::Find(dc.Raw());
    if (context == nullptr ||
        (context->kind != gdi::Kind::ScreenDc && context->kind != gdi::Kind::MemoryDc)) {
        return 0;
    }
    const gdi::Object* o = gdi::Find(bitmap.Raw(), gdi::Kind::Bitmap);
    if (o == nullptr || info == nullptr || usage != DIB_RGB_COLORS) return 0;
    const gdi::BitmapData& b = o->bitmap;
    BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;

    if (bits == nullptr && h.biBitCount == 0) {
        h.biWidth = b.width;
        h.biHeight = b.height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(b.bitsPerPixel);
        h.biCompression = BI_RGB;
        h.biSizeImage = b.stride * static_cast<uint32_t>(b.height);
        h.biXPelsPerMeter = 0;
        h.biYPelsPerMeter = 0;
        h.biClrUsed = b.colourCount;
        h.biClrImportant = 0;
        return b.height;
    }

    const uint32_t bpp = h.biBitCount;
    if (bpp != 24 && bpp != b.bitsPerPixel) return 0;
    const uint32_t stride = DibStride(bpp, b.width);
    if (stride == 0 || static_cast<uint64_t>(stride) * static_cast<uint64_t>(b.height) > kMaxDibBytes)
        return 0;
    RGBQUAD* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<uint8_t*>(info) + h.biSize);
    const uint32_t tableLength = ReadTable(b, bpp, table);
    h.biClrUsed = tableLength;
    h.biSizeImage = stride * static_cast<uint32_t>(b.height);
    if (bits == nullptr) return b.height;
    if (h.biWidth != b.width || h.biCompression != BI_RGB) return 0;

    const int64_t height = b.height;
    if (start >= static_cast<uint64_t>(height)) return 0;
    const int64_t count = static_cast<int64_t>(lines) < height - start ? lines : height - start;
    if (count == 0) return 0;
    const bool topDown = h.biHeight < 0;

    gdi::Surface dst;
    dst.bits = static_cast<uint8_t*>(bits);
    dst.stride = stride;
    dst.width = b.width;
    dst.height = static_cast<int32_t>(count);
    dst.bitsPerPixel = bpp;
    dst.topDown = topDown;
    dst.colours = table;
    dst.colourCount = tableLength;
    // Device row 0 of the buffer is the topmost line asked for.
    const int64_t top = topDown ? start : height - start - count;
    const gdi::Surface src = gdi::SurfaceOf(b);

    if (bpp == b.bitsPerPixel) {
        for (int64_t y = 0; y < count; ++y) {
            std::memcpy(dst.Row(static_cast<int32_t>(y)), src.Row(static_cast<int32_t>(top + y)), stride);
        }
        return static_cast<int>(count);
    }
    // An indexed bitmap read as 24 bits: each pixel becomes its table colour.
    const gdi::Axis ax{0, b.width, 0, b.width, false};
    const gdi::Axis ay{0, count, top, count, false};
    if (!gdi::Stretch(dst, src, ax, ay)) return 0;
    return static_cast<int>(count);
}

}  // namespace aldra
