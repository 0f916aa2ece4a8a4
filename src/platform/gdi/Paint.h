// Inside the GDI layer: painting into a memory context's bitmap through its clipping region. Every
// drawing call paints through a Painter. Not for use outside src/platform/gdi.
#pragma once
#include <cstdint>

#include "platform/gdi/Context.h"

namespace aldra::gdi {

class Painter {
  public:
    // False when `dc` is not a memory context with a bitmap, or its clipping region cannot be made
    // into pixels for lack of memory.
    bool Open(HDC dc);

    DcData& Context() const { return context_->dc; }
    const Surface& Target() const { return surface_; }
    // The box [left, right) x [top, bottom) outside which nothing is painted: the bitmap's pixels,
    // narrowed to the clipping region's bounds. Empty when the region covers no pixel.
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Right() const { return right_; }
    int32_t Bottom() const { return bottom_; }
    bool Empty() const { return left_ >= right_ || top_ >= bottom_; }

    uint32_t Value(COLORREF colour) const { return SurfaceValue(surface_, colour); }
    // Any row and columns; what lies outside the bitmap or the clipping region is left alone.
    void Span(int64_t y, int64_t x0, int64_t x1, uint32_t value) const;
    // A thin line's pixels come one at a time: those inside an unclipped box are stored directly.
    void Pixel(int64_t x, int64_t y, uint32_t value) const {
        if (clip_ == nullptr && x >= left_ && x < right_ && y >= top_ && y < bottom_) {
            StorePixel(surface_, static_cast<int32_t>(x), static_cast<int32_t>(y), value);
            return;
        }
        Span(y, x, x + 1, value);
    }

  private:
    bool MakeClip();

    Object* context_ = nullptr;
    Surface surface_;
    const ClipSpans* clip_ = nullptr;
    int32_t left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

}  // namespace aldra::gdi
