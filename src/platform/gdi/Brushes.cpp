#include "platform/gdi/Brushes.h"

#include <utility>

#include "platform/gdi/Context.h"

namespace aldra {
namespace {

// Device rectangle [x0, x1) x [y0, y1), already clipped.
struct Span {
    int32_t x0, y0, x1, y1;
};

Span Clip(const gdi::Surface& s, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    auto clamp = [](int64_t v, int32_t limit) {
        return static_cast<int32_t>(v < 0 ? 0 : (v > limit ? limit : v));
    };
    return Span{clamp(x0, s.width), clamp(y0, s.height), clamp(x1, s.width), clamp(y1, s.height)};
}

void Fill(const gdi::Surface& s, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value) {
    const Span c = Clip(s, x0, y0, x1, y1);
    if (c.x0 >= c.x1) return;
    for (int32_t y = c.y0; y < c.y1; ++y) gdi::FillSpan(s, y, c.x0, c.x1, value);
}

}  // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    gdi::Object* context = nullptr;
    gdi::Surface s;
    if (!gdi::DrawingSurface(dc, &context, &s)) return FALSE;
    gdi::DevicePoint a = gdi::ToDevice(context->dc, left, top);
    gdi::DevicePoint b = gdi::ToDevice(context->dc, right, bottom);
    // GDI draws the rectangle the same whichever corner comes first.
    if (a.x > b.x) std::swap(a.x, b.x);
    if (a.y > b.y) std::swap(a.y, b.y);

    const gdi::Object* brush = gdi::Find(context->dc.brush.Raw(), gdi::Kind::Brush);
    const gdi::Object* pen = gdi::Find(context->dc.pen.Raw(), gdi::Kind::Pen);
    const bool fill = brush != nullptr && !brush->brush.hollow;
    const bool outline = pen != nullptr && pen->pen.style != PS_NULL;
    if (!outline) {
        if (fill) Fill(s, a.x, a.y, b.x - 1, b.y - 1, gdi::SurfaceValue(s, brush->brush.colour));
        return TRUE;
    }
    const int64_t w = pen->pen.width;
    if (fill) Fill(s, a.x + w, a.y + w, b.x - w, b.y - w, gdi::SurfaceValue(s, brush->brush.colour));
    const uint32_t ink = gdi::SurfaceValue(s, pen->pen.colour);
    if (b.x - a.x <= 2 * w || b.y - a.y <= 2 * w) {
        Fill(s, a.x, a.y, b.x, b.y, ink);  // all outline
        return TRUE;
    }
    Fill(s, a.x, a.y, b.x, a.y + w, ink);
    Fill(s, a.x, b.y - w, b.x, b.y, ink);
    Fill(s, a.x, a.y + w, a.x + w, b.y - w, ink);
    Fill(s, b.x - w, a.y + w, b.x, b.y - w, ink);
    return TRUE;
}

}  // namespace aldra
