#include "illustrator/PointList.h"

#include <cstring>

namespace aldra {

namespace {

DevicePoint* MutablePoints(TextBuffer* points) {
    return reinterpret_cast<DevicePoint*>(BufferData(points));
}

Status AppendPoint(TextBuffer* points, DevicePoint p) {
    if (PointCount(points) >= kMaxPathPoints) return kErrMemory;
    return AppendBytes(&p, sizeof p, points);
}

// Whether c lies on the line through a and b, in either direction. The products are taken in 64
// bits: device points reach a few million pixels, whose products overflow 32 bits.
bool Collinear(DevicePoint a, DevicePoint b, DevicePoint c) {
    int64_t lhs = (int64_t{c.y} - b.y) * (int64_t{b.x} - a.x);
    int64_t rhs = (int64_t{c.x} - b.x) * (int64_t{b.y} - a.y);
    return lhs == rhs;
}

}  // namespace

Status NewPointList(BufferPtr* points) {
    return NewBuffer(0, points);
}

void ClearPoints(TextBuffer* points) {
    // Shrinking never fails and keeps the room.
    (void)SetBufferSize(points, 0);
}

uint32_t PointCount(const TextBuffer* points) {
    return GetBufferSize(points) / sizeof(DevicePoint);
}

const DevicePoint* PointData(const TextBuffer* points) {
    return reinterpret_cast<const DevicePoint*>(BufferData(points));
}

Status AddPoint(TextBuffer* points, int32_t x, int32_t y) {
    DevicePoint p{x, y};
    uint32_t count = PointCount(points);
    DevicePoint* list = MutablePoints(points);
    if (count >= 1 && list[count - 1].x == x && list[count - 1].y == y) return kOk;
    if (count >= 2 && Collinear(list[count - 2], list[count - 1], p)) {
        list[count - 1] = p;
        return kOk;
    }
    return AppendPoint(points, p);
}

Status ClosePoints(TextBuffer* points) {
    if (PointCount(points) == 0) return kErrFormat;
    DevicePoint first = PointData(points)[0];
    return AppendPoint(points, first);
}

}  // namespace aldra
