#include "illustrator/PointList.h"

#include <algorithm>
#include <bit>
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

// AddPoint for each in turn, where a list cannot be grown at once.
Status AddPointsOneByOne(TextBuffer* points, const DevicePoint* more, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        if (Status status = AddPoint(points, more[i].x, more[i].y); status != kOk) return status;
    return kOk;
}

constexpr uint32_t kMaxBatch = 16;  // the points of one flattened curve

// A point as one number, for comparing without a branch per coordinate.
uint64_t Bits(DevicePoint p) {
    uint64_t bits;
    std::memcpy(&bits, &p, sizeof bits);
    return bits;
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
    // The new points are weighed against the list's last two in a small list of their own, so that
    // the buffer grows once to its final size; growing by all of them and shrinking back cost a
    // clearing of the unused room for every curve.
    if (n > kMaxBatch) return AddPointsOneByOne(points, more, n);
    DevicePoint local[2 + kMaxBatch];
    const uint32_t before = std::min<uint32_t>(count, 2);
    if (before > 0) std::memcpy(local, PointData(points) + (count - before), before * sizeof(DevicePoint));
    // A list of kMaxPathPoints points takes no more.
    const uint32_t room = kMaxPathPoints - (count - before);
    uint32_t kept = before;
    Status status = kOk;
    // The last point kept is always the point weighed last (a repeat leaves it, a collinear point
    // replaces it), so a repeat is a point equal to the one before it in `more`. Those are found
    // first, without a branch each: at thumbnail scale most of a curve's points repeat, and a
    // branch a point was mispredicted as often as not.
    uint32_t fresh = n > 0 && (kept == 0 || Bits(more[0]) != Bits(local[kept - 1])) ? 1 : 0;
    for (uint32_t i = 1; i < n; ++i) fresh |= static_cast<uint32_t>(Bits(more[i]) != Bits(more[i - 1])) << i;
    for (; fresh != 0; fresh &= fresh - 1) {
        const DevicePoint p = more[std::countr_zero(fresh)];
        if (kept >= 2 && Collinear(local[kept - 2], local[kept - 1], p)) {
            local[kept - 1] = p;
            continue;
        }
        if (kept >= room) {
            status = kErrMemory;
            break;
        }
        local[kept++] = p;
    }
    const uint32_t total = count - before + kept;
    if (SetBufferSize(points, total * sizeof(DevicePoint)) != kOk) return AddPointsOneByOne(points, more, n);
    if (kept > 0) std::memcpy(MutablePoints(points) + (count - before), local, kept * sizeof(DevicePoint));
    return status;
}

Status ClosePoints(TextBuffer* points) {
    if (PointCount(points) == 0) return kErrFormat;
    DevicePoint first = PointData(points)[0];
    return AppendPoint(points, PointCount(points), first);
}

}  // namespace aldra
