// Inside the GDI layer: pen strokes between device points. Not for use outside src/platform/gdi.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdi/Paint.h"

namespace aldra::gdi {

// A one-pixel line from a towards b; b's own pixel is left out, as GDI leaves it out.
void StrokeThin(const Painter& painter, DevicePoint a, DevicePoint b, uint32_t value);

// Every pixel whose centre lies within `width` / 2 of the segment: a line with round ends, so that
// consecutive segments meet in round joins. True when the stroke covered the painter's whole box,
// after which further strokes of the same colour change nothing.
bool StrokeWide(const Painter& painter, DevicePoint a, DevicePoint b, int64_t width, uint32_t value);

}  // namespace aldra::gdi

namespace aldra::gdi {

// Strokes the path a[0] .. a[count - 1] (and back to a[0] when closed) with the context's pen, if
// it is visible. The pen's width is in logical units and scales with the mapping's x axis.
void StrokePath(const Painter& painter, const DevicePoint* points, size_t count, bool closed);

}  // namespace aldra::gdi
