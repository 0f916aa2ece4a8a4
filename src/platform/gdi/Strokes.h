// Inside the GDI layer: pen strokes between device points. Not for use outside src/platform/gdi.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gdi/Paint.h"

namespace aldra::gdi {

// A one-pixel line from a towards b; b's own pixel is left out, as GDI leaves it out.
void StrokeThin(const Painter& painter, DevicePoint a, DevicePoint b, uint32_t value);

// What the segments of one wide stroke have painted, row by row, so that where they overlap (every
// join, and everywhere when the pen is wider than the bitmap) each pixel is painted once.
class Coverage {
  public:
    explicit Coverage(const Painter& painter) : painter_(painter) {}
    void Paint(int64_t y, int64_t x0, int64_t x1, uint32_t value);
    // Every pixel of the painter's box is painted: more of the same colour changes nothing.
    bool Full() const { return fullRows_ == static_cast<int64_t>(painter_.Bottom()) - painter_.Top(); }

  private:
    const Painter& painter_;
    std::vector<std::vector<std::pair<int32_t, int32_t>>> rows_;  // painted [x0, x1), sorted, apart
    int64_t fullRows_ = 0;
};

// Every pixel whose centre lies within `width` / 2 of the segment: a line with round ends, so that
// consecutive segments meet in round joins.
void StrokeWide(Coverage& coverage, const Painter& painter, DevicePoint a, DevicePoint b, int64_t width,
                uint32_t value);

}  // namespace aldra::gdi

namespace aldra::gdi {

// Strokes the path a[0] .. a[count - 1] (and back to a[0] when closed) with the context's pen, if
// it is visible. The pen's width is in logical units and scales with the mapping's x axis. When
// memory runs out part way, the rest of a wide stroke is left out.
void StrokePath(const Painter& painter, const DevicePoint* points, size_t count, bool closed);

}  // namespace aldra::gdi
