// Inside the GDI layer: a view of DIB memory, checking a DIB description, and matching colours to a
// colour table. Not for use outside src/platform/gdi.
#pragma once
#include <cstdint>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/ObjectTable.h"

namespace aldra::gdi {

// Pixels as rows of device coordinates: row 0 is the top of the picture whatever the memory order.
// 24-bit pixel values are packed with blue in the lowest byte (the memory order of a DIB).
struct Surface {
    uint8_t* bits = nullptr;
    uint32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bitsPerPixel = 0;
    bool topDown = false;
    const RGBQUAD* colours = nullptr;
    uint32_t colourCount = 0;
    uint64_t tableSerial = 0;  // the bitmap's serial; 0 when the table is not a bitmap's

    uint8_t* Row(int32_t y) const {
        const int32_t memoryRow = topDown ? y : height - 1 - y;
        return bits + static_cast<uint64_t>(memoryRow) * stride;
    }
};

Surface SurfaceOf(const BitmapData& bitmap);

// Checks a BITMAPINFO as CreateDIBSection and StretchDIBits take it (BI_RGB, depth 1, 4, 8 or 24,
// planes 1, sides within limits) and describes it; the colour table starts biSize bytes into info
// and has biClrUsed entries (2^depth when 0, never more). `bits` may be null for a description
// only. False when the header is not usable.
bool DescribeDib(const BITMAPINFO* info, const void* bits, Surface* out);

// The table index nearest to a colour: least squared distance, the lower index on ties.
uint32_t NearestIndex(const RGBQUAD* colours, uint32_t count, uint8_t red, uint8_t green, uint8_t blue);

// NearestIndex with a direct-mapped cache, for one drawing call. The table must outlive the matcher.
class NearestColour {
  public:
    NearestColour(const RGBQUAD* colours, uint32_t count) : colours_(colours), count_(count) {}
    // `packed` as a 24-bit pixel value: blue in the lowest byte.
    uint32_t FindPacked(uint32_t packed) {
        const uint32_t slot = (packed ^ (packed >> 11) ^ (packed >> 17)) & (kSlots - 1);
        if (keys_[slot] == packed + 1) return values_[slot];
        const uint32_t index = NearestIndex(colours_, count_, static_cast<uint8_t>(packed >> 16),
                                            static_cast<uint8_t>(packed >> 8), static_cast<uint8_t>(packed));
        keys_[slot] = packed + 1;
        values_[slot] = static_cast<uint8_t>(index);
        return index;
    }

  private:
    static constexpr uint32_t kSlots = 4096;
    const RGBQUAD* colours_;
    uint32_t count_;
    uint32_t keys_[kSlots] = {};  // packed colour + 1; 0 is an empty slot
    uint8_t values_[kSlots] = {};
};

// A COLORREF as the surface stores it: packed for 24 bits, else the nearest table index.
uint32_t SurfaceValue(const Surface& surface, COLORREF colour);

// Writes `value` over [x0, x1) of row y; the caller clips.
void FillSpan(const Surface& surface, int32_t y, int32_t x0, int32_t x1, uint32_t value);

// FillSpan of the one pixel (x, y), without a call for the common depths.
inline void StorePixel(const Surface& surface, int32_t x, int32_t y, uint32_t value) {
    if (surface.bitsPerPixel == 8) {
        surface.Row(y)[x] = static_cast<uint8_t>(value);
    } else if (surface.bitsPerPixel == 24) {
        uint8_t* p = surface.Row(y) + static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value >> 16);
    } else {
        FillSpan(surface, y, x, x + 1, value);
    }
}

}  // namespace aldra::gdi
