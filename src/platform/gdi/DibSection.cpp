#include "platform/gdi/DibSection.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/gdi/ObjectTable.h"
#include "platform/gdi/Objects.h"
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

// The 8-bit table a 24-bit bitmap is read into: a 6 x 6 x 6 colour cube, then 40 greys between
// its grey steps.
void HalftoneTable(RGBQUAD* table) {
    uint32_t n = 0;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                table[n++] = RGBQUAD{static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51),
                                     static_cast<BYTE>(r * 51), 0};
            }
        }
    }
    for (int i = 0; n < 256; ++i, ++n) {
        const int step = i / 8;        // 0..4: between cube greys step*51 and (step+1)*51
        const int within = i % 8 + 1;  // 1..8
        const BYTE v = static_cast<BYTE>(step * 51 + (within * 51 + 4) / 9);
        table[n] = RGBQUAD{v, v, v, 0};
    }
}

// The colour table for reading `bitmap` as `bpp` bits; its length.
uint32_t ReadTable(const gdi::BitmapData& bitmap, uint32_t bpp, RGBQUAD* table) {
    if (bpp > 8) return 0;
    const uint32_t count = 1u << bpp;
    std::memset(table, 0, sizeof(RGBQUAD) * count);
    if (bitmap.bitsPerPixel <= bpp) {
        std::memcpy(table, bitmap.colours, sizeof(RGBQUAD) * bitmap.colourCount);
    } else {
        HalftoneTable(table);
    }
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
    if (bpp != 8 && bpp != 24 && bpp != b.bitsPerPixel) return 0;
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
    const gdi::Axis ax{0, b.width, 0, b.width, false};
    const gdi::Axis ay{0, count, top, count, false};
    uint32_t identity[256];
    for (uint32_t i = 0; i < 256; ++i) identity[i] = i;
    // 1 and 4 bits widen to 8 with their own table: the indices stay as they are.
    const uint32_t* lut = (b.bitsPerPixel < 8 && bpp == 8) ? identity : nullptr;
    if (!gdi::Stretch(dst, src, ax, ay, lut)) return 0;
    return static_cast<int>(count);
}

HANDLE CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
    if (type != IMAGE_BITMAP || cx < 0 || cy < 0) return nullptr;
    const gdi::Object* o = gdi::Find(image.Raw(), gdi::Kind::Bitmap);
    if (o == nullptr || o->bitmap.bits == nullptr) return nullptr;
    const gdi::BitmapData& b = o->bitmap;
    const int32_t width = cx == 0 ? b.width : cx;
    const int32_t height = cy == 0 ? b.height : cy;
    if ((flags & LR_COPYRETURNORG) && width == b.width && height == b.height) return image;

    BITMAPINFOHEADER header = b.header;
    header.biWidth = width;
    header.biHeight = b.topDown ? -height : height;
    header.biClrUsed = b.colourCount;
    // Header and table together, as DescribeDib reads them.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{header, {}};
    std::memcpy(info.colours, b.colours, sizeof info.colours);
    gdi::Surface shape;
    if (!gdi::DescribeDib(reinterpret_cast<const BITMAPINFO*>(&info), nullptr, &shape)) return nullptr;
    const HBITMAP copy = NewSection(shape, header, nullptr);
    if (!copy) return nullptr;
    const gdi::Object* made = gdi::Find(copy.Raw(), gdi::Kind::Bitmap);
    const gdi::Axis ax{0, width, 0, b.width, false};
    const gdi::Axis ay{0, height, 0, b.height, false};
    uint32_t identity[256];
    for (uint32_t i = 0; i < 256; ++i) identity[i] = i;
    if (!gdi::Stretch(gdi::SurfaceOf(made->bitmap), gdi::SurfaceOf(b), ax, ay,
                      b.bitsPerPixel <= 8 ? identity : nullptr)) {
        DeleteObject(copy);
        return nullptr;
    }
    if (flags & LR_COPYDELETEORG) DeleteObject(HGDIOBJ(HBITMAP(image)));
    return copy;
}

}  // namespace aldra
