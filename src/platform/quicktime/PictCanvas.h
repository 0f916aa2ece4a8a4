// Where a picture's coordinates land in the target: the frame is stretched onto the destination
// box, and drawing stays inside the clip. A budget of pixel writes, charged also for the target rows
// and columns a raster opcode is planned for, keeps a picture of many raster opcodes from running for
// long, however little each one draws.
#pragma once
#include <cstdint>

#include "platform/quicktime/PixelTarget.h"
#include "platform/quicktime/QuickTime.h"

namespace aldra::qt {

struct PictCanvas {
    PixelTarget target;
    Rect frame{};
    Box dest;
    Box clip;
    uint64_t budget = 0;

    int32_t MapX(int32_t x) const {
        return Scale(x - frame.left, int64_t{dest.right} - dest.left, FrameWidth()) + dest.left;
    }
    int32_t MapY(int32_t y) const {
        return Scale(y - frame.top, int64_t{dest.bottom} - dest.top, FrameHeight()) + dest.top;
    }
    Box Map(const Rect& r) const { return {MapX(r.left), MapY(r.top), MapX(r.right), MapY(r.bottom)}; }
    int32_t FrameWidth() const { return int32_t{frame.right} - frame.left; }
    int32_t FrameHeight() const { return int32_t{frame.bottom} - frame.top; }
    void Spend(uint64_t work) { budget = budget > work ? budget - work : 0; }

  private:
    // v * to / from, rounded towards minus infinity and kept far inside 32 bits; from is positive.
    static int32_t Scale(int64_t v, int64_t to, int64_t from) {
        constexpr int64_t kLimit = int64_t{1} << 30;
        int64_t p = v * to;
        int64_t q = p / from;
        if ((p % from != 0) && (p < 0)) --q;
        return static_cast<int32_t>(q < -kLimit ? -kLimit : q > kLimit ? kLimit : q);
    }
};

}  // namespace aldra::qt
