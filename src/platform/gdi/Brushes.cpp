#include "platform/gdi/Brushes.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/Paint.h"

namespace aldra {
namespace {

void Fill(const gdi::Painter& p, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value) {
    if (x0 >= x1) return;
    y0 = std::max<int64_t>(y0, p.Top());
    y1 = std::min<int64_t>(y1, p.Bottom());
    for (int64_t y = y0; y < y1; ++y) p.Span(y, x0, x1, value);
}

}  // namespace

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    gdi::Painter s;
    if (!s.Open(dc)) return FALSE;
    gdi::DevicePoint a = gdi::ToDevice(s.Context(), left, top);
    gdi::DevicePoint b = gdi::ToDevice(s.Context(), right, bottom);
    // GDI draws the rectangle the same whichever corner comes first.
    if (a.x > b.x) std::swap(a.x, b.x);
    if (a.y > b.y) std::swap(a.y, b.y);

    const gdi::Object* brush = gdi::Find(s.Context().brush.Raw(), gdi::Kind::Brush);
    const gdi::Object* pen = gdi::Find(s.Context().pen.Raw(), gdi::Kind::Pen);
    const bool fill = brush != nullptr && !brush->brush.hollow;
    const bool outline = pen != nullptr && pen->pen.style != PS_NULL;
    if (!outline) {
        if (fill) Fill(s, a.x, a.y, b.x - 1, b.y - 1, s.Value(brush->brush.colour));
        return TRUE;
    }
    const int64_t w = pen->pen.width;
    if (fill) Fill(s, a.x + w, a.y + w, b.x - w, b.y - w, s.Value(brush->brush.colour));
    const uint32_t ink = s.Value(pen->pen.colour);
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
