#include "preview/Raster.h"

#include <cstring>

#include "base/Block.h"
#include "base/Bytes.h"

namespace aldra {

namespace {

uint64_t Min64(uint64_t a, uint64_t b) {
    return a < b ? a : b;
}

void LoadDefaultTable(RasterImage* raster) {
    uint32_t depth = raster->bitsPerPixel;
    uint32_t count = 0;
    if (depth == 1 || depth == 4 || depth == 8) count = 1u << depth;
    // Grey tables run from white to black so that a decoder's "amount of ink" indexes them directly.
    uint32_t step = depth == 1 ? 255 : depth == 4 ? 17 : 1;
    for (uint32_t i = 0; i < count; ++i) {
        auto grey = static_cast<uint8_t>(depth == 1 ? i * step : 255 - i * step);
        raster->colours[i] = DibColour{grey, grey, grey, 0};
    }
    raster->header.clrUsed = count;
    raster->header.clrImportant = count;
}

void FillHeader(RasterImage* raster) {
    DibHeader& h = raster->header;
    h.size = sizeof(DibHeader);
    h.width = static_cast<int32_t>(raster->width);
    h.height = static_cast<int32_t>(raster->height);
    h.planes = 1;
    h.bitCount = static_cast<uint16_t>(raster->bitsPerPixel);
    h.compression = 0;
    h.sizeImage = raster->rowBytes * raster->height;
    h.xPelsPerMeter = 0;
    h.yPelsPerMeter = 0;
    h.clrUsed = 0;
    h.clrImportant = 0;
}

uint64_t RowStart(const RasterImage* raster, uint32_t y) {
    return static_cast<uint64_t>(y) * raster->rowBytes;
}

void SwapRedBlue(RasterImage* raster) {
    for (uint32_t y = 0; y < raster->height; ++y) {
        uint64_t start = RowStart(raster, y);
        if (start >= raster->capacity) return;
        uint64_t pixels = Min64(raster->width, (raster->capacity - start) / 3);
        uint8_t* p = raster->pixels + start;
        for (uint64_t x = 0; x < pixels; ++x, p += 3) {
            uint8_t red = p[0];
            p[0] = p[2];
            p[2] = red;
        }
    }
}

// Rows move in place: widening runs from the last row so that no row is overwritten before it has
// moved, narrowing from the first. Widened rows get zero padding.
void WidenRows(RasterImage* raster, uint32_t stride) {
    uint8_t* p = raster->pixels;
    uint32_t old = raster->rowBytes;
    for (uint32_t y = raster->height; y-- > 0;) {
        uint64_t to = static_cast<uint64_t>(y) * stride;
        MoveBytes(p + RowStart(raster, y), p + to, old);
        ZeroBytes(p + to + old, stride - old);
    }
}

void NarrowRows(RasterImage* raster, uint32_t stride) {
    uint8_t* p = raster->pixels;
    for (uint32_t y = 0; y < raster->height; ++y) {
        MoveBytes(p + RowStart(raster, y), p + static_cast<uint64_t>(y) * stride, stride);
    }
}

void MakeView(const RasterImage* raster, uint32_t height, uint32_t stride, uint8_t* pixels, uint32_t capacity,
              RasterImage* view) {
    InitRaster(raster->bitsPerPixel, raster->width, height, stride, nullptr, 0, pixels, capacity, true, view);
    std::memcpy(view->colours, raster->colours, sizeof view->colours);
}

// The fallback that needs no extra image memory. A row whose aligned width would reach past the
// capacity (only the last few rows can) is lent a scratch row, so the callback never reads outside
// the raster's memory.
Status PresentRowByRow(RasterImage* raster, const Rect* rect, RasterCallback callback, void* context,
                       uint32_t stride) {
    Status status = kOk;
    BlockPtr scratch;
    Rect frame = GetRasterRect(raster);
    for (uint32_t y = 0; y < raster->height; ++y) {
        Rect row = {0, static_cast<int32_t>(y), static_cast<int32_t>(raster->width),
                    static_cast<int32_t>(y + 1)};
        Rect mapped = MapRect(row, frame, *rect);
        if (mapped.top >= mapped.bottom || mapped.left >= mapped.right) continue;
        uint64_t start = RowStart(raster, y);
        uint8_t* source = raster->pixels + start;
        if (start + stride > raster->capacity) {
            if (scratch == nullptr && AllocBlock(stride, &scratch) != kOk) {
                status = kErrMemory;
                break;
            }
            uint64_t available = start < raster->capacity ? raster->capacity - start : 0;
            uint64_t keep = Min64(available, raster->rowBytes);
            std::memcpy(scratch.get(), source, keep);
            ZeroBytes(scratch.get() + keep, stride - keep);
            source = scratch.get();
        }
        RasterImage view;
        MakeView(raster, 1, stride, source, stride, &view);
        status = callback(&view, &mapped, context);
    }
    return status;
}

}  // namespace

void InitRaster(uint32_t bitsPerPixel, uint32_t width, uint32_t height, uint32_t rowBytes,
                const ColourRef* colours, uint32_t colourCount, uint8_t* pixels, uint32_t capacity,
                bool inDibOrder, RasterImage* raster) {
    raster->pixels = pixels;
    raster->bitsPerPixel = bitsPerPixel;
    raster->width = width;
    raster->height = height;
    raster->rowBytes = rowBytes;
    raster->capacity = capacity;
    raster->inDibOrder = inDibOrder;
    FillHeader(raster);
    std::memset(raster->colours, 0, sizeof raster->colours);
    if (colours != nullptr && colourCount != 0) {
        SetRasterPalette(raster, colours, 0, colourCount);
    } else {
        LoadDefaultTable(raster);
    }
}

void SetRasterPalette(RasterImage* raster, const ColourRef* colours, uint32_t first, uint32_t count) {
    if (first >= kPaletteSize) return;
    if (count > kPaletteSize - first) count = kPaletteSize - first;
    for (uint32_t i = 0; i < count; ++i) {
        ColourRef c = colours[i];
        raster->colours[first + i] = DibColour{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                               static_cast<uint8_t>(c), 0};
    }
    uint32_t used = raster->header.clrUsed > first + count ? raster->header.clrUsed : first + count;
    raster->header.clrUsed = used;
    raster->header.clrImportant = used;
}

Status SetRasterHeight(RasterImage* raster, uint32_t rows) {
    if (static_cast<uint64_t>(rows) * raster->rowBytes > raster->capacity) return kErrMemory;
    raster->height = rows;
    return kOk;
}

Rect GetRasterRect(const RasterImage* raster) {
    return Rect{0, 0, static_cast<int32_t>(raster->width), static_cast<int32_t>(raster->height)};
}

void ToDibOrder(RasterImage* raster) {
    if (raster->pixels == nullptr) return;
    if (raster->bitsPerPixel == 1) {
        uint64_t bytes = Min64(static_cast<uint64_t>(raster->rowBytes) * raster->height, raster->capacity);
        InvertBytes(raster->pixels, static_cast<int64_t>(bytes));
    } else if (raster->bitsPerPixel == 24) {
        SwapRedBlue(raster);
    }
}

Rect MapRect(const Rect& r, const Rect& from, const Rect& to) {
    auto map = [](int32_t v, int32_t fromStart, int32_t fromEnd, int32_t toStart, int32_t toEnd) {
        int64_t fromSize = static_cast<int64_t>(fromEnd) - fromStart;
        if (fromSize == 0) return toStart;
        int64_t toSize = static_cast<int64_t>(toEnd) - toStart;
        int64_t scaled = ((static_cast<int64_t>(v) - fromStart) * toSize + fromSize / 2) / fromSize;
        return static_cast<int32_t>(toStart + scaled);
    };
    return Rect{map(r.left, from.left, from.right, to.left, to.right),
                map(r.top, from.top, from.bottom, to.top, to.bottom),
                map(r.right, from.left, from.right, to.left, to.right),
                map(r.bottom, from.top, from.bottom, to.top, to.bottom)};
}

Status PresentRaster(RasterImage* raster, const Rect* rect, RasterCallback callback, void* context) {
    uint32_t stride = AlignedStride(raster->bitsPerPixel, raster->width);
    uint64_t held = static_cast<uint64_t>(raster->rowBytes) * raster->height;
    if (held > raster->capacity || (raster->pixels == nullptr && held != 0)) return kErrParam;
    bool converted = !raster->inDibOrder;
    if (converted) ToDibOrder(raster);
    uint64_t widened = static_cast<uint64_t>(stride) * raster->height;
    if (stride > raster->rowBytes && widened > raster->capacity) {
        Status status = PresentRowByRow(raster, rect, callback, context, stride);
        if (converted) ToDibOrder(raster);
        return status;
    }
    if (stride > raster->rowBytes) WidenRows(raster, stride);
    if (stride < raster->rowBytes) NarrowRows(raster, stride);
    RasterImage view;
    MakeView(raster, raster->height, stride, raster->pixels, raster->capacity, &view);
    Status status = callback(&view, rect, context);
    if (converted) {
        // Convert back where the rows now lie, so a caller that reads on at the aligned stride sees
        // natural order throughout.
        uint32_t rowBytes = raster->rowBytes;
        raster->rowBytes = stride;
        ToDibOrder(raster);
        raster->rowBytes = rowBytes;
    }
    return status;
}

}  // namespace aldra
