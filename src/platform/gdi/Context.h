// Inside the GDI layer: what drawing calls need of a context, its coordinate mapping and the
// surface of its bitmap. Not for use outside src/platform/gdi.
#pragma once
#include <cstdint>

#include "platform/gdi/Pixels.h"

namespace aldra::gdi {

struct DevicePoint {
    int64_t x;
    int64_t y;
};

// Logical to device coordinates by the context's mapping mode.
DevicePoint ToDevice(const DcData& dc, int64_t x, int64_t y);

// The memory context and the surface of its selected bitmap; false for anything else.
bool DrawingSurface(HDC dc, Object** context, Surface* surface);

}  // namespace aldra::gdi
