#include "platform/gdi/Paint.h"

#include <algorithm>
#include <new>
#include <vector>

#include "platform/gdi/Scan.h"

namespace aldra::gdi {
namespace {

// Collects a region's runs row by row into ClipSpans.
class ClipBuilder final : public SpanSink {
  public:
    explicit ClipBuilder(ClipSpans& spans) : spans_(spans) {}
    void Span(int32_t y, int32_t x0, int32_t x1) override {
        CloseRowsUpTo(y);
        spans_.xs.push_back(x0);
        spans_.xs.push_back(x1);
        spans_.left = std::min(spans_.left, x0);
        spans_.right = std::max(spans_.right, x1);
        spans_.top = std::min(spans_.top, y);
        spans_.bottom = std::max(spans_.bottom, y + 1);
    }
    // rowStart[r] is where row r's runs begin; rows before y are complete.
    void CloseRowsUpTo(int32_t y) {
        while (static_cast<int32_t>(spans_.rowStart.size()) <= y)
            spans_.rowStart.push_back(static_cast<uint32_t>(spans_.xs.size()));
    }

  private:
    ClipSpans& spans_;
};

bool BuildClip(const RegionData& region, int32_t width, int32_t height, ClipSpans& spans) {
    spans = ClipSpans{};
    spans.width = width;
    spans.height = height;
    spans.left = width;
    spans.top = height;
    try {
        spans.rowStart.reserve(static_cast<size_t>(height) + 1);
        ClipBuilder builder(spans);
        if (region.polygon) {
            std::vector<DevicePoint> points(region.points.size() / 2);
            for (size_t i = 0; i < points.size(); ++i)
                points[i] = {region.points[2 * i], region.points[2 * i + 1]};
            if (!ScanPolygon(points.data(), points.size(), region.fillMode == 2,
                             ScanWindow{0, 0, width, height}, builder))
                return false;
        } else {
            const int32_t x0 = std::max(region.left, 0), x1 = std::min(region.right, width);
            const int32_t y0 = std::max(region.top, 0), y1 = std::min(region.bottom, height);
            for (int32_t y = y0; x0 < x1 && y < y1; ++y) builder.Span(y, x0, x1);
        }
        builder.CloseRowsUpTo(height);
    } catch (const std::bad_alloc&) {
        spans = ClipSpans{};
        return false;
    }
    return true;
}

}  // namespace

bool Painter::Open(HDC dc) {
    if (!DrawingSurface(dc, &context_, &surface_)) return false;
    left_ = 0;
    top_ = 0;
    right_ = surface_.width;
    bottom_ = surface_.height;
    clip_ = nullptr;
    if (!context_->dc.clipped) return true;
    return MakeClip();
}

bool Painter::MakeClip() {
    ClipSpans& spans = context_->dc.clipSpans;
    if (spans.width != surface_.width || spans.height != surface_.height) {
        if (!BuildClip(context_->dc.clip, surface_.width, surface_.height, spans)) return false;
    }
    clip_ = &spans;
    left_ = spans.left;
    top_ = spans.top;
    right_ = spans.right;
    bottom_ = spans.bottom;
    return true;
}

void Painter::Span(int64_t y, int64_t x0, int64_t x1, uint32_t value) const {
    if (y < top_ || y >= bottom_) return;
    x0 = std::max<int64_t>(x0, left_);
    x1 = std::min<int64_t>(x1, right_);
    if (x0 >= x1) return;
    const int32_t row = static_cast<int32_t>(y);
    if (clip_ == nullptr) {
        FillSpan(surface_, row, static_cast<int32_t>(x0), static_cast<int32_t>(x1), value);
        return;
    }
    // The row's runs are sorted pairs; find the first that ends after x0.
    const int32_t* begin = clip_->xs.data() + clip_->rowStart[static_cast<size_t>(row)];
    const int32_t* end = clip_->xs.data() + clip_->rowStart[static_cast<size_t>(row) + 1];
    size_t lo = 0, hi = static_cast<size_t>(end - begin) / 2;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (begin[2 * mid + 1] <= x0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    for (const int32_t* run = begin + 2 * lo; run < end && run[0] < x1; run += 2) {
        const int64_t a = std::max<int64_t>(x0, run[0]), b = std::min<int64_t>(x1, run[1]);
        if (a < b) FillSpan(surface_, row, static_cast<int32_t>(a), static_cast<int32_t>(b), value);
    }
}

}  // namespace aldra::gdi
