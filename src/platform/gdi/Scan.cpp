#include "platform/gdi/Scan.h"

#include <algorithm>
#include <new>
#include <vector>

namespace aldra::gdi {
namespace {

inline constexpr uint32_t kNoEdge = UINT32_MAX;

// An edge waiting for its first row; `from` is the index of its first point, `next` the next edge
// starting in the same row.
struct Pending {
    uint32_t from;
    uint32_t next;
};

// What a row brings: the change of winding left of the pixels, and the first of the edges that
// start in it. Edges are so found row by row without sorting them; those starting in the same row
// may be taken in any order (see SortByColumn).
struct RowStart {
    int32_t leftChange = 0;
    uint32_t firstEdge = kNoEdge;
};

// An edge crossing the current row. `q` is the first pixel whose centre lies right of the crossing:
// q = ceil(n / d) for the exact crossing numerator n, with r = q * d - n in [0, d). Moving down a
// row adds 2 dx = a * d + b to n.
struct Active {
    int64_t q, r, a, b, d;
    int32_t endRow;
    int32_t direction;
};

struct Crossing {
    int64_t x;
    int32_t direction;
};

template <typename Wide>
Wide FloorDiv(Wide n, Wide d) {
    Wide q = n / d;
    if (q * d > n) --q;
    return q;
}

struct Edge {
    DevicePoint top, bottom;
    int32_t direction;  // +1 when the polygon runs downwards along it
};

// A point held within the limits and moved so that the window's corner is the origin.
DevicePoint MovedInto(DevicePoint p, const ScanWindow& w) {
    return {ClampCoordinate(p.x) - w.left, ClampCoordinate(p.y) - w.top};
}

// The edge from p to q top down.
Edge Downwards(DevicePoint p, DevicePoint q) {
    return p.y < q.y ? Edge{p, q, 1} : Edge{q, p, -1};
}

// Whether every coordinate of the edge, and the row, lies within +-limit.
bool Within(const Edge& e, int32_t row, int64_t limit) {
    const auto fits = [limit](int64_t v) { return v > -limit && v < limit; };
    return fits(e.top.x) && fits(e.top.y) && fits(e.bottom.x) && fits(e.bottom.y) && fits(row);
}

// Edges of ordinary pictures: every term below fits in 64 bits with room to spare, and 64-bit
// division costs a fraction of the 128-bit one. Those of a thumbnail (within 2^13 pixels of the
// window) fit in 32 bits, whose division is quicker again.
constexpr int64_t kSmall = int64_t{1} << 28;
constexpr int64_t kTiny = int64_t{1} << 13;

template <typename Wide>
Active StartIn(const Edge& e, int32_t row, int32_t endRow) {
    const Wide dy = static_cast<Wide>(e.bottom.y - e.top.y);
    const Wide dx = static_cast<Wide>(e.bottom.x - e.top.x);
    const Wide d = 2 * dy;
    const Wide topX = static_cast<Wide>(e.top.x), topY = static_cast<Wide>(e.top.y);
    // The crossing at the row's centre, less half a pixel: n / d.
    const Wide n = (2 * topX - 1) * dy + (2 * Wide{row} + 1 - 2 * topY) * dx;
    const Wide q = -FloorDiv(-n, d);
    const Wide a = FloorDiv(2 * dx, d);
    Active edge;
    edge.q = static_cast<int64_t>(q);
    edge.r = static_cast<int64_t>(q * d - n);
    edge.a = static_cast<int64_t>(a);
    edge.b = static_cast<int64_t>(2 * dx - a * d);
    edge.d = static_cast<int64_t>(d);
    edge.endRow = endRow;
    edge.direction = e.direction;
    return edge;
}

Active Start(const Edge& e, int32_t row, int32_t endRow) {
    if (Within(e, row, kTiny)) return StartIn<int32_t>(e, row, endRow);
    return Within(e, row, kSmall) ? StartIn<int64_t>(e, row, endRow) : StartIn<__int128>(e, row, endRow);
}

void Step(Active& e) {
    if (e.b > e.r) {
        e.q += e.a + 1;
        e.r = e.d - e.b + e.r;
    } else {
        e.q += e.a;
        e.r -= e.b;
    }
}

void SortFew(Crossing* crossings, size_t count) {
    for (size_t i = 1; i < count; ++i) {
        const Crossing c = crossings[i];
        size_t j = i;
        for (; j > 0 && crossings[j - 1].x > c.x; --j) crossings[j] = crossings[j - 1];
        crossings[j] = c;
    }
}

// A row of an ordinary shape has two or four crossings, where a general sort costs more than the
// rest of the row. Crossings at the same column may come in any order: the winding past them is the
// same, and so are the pixels painted.
void SortByColumn(std::vector<Crossing>& crossings) {
    constexpr size_t kFew = 16;
    if (crossings.size() > kFew) {
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        return;
    }
    SortFew(crossings.data(), crossings.size());
}

// The runs of window row y (0 at the window's top) between crossings sorted by column, with the
// winding `winding` left of the window.
void EmitRow(const Crossing* crossings, size_t count, int32_t y, int32_t winding, bool nonZero,
             const ScanWindow& window, SpanSink& sink) {
    const auto inside = [nonZero](int32_t w) { return nonZero ? w != 0 : (w & 1) != 0; };
    const auto emit = [&](int64_t x0, int64_t x1) {
        sink.Span(y + window.top, static_cast<int32_t>(x0 + window.left),
                  static_cast<int32_t>(x1 + window.left));
    };
    const int64_t width = window.right - window.left;
    bool in = inside(winding);
    int64_t start = 0;
    for (size_t i = 0; i < count; ++i) {
        winding += crossings[i].direction;
        const bool now = inside(winding);
        if (now == in) continue;
        if (now) {
            start = crossings[i].x;
        } else if (start < crossings[i].x) {
            emit(start, crossings[i].x);
        }
        in = now;
    }
    if (in && start < width) emit(start, width);
}

// The scanner's lists. Pictures are thousands of small shapes, and making the lists anew for each
// cost more than scanning it, so a thread keeps one set; a scan started from inside another (a sink
// that draws) gets its own.
struct ScanLists {
    std::vector<Pending> pending;
    std::vector<RowStart> rows;  // empty between scans, so that a small shape clears only its own
    std::vector<Active> active;
    std::vector<Crossing> crossings;
    std::vector<int32_t> columns;
    bool busy = false;

    // A huge polygon's room is given back rather than kept for the thread's life.
    void Release() {
        constexpr size_t kKept = size_t{1} << 12;
        if (pending.capacity() > kKept || active.capacity() > kKept || crossings.capacity() > kKept ||
            rows.capacity() > kKept || columns.capacity() > kKept)
            *this = ScanLists{};
        busy = false;
    }
};

class Scanner {
  public:
    Scanner(const DevicePoint* points, size_t count, bool nonZero, const ScanWindow& window, ScanLists& lists)
        : points_(points),
          count_(count),
          nonZero_(nonZero),
          window_(window),
          width_(window.right - window.left),
          height_(window.bottom - window.top),
          pending_(lists.pending),
          rows_(lists.rows),
          active_(lists.active),
          crossings_(lists.crossings),
          columns_(lists.columns) {
        pending_.clear();
        active_.clear();
    }

    void Run(SpanSink& sink) {
        Collect();
        int32_t leftWinding = 0;
        for (int32_t y = firstRow_; y < endRow_; ++y) {
            const RowStart& row = rows_[static_cast<size_t>(y)];
            leftWinding += row.leftChange;
            for (uint32_t k = row.firstEdge; k != kNoEdge; k = pending_[k].next) Activate(pending_[k], y);
            if (active_.empty() && leftWinding == 0) continue;
            Cross(y);
            EmitSorted(y, leftWinding, sink);
        }
    }

    // Every change Collect made lies in rows [firstRow_, endRow_].
    void ClearRows() {
        if (firstRow_ <= endRow_)
            std::fill(rows_.begin() + firstRow_, rows_.begin() + endRow_ + 1, RowStart{});
    }

  private:
    DevicePoint Moved(DevicePoint p) const { return MovedInto(p, window_); }

    Edge EdgeAt(uint32_t from) const {
        const size_t to = from + 1 == count_ ? 0 : from + 1;  // a division per edge costs more than the rest
        return Downwards(Moved(points_[from]), Moved(points_[to]));
    }

    // Edges wholly left of the pixels only change the winding at the left edge of their rows; those
    // wholly right of them, above or below change nothing. Rows outside [firstRow_, endRow_) meet no
    // edge and have no winding, so a small shape costs its own rows, not the window's.
    void Collect() {
        if (rows_.size() < static_cast<size_t>(height_) + 1) rows_.resize(static_cast<size_t>(height_) + 1);
        firstRow_ = height_;
        endRow_ = 0;
        // Each point is moved once and shared by the two edges that meet at it.
        DevicePoint from = Moved(points_[0]);
        for (size_t i = 0; i < count_; ++i) {
            const DevicePoint to = Moved(points_[i + 1 == count_ ? 0 : i + 1]);
            const Edge e = Downwards(from, to);
            from = to;
            if (e.top.y == e.bottom.y || e.bottom.y <= 0 || e.top.y >= height_) continue;
            const int32_t first = static_cast<int32_t>(std::max<int64_t>(e.top.y, 0));
            const int32_t end = static_cast<int32_t>(std::min<int64_t>(e.bottom.y, height_));
            const int64_t left = std::min(e.top.x, e.bottom.x), right = std::max(e.top.x, e.bottom.x);
            if (left >= width_) continue;
            firstRow_ = std::min(firstRow_, first);
            endRow_ = std::max(endRow_, end);
            if (right < 0) {
                rows_[static_cast<size_t>(first)].leftChange += e.direction;
                rows_[static_cast<size_t>(end)].leftChange -= e.direction;
                continue;
            }
            uint32_t& firstEdge = rows_[static_cast<size_t>(first)].firstEdge;
            pending_.push_back(Pending{static_cast<uint32_t>(i), firstEdge});
            firstEdge = static_cast<uint32_t>(pending_.size() - 1);
        }
    }

    void Activate(const Pending& p, int32_t y) {
        const Edge e = EdgeAt(p.from);
        active_.push_back(Start(e, y, static_cast<int32_t>(std::min<int64_t>(e.bottom.y, height_))));
    }

    // The crossings of row y, sorted into crossings_; edges ending at the row are dropped and the
    // rest step down. Few crossings are sorted; many (a polygon of a million edges crossing every
    // row) are counted into columns, which costs the row's width instead of a sort.
    void Cross(int32_t y) {
        crossings_.clear();
        const bool counted = active_.size() * 16 > static_cast<size_t>(width_);
        if (counted) columns_.assign(static_cast<size_t>(width_) + 1, 0);
        for (size_t i = 0; i < active_.size();) {
            Active& e = active_[i];
            const int64_t x = std::clamp<int64_t>(e.q, 0, width_);
            if (counted) {
                columns_[static_cast<size_t>(x)] += e.direction;
            } else {
                crossings_.push_back(Crossing{x, e.direction});
            }
            if (y + 1 >= e.endRow) {
                e = active_.back();
                active_.pop_back();
                continue;
            }
            Step(e);
            ++i;
        }
        if (!counted) {
            SortByColumn(crossings_);
            return;
        }
        for (int32_t x = 0; x <= width_; ++x) {
            const int32_t change = columns_[static_cast<size_t>(x)];
            if (change != 0) crossings_.push_back(Crossing{x, change});
        }
    }

    void EmitSorted(int32_t y, int32_t winding, SpanSink& sink) {
        EmitRow(crossings_.data(), crossings_.size(), y, winding, nonZero_, window_, sink);
    }

    const DevicePoint* points_;
    size_t count_;
    bool nonZero_;
    ScanWindow window_;
    int32_t width_, height_;
    int32_t firstRow_ = 0, endRow_ = 0;
    std::vector<Pending>& pending_;
    std::vector<RowStart>& rows_;
    std::vector<Active>& active_;
    std::vector<Crossing>& crossings_;
    std::vector<int32_t>& columns_;
};

// A drawing is mostly shapes a few dozen rows high with a few dozen edges. Their crossings are
// collected row by row into a small table on the stack, without the pending, row and active lists
// the general scan keeps (whose upkeep cost more than the crossings themselves), and each row is
// then sorted and painted as the general scan paints it. False, before anything is painted, for a
// shape too tall, too far out or of too many edges for the table, or with too many crossings in a row.
class SmallScan {
  public:
    static constexpr int32_t kMaxRows = 64;
    static constexpr size_t kMaxEdges = 512;

    bool Run(const DevicePoint* points, size_t count, bool nonZero, const ScanWindow& window,
             SpanSink& sink) {
        if (count > kMaxEdges) return false;
        const int32_t width = window.right - window.left, height = window.bottom - window.top;
        int64_t top = INT64_MAX, bottom = INT64_MIN;
        for (size_t i = 0; i < count; ++i) {
            const DevicePoint p = MovedInto(points[i], window);
            if (!(p.x > -kTiny && p.x < kTiny && p.y > -kTiny && p.y < kTiny)) return false;
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
        first_ = static_cast<int32_t>(std::max<int64_t>(top, 0));
        const int32_t end = static_cast<int32_t>(std::min<int64_t>(bottom, height));
        if (end <= first_) return true;  // no row of the window meets the shape
        if (end - first_ > kMaxRows) return false;
        std::fill(counts_, counts_ + (end - first_), uint8_t{0});
        DevicePoint from = MovedInto(points[0], window);
        for (size_t i = 0; i < count; ++i) {
            const DevicePoint to = MovedInto(points[i + 1 == count ? 0 : i + 1], window);
            const Edge e = Downwards(from, to);
            from = to;
            if (e.top.y == e.bottom.y || e.bottom.y <= 0 || e.top.y >= height) continue;
            if (std::min(e.top.x, e.bottom.x) >= width) continue;
            if (!AddEdge(e, width, height)) return false;
        }
        for (int32_t y = first_; y < end; ++y) {
            Crossing* row = crossings_[y - first_];
            const size_t n = counts_[y - first_];
            if (n == 0) continue;
            SortFew(row, n);
            EmitRow(row, n, y, 0, nonZero, window, sink);
        }
        return true;
    }

  private:
    static constexpr size_t kRowCrossings = 8;

    bool Add(int32_t y, int64_t x, int32_t direction) {
        uint8_t& n = counts_[y - first_];
        if (n == kRowCrossings) return false;
        crossings_[y - first_][n++] = Crossing{x, direction};
        return true;
    }

    // The edge's crossings of rows [max(top, 0), min(bottom, height)), each clamped to the window's
    // columns as the general scan clamps them; an edge wholly left of the pixels crosses at 0.
    bool AddEdge(const Edge& e, int32_t width, int32_t height) {
        const int32_t y0 = static_cast<int32_t>(std::max<int64_t>(e.top.y, 0));
        const int32_t y1 = static_cast<int32_t>(std::min<int64_t>(e.bottom.y, height));
        if (std::max(e.top.x, e.bottom.x) < 0) {
            for (int32_t y = y0; y < y1; ++y)
                if (!Add(y, 0, e.direction)) return false;
            return true;
        }
        Active a = StartIn<int32_t>(e, y0, y1);
        for (int32_t y = y0;;) {
            if (!Add(y, std::clamp<int64_t>(a.q, 0, width), e.direction)) return false;
            if (++y >= y1) return true;
            Step(a);
        }
    }

    int32_t first_ = 0;
    uint8_t counts_[kMaxRows];
    Crossing crossings_[kMaxRows][kRowCrossings];
};

}  // namespace

bool ScanPolygon(const DevicePoint* points, size_t count, bool nonZero, const ScanWindow& window,
                 SpanSink& sink) {
    if (points == nullptr || count < 2 || count > UINT32_MAX || window.left >= window.right ||
        window.top >= window.bottom)
        return true;
    {
        SmallScan small;
        if (small.Run(points, count, nonZero, window, sink)) return true;
    }
    thread_local ScanLists shared;
    ScanLists own;
    ScanLists& lists = shared.busy ? own : shared;
    lists.busy = true;
    bool scanned = true;
    try {
        Scanner scanner(points, count, nonZero, window, lists);
        scanner.Run(sink);
        scanner.ClearRows();
    } catch (const std::bad_alloc&) {
        lists = ScanLists{};  // its changes may be left anywhere
        scanned = false;
    }
    lists.Release();
    return scanned;
}

}  // namespace aldra::gdi
