#include "platform/gdi/Strokes.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/gdi/Scan.h"

namespace aldra::gdi {
namespace {

// Steps along the major axis: pixel k of the line sits at major = m0 + sm * k and
// minor = n0 + sn * floor((2 k |dn| + |dm|) / (2 |dm|)), k in [0, |dm|).
struct Walk {
    int64_t m0, n0, dm, dn;
};

// The range of k for which major stays within [low, high).
bool MajorRange(const Walk& w, int64_t low, int64_t high, int64_t* k0, int64_t* k1) {
    const int64_t length = std::abs(w.dm);
    int64_t first, last;
    if (w.dm > 0) {
        first = low - w.m0;
        last = high - 1 - w.m0;
    } else {
        first = w.m0 - (high - 1);
        last = w.m0 - low;
    }
    *k0 = std::max<int64_t>(first, 0);
    *k1 = std::min<int64_t>(last, length - 1);
    return *k0 <= *k1;
}

template <class Plot>
void WalkLine(const Walk& w, int64_t k0, int64_t k1, Plot plot) {
    const int64_t sm = w.dm > 0 ? 1 : -1, sn = w.dn > 0 ? 1 : -1;
    const int64_t adm = std::abs(w.dm), adn = std::abs(w.dn);
    // The first step needs 128 bits only for lines millions of pixels long; a thumbnail's fit in 64,
    // whose division is many times quicker.
    constexpr int64_t kShort = int64_t{1} << 30;
    int64_t q, r;
    if (adm < kShort && adn < kShort && k0 < kShort) {
        const int64_t num = 2 * k0 * adn + adm;
        q = num / (2 * adm);
        r = num % (2 * adm);
    } else {
        const __int128 den = 2 * static_cast<__int128>(adm);
        const __int128 num = 2 * static_cast<__int128>(k0) * adn + adm;
        q = static_cast<int64_t>(num / den);
        r = static_cast<int64_t>(num % den);
    }
    const int64_t d = 2 * adm;
    const int64_t a = 2 * adn / d, b = 2 * adn % d;  // |dn| <= |dm|: a is 0 or 1
    for (int64_t k = k0; k <= k1; ++k) {
        plot(w.m0 + sm * k, w.n0 + sn * q);
        q += a;
        r += b;
        if (r >= d) {
            r -= d;
            ++q;
        }
    }
}

DevicePoint Clamped(DevicePoint p) {
    return {ClampCoordinate(p.x), ClampCoordinate(p.y)};
}

// The x interval [*lo, *hi] of the horizontal line at height yc inside the capsule, if any.
struct Capsule {
    double ax, ay, bx, by, radius;
    double ux = 0, uy = 0, length = 0;  // unit direction and length; zero for a dot

    Capsule(DevicePoint a, DevicePoint b, double r)
        : ax(static_cast<double>(a.x)),
          ay(static_cast<double>(a.y)),
          bx(static_cast<double>(b.x)),
          by(static_cast<double>(b.y)),
          radius(r) {
        length = std::hypot(bx - ax, by - ay);
        if (length > 0) {
            ux = (bx - ax) / length;
            uy = (by - ay) / length;
        }
    }

    static void Widen(double lo, double hi, double* outLo, double* outHi) {
        if (lo > hi) return;
        *outLo = std::min(*outLo, lo);
        *outHi = std::max(*outHi, hi);
    }

    void Disc(double cx, double cy, double yc, double* lo, double* hi) const {
        const double dy = yc - cy;
        if (std::fabs(dy) > radius) return;
        const double s = std::sqrt(radius * radius - dy * dy);
        Widen(cx - s, cx + s, lo, hi);
    }

    // Along the segment t = (x - ax) ux + (yc - ay) uy in [0, length]; across it
    // p = (yc - ay) ux - (x - ax) uy in [-radius, radius]. Both are linear in x.
    void Body(double yc, double* lo, double* hi) const {
        if (length <= 0) return;
        double from = -HUGE_VAL, to = HUGE_VAL;
        const double along = (yc - ay) * uy, across = (yc - ay) * ux;
        if (!Limit(ux, -along, length - along, &from, &to)) return;
        if (!Limit(-uy, -radius - across, radius - across, &from, &to)) return;
        Widen(ax + from, ax + to, lo, hi);
    }

    // Narrows [from, to] to the x offsets with low <= c * x <= high.
    static bool Limit(double c, double low, double high, double* from, double* to) {
        if (c == 0) return low <= 0 && 0 <= high;
        double x0 = low / c, x1 = high / c;
        if (x0 > x1) std::swap(x0, x1);
        *from = std::max(*from, x0);
        *to = std::min(*to, x1);
        return *from <= *to;
    }

    bool Row(double yc, double* lo, double* hi) const {
        *lo = HUGE_VAL;
        *hi = -HUGE_VAL;
        Disc(ax, ay, yc, lo, hi);
        Disc(bx, by, yc, lo, hi);
        Body(yc, lo, hi);
        return *lo <= *hi;
    }

    double Distance(double x, double y) const {
        double t = length > 0 ? (x - ax) * ux + (y - ay) * uy : 0;
        t = std::clamp(t, 0.0, length);
        return std::hypot(x - (ax + t * ux), y - (ay + t * uy));
    }
};

// The first pixel whose centre is at or right of x, kept within [low, high].
int64_t PixelAtOrRight(double x, int64_t low, int64_t high) {
    const double p = std::ceil(x - 0.5);
    if (!(p > static_cast<double>(low))) return low;
    if (p >= static_cast<double>(high)) return high;
    return static_cast<int64_t>(p);
}

}  // namespace

void StrokeThin(const Painter& painter, DevicePoint a, DevicePoint b, uint32_t value) {
    if (painter.Empty()) return;
    a = Clamped(a);
    b = Clamped(b);
    const int64_t dx = b.x - a.x, dy = b.y - a.y;
    if (dx == 0 && dy == 0) return;
    int64_t k0, k1;
    if (std::abs(dx) >= std::abs(dy)) {
        const Walk w{a.x, a.y, dx, dy};
        if (!MajorRange(w, painter.Left(), painter.Right(), &k0, &k1)) return;
        WalkLine(w, k0, k1, [&](int64_t x, int64_t y) { painter.Pixel(x, y, value); });
    } else {
        const Walk w{a.y, a.x, dy, dx};
        if (!MajorRange(w, painter.Top(), painter.Bottom(), &k0, &k1)) return;
        WalkLine(w, k0, k1, [&](int64_t y, int64_t x) { painter.Pixel(x, y, value); });
    }
}

void Coverage::Paint(int64_t y, int64_t x0, int64_t x1, uint32_t value) {
    x0 = std::max<int64_t>(x0, painter_.Left());
    x1 = std::min<int64_t>(x1, painter_.Right());
    if (y < painter_.Top() || y >= painter_.Bottom() || x0 >= x1) return;
    if (rows_.empty()) rows_.resize(static_cast<size_t>(painter_.Bottom() - painter_.Top()));
    auto& runs = rows_[static_cast<size_t>(y - painter_.Top())];
    // The runs touching [x0, x1) are merged with it; only the gaps between them are painted.
    auto first =
        std::lower_bound(runs.begin(), runs.end(), x0,
                         [](const std::pair<int32_t, int32_t>& run, int64_t x) { return run.second < x; });
    if (first != runs.end() && first->first <= x0 && first->second >= x1) return;  // painted already
    int64_t cursor = x0, from = x0, to = x1;
    auto last = first;
    for (; last != runs.end() && last->first <= x1; ++last) {
        if (cursor < last->first) painter_.Span(y, cursor, last->first, value);
        cursor = std::max<int64_t>(cursor, last->second);
        from = std::min<int64_t>(from, last->first);
        to = std::max<int64_t>(to, last->second);
    }
    if (cursor < x1) painter_.Span(y, cursor, x1, value);
    const std::pair<int32_t, int32_t> merged{static_cast<int32_t>(from), static_cast<int32_t>(to)};
    const bool wasFull =
        runs.size() == 1 && runs[0].first == painter_.Left() && runs[0].second == painter_.Right();
    first = runs.erase(first, last);
    runs.insert(first, merged);
    if (!wasFull && merged.first == painter_.Left() && merged.second == painter_.Right()) ++fullRows_;
}

void StrokeWide(Coverage& coverage, const Painter& painter, DevicePoint a, DevicePoint b, int64_t width,
                uint32_t value) {
    if (painter.Empty()) return;
    const Capsule c(Clamped(a), Clamped(b), static_cast<double>(width) / 2);
    const double left = painter.Left(), top = painter.Top(), right = painter.Right(),
                 bottom = painter.Bottom();
    const double reachLeft = std::min(c.ax, c.bx) - c.radius - 1,
                 reachRight = std::max(c.ax, c.bx) + c.radius + 1;
    const double reachTop = std::min(c.ay, c.by) - c.radius - 1,
                 reachBottom = std::max(c.ay, c.by) + c.radius + 1;
    if (reachRight < left || reachLeft > right || reachBottom < top || reachTop > bottom) return;
    const double margin = c.radius - 1;
    if (c.Distance(left, top) <= margin && c.Distance(right, top) <= margin &&
        c.Distance(left, bottom) <= margin && c.Distance(right, bottom) <= margin) {
        for (int32_t y = painter.Top(); y < painter.Bottom(); ++y)
            coverage.Paint(y, painter.Left(), painter.Right(), value);
        return;
    }
    const int64_t y0 = reachTop <= top ? painter.Top() : static_cast<int64_t>(reachTop);
    const int64_t y1 = reachBottom >= bottom ? painter.Bottom() : static_cast<int64_t>(reachBottom);
    for (int64_t y = y0; y < y1; ++y) {
        double lo, hi;
        if (!c.Row(static_cast<double>(y) + 0.5, &lo, &hi)) continue;
        const int64_t x0 = PixelAtOrRight(lo, painter.Left(), painter.Right());
        const int64_t x1 = PixelAtOrRight(hi, painter.Left(), painter.Right());
        coverage.Paint(y, x0, x1, value);
    }
}

}  // namespace aldra::gdi

namespace aldra::gdi {

void StrokePath(const Painter& painter, const DevicePoint* points, size_t count, bool closed) {
    const Object* pen = Find(painter.Context().pen.Raw(), Kind::Pen);
    if (pen == nullptr || pen->pen.style == PS_NULL || count < 2 || painter.Empty()) return;
    const uint32_t value = painter.Value(pen->pen.colour);
    const DevicePoint origin = ToDevice(painter.Context(), 0, 0);
    const int64_t width = std::abs(ToDevice(painter.Context(), pen->pen.width, 0).x - origin.x);
    const size_t segments = closed ? count : count - 1;
    // The segment after i ends at i + 1, the closing one at the first point.
    const auto next = [count](size_t i) { return i + 1 == count ? 0 : i + 1; };
    if (width <= 1) {
        for (size_t i = 0; i < segments; ++i) StrokeThin(painter, points[i], points[next(i)], value);
        return;
    }
    try {
        Coverage coverage(painter);
        for (size_t i = 0; i < segments && !coverage.Full(); ++i)
            StrokeWide(coverage, painter, points[i], points[next(i)], width, value);
    } catch (const std::bad_alloc&) {
        // Out of memory part way: what is painted stays, the rest of the stroke is left out.
    }
}

}  // namespace aldra::gdi
