// Inside the GDI layer: scan conversion of polygons with integer vertices, the way GDI fills them.
// A pixel is inside when its centre is; a centre on a left or top edge counts as inside, on a right
// or bottom edge as outside. Not for use outside src/platform/gdi.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdi/Context.h"

namespace aldra::gdi {

// Device coordinates are held within +-2^60 so that every product of two differences fits in 128
// bits and every step of an edge in 64.
inline constexpr int64_t kCoordinateLimit = int64_t{1} << 60;

inline int64_t ClampCoordinate(int64_t v) {
    return v < -kCoordinateLimit ? -kCoordinateLimit : (v > kCoordinateLimit ? kCoordinateLimit : v);
}

// Receives the covered runs [x0, x1) of row y, rows in increasing order, runs left to right.
class SpanSink {
  public:
    virtual void Span(int32_t y, int32_t x0, int32_t x1) = 0;

  protected:
    ~SpanSink() = default;
};

// The pixels [left, right) x [top, bottom) a scan looks at.
struct ScanWindow {
    int32_t left, top, right, bottom;
};

// The polygon (closed from the last point to the first) over the window's pixels, even-odd or
// non-zero. Edges outside the window cost no per-row work. False when memory runs out.
bool ScanPolygon(const DevicePoint* points, size_t count, bool nonZero, const ScanWindow& window,
                 SpanSink& sink);

}  // namespace aldra::gdi
