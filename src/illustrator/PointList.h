// The device points of the current path, eight bytes each (x then y, signed 32-bit), in path order:
// the layout GDI's polygon calls take, so a path is drawn or clipped to with one call. Repeated
// points are dropped and collinear runs merged as they are added, which keeps flattened curves and
// long straight runs short.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "base/TextBuffer.h"
#include "illustrator/ArtState.h"

namespace aldra {

// A path of more points than this is no drawing a thumbnail can show; adding more fails with 1000.
inline constexpr uint32_t kMaxPathPoints = uint32_t{1} << 20;

Status NewPointList(BufferPtr* points);
inline void DisposePointList(BufferPtr* points) {
    points->reset();
}
void ClearPoints(TextBuffer* points);
uint32_t PointCount(const TextBuffer* points);
const DevicePoint* PointData(const TextBuffer* points);
// Drops a repeat of the last point; a point on the line through the last two replaces the last.
Status AddPoint(TextBuffer* points, int32_t x, int32_t y);
// AddPoint for each of `n` points in turn, with the list grown once: stops at the first that fails.
Status AddPoints(TextBuffer* points, const DevicePoint* more, uint32_t n);
// Appends a copy of the first point; 2020 for an empty list.
Status ClosePoints(TextBuffer* points);

}  // namespace aldra
