#include "illustrator/PointList.h"

#include <algorithm>
#include <cstring>

namespace aldra {

namespace {

DevicePoint* MutablePoints(TextBuffer* points) {
    return reinterpret_cast<DevicePoint*>(BufferData(points));
}

// The list holds `count` points; p goes after them.
Status AppendPoint(TextBuffer* points, uint32_t count, DevicePoint p) {
    if (count >= kMaxPathPoints) return kErrMemory;
    if (SetBufferSize(points, (count + 1) * sizeof p) != kOk) return kErrMemory;
    MutablePoints(points)[count] = p;
    return kOk;
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
    return AppendPoint(points, count, p);
}

Status AddPoints(TextBuffer* points, const DevicePoint* more, uint32_t n) {
    const uint32_t count = PointCount(points);
    // Room for all of them up front; where that is not to be had, one at a time finds the point at
    // which the list stops growing.
    const uint32_t room =
        std::max(count, static_cast<uint32_t>(std::min<uint64_t>(uint64_t{count} + n, kMaxPathPoints)));
    if (SetBufferSize(points, room * sizeof(DevicePoint)) != kOk) {
        for (uint32_t i = 0; i < n; ++i)
            if (Status status = AddPoint(points, more[i].x, more[i].y); status != kOk) return status;
        return kOk;
    }
    DevicePoint* list = MutablePoints(points);
    uint32_t kept = count;
    Status status = kOk;
    for (uint32_t i = 0; i < n; ++i) {
        const DevicePoint p = more[i];
        if (kept >= 1 && list[kept - 1].x == p.x && list[kept - 1].y == p.y) continue;
        if (kept >= 2 && Collinear(list[kept - 2], list[kept - 1], p)) {
            list[kept - 1] = p;
            continue;
        }
        if (kept >= room) {  // only at the point limit
            status = kErrMemory;
            break;
        }
        list[kept++] = p;
    }
    (void)SetBufferSize(points, kept * sizeof(DevicePoint));  // shrinking never fails
    return status;
}

Status ClosePoints(TextBuffer* points) {
    if (PointCount(points) == 0) return kErrFormat;
    DevicePoint first = PointData(points)[0];
    return AppendPoint(points, PointCount(points), first);
}

}  // namespace aldra
