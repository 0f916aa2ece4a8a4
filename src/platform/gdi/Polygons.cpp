#include <new>
#include <vector>

#include "platform/gdi/Drawing.h"
#include "platform/gdi/Paint.h"
#include "platform/gdi/Scan.h"
#include "platform/gdi/Strokes.h"

namespace aldra {
namespace {

class FillSink final : public gdi::SpanSink {
  public:
    FillSink(const gdi::Painter& painter, uint32_t value) : painter_(painter), value_(value) {}
    void Span(int32_t y, int32_t x0, int32_t x1) override { painter_.Span(y, x0, x1, value_); }

  private:
    const gdi::Painter& painter_;
    uint32_t value_;
};

}  // namespace

BOOL Polygon(HDC dc, const POINT* points, int count) {
    if (points == nullptr || count < 2) return FALSE;
    gdi::Painter painter;
    if (!painter.Open(dc)) return FALSE;
    const gdi::DcData& c = painter.Context();
    // Drawings call this for thousands of small shapes: the points' room is kept between calls.
    thread_local std::vector<gdi::DevicePoint> kept;
    std::vector<gdi::DevicePoint> own;
    constexpr size_t kKeptPoints = size_t{1} << 12;
    std::vector<gdi::DevicePoint>& device = static_cast<size_t>(count) <= kKeptPoints ? kept : own;
    try {
        device.resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    for (int i = 0; i < count; ++i)
        device[static_cast<size_t>(i)] = gdi::ToDevice(c, points[i].x, points[i].y);
    const gdi::Object* brush = gdi::Find(c.brush.Raw(), gdi::Kind::Brush);
    if (brush != nullptr && !brush->brush.hollow && !painter.Empty()) {
        FillSink sink(painter, painter.Value(brush->brush.colour));
        // Only the clipping region's box is scanned.
        const gdi::ScanWindow window{painter.Left(), painter.Top(), painter.Right(), painter.Bottom()};
        if (!gdi::ScanPolygon(device.data(), device.size(), c.polyFillMode == WINDING, window, sink))
            return FALSE;
    }
    gdi::StrokePath(painter, device.data(), device.size(), true);
    return TRUE;
}

int SetPolyFillMode(HDC dc, int mode) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr || (mode != ALTERNATE && mode != WINDING)) return 0;
    const int previous = context->dc.polyFillMode;
    context->dc.polyFillMode = mode;
    return previous;
}

}  // namespace aldra
