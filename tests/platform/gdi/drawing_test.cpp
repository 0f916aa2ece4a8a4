// Pens, polygons and clipping regions drawn into 24-bit targets: which pixels a shape covers, and
// that hostile coordinates end quickly.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kInk = 0x102030;  // RGB(0x10, 0x20, 0x30) as a 24-bit pixel value
constexpr COLORREF kInkRef = RGB(0x10, 0x20, 0x30);

// A white target with an ink brush and pen selected, put back and deleted on the way out.
struct Canvas : Target {
    HBRUSH brush = CreateSolidBrush(kInkRef);
    HPEN pen;
    HGDIOBJ oldBrush, oldPen;
    Canvas(int w, int h, int penWidth, bool fill = true, int penStyle = PS_SOLID)
        : Target(24, w, h, 0xFF), pen(CreatePen(penStyle, penWidth, kInkRef)) {
        oldBrush = SelectObject(dc, fill ? HGDIOBJ(brush) : GetStockObject(NULL_BRUSH));
        oldPen = SelectObject(dc, pen);
    }
    ~Canvas() {
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        EXPECT_TRUE(DeleteObject(brush));
        EXPECT_TRUE(DeleteObject(pen));
    }
    int Count() const {
        int n = 0;
        for (int y = 0; y < info.header.biHeight; ++y)
            for (int x = 0; x < info.header.biWidth; ++x) n += At(x, y) == kInk;
        return n;
    }
};

// Random polygons below check which pixels a fill covers; a polygon reaching far outside the bitmap
// is cut at its edges.
TEST(Polygons, ReachingFarOutsideIsCutAtTheBitmap) {
    Canvas c(110, 105, 1);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    const POINT far[] = {{-2000000000, 20}, {2000000000, 20}, {2000000000, 1000}, {-2000000000, 1000}};
    ASSERT_TRUE(Polygon(c.dc, far, 4));
    c.Expect([&](int, int y) { return y >= 20 ? kInk : kWhite; });
}

// The least squared distance, the lower index on ties.
uint32_t NearestOf(const RGBQUAD* table, uint32_t count, COLORREF c) {
    uint32_t best = 0, bestDistance = UINT32_MAX;
    for (uint32_t i = 0; i < count; ++i) {
        const int dr = table[i].rgbRed - GetRValue(c), dg = table[i].rgbGreen - GetGValue(c),
                  db = table[i].rgbBlue - GetBValue(c);
        const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

// Many colours, each drawn twice and on three targets in turn, one a table of greys running down with
// each grey twice (ties), one of colours, one of black and white a bit a pixel: every pixel is the
// nearest entry of its own target's table, so answers remembered for one table or one colour never
// serve another, and a pixel drawn into a byte keeps its neighbours.
TEST(Polygons, EveryColourTakesTheNearestEntryOfItsOwnTable) {
    RGBQUAD greys[256], colours[256], mono[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    for (uint32_t i = 0; i < 256; ++i) {
        const BYTE v = BYTE(255 - (i & ~1u));
        greys[i] = RGBQUAD{v, v, v, 0};
        colours[i] = RGBQUAD{BYTE(i * 37), BYTE(i * 101), BYTE(i * 13), 0};
    }
    constexpr int kColours = 96;
    auto colourAt = [](int x) { return RGB(x * 7 % 256, x * 53 % 256, x % 2 ? x * 29 % 256 : x * 7 % 256); };
    Target g(8, kColours, 1, 0, greys, 256), c(8, kColours, 1, 0, colours, 256),
        m(1, kColours, 1, 0, mono, 2);
    for (int round = 0; round < 2; ++round) {
        for (int x = 0; x < kColours; ++x) {
            for (Target* t : {&g, &c, &m}) {
                HBRUSH brush = CreateSolidBrush(colourAt(x));
                HGDIOBJ oldBrush = SelectObject(t->dc, brush);
                HGDIOBJ oldPen = SelectObject(t->dc, GetStockObject(NULL_PEN));
                const POINT pixel[] = {{x, 0}, {x + 1, 0}, {x + 1, 1}, {x, 1}};
                ASSERT_TRUE(Polygon(t->dc, pixel, 4));
                SelectObject(t->dc, oldPen);
                DeleteObject(SelectObject(t->dc, oldBrush));
            }
        }
    }
    g.Expect([&](int x, int) { return NearestOf(greys, 256, colourAt(x)); });
    c.Expect([&](int x, int) { return NearestOf(colours, 256, colourAt(x)); });
    m.Expect([&](int x, int) { return NearestOf(mono, 2, colourAt(x)); });
}

// The winding number at the centre of pixel (x, y), counted edge by edge: an edge from a to b
// counts when its crossing of the centre's row lies at or left of the centre.
int WindingAt(const std::vector<POINT>& poly, int x, int y) {
    int winding = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        POINT a = poly[i], b = poly[(i + 1) % poly.size()];
        const int direction = a.y < b.y ? 1 : -1;
        if (a.y > b.y) std::swap(a, b);
        if (!(a.y <= y && y < b.y)) continue;  // integer ends: the row's centre y + 0.5 is within
        const int64_t dy = b.y - a.y, dx = b.x - a.x;
        if (2 * int64_t{a.x} * dy + (2 * int64_t{y} + 1 - 2 * int64_t{a.y}) * dx <= (2 * int64_t{x} + 1) * dy)
            winding += direction;
    }
    return winding;
}

TEST(Polygons, RandomPolygonsMatchTheWindingAtEachPixelCentre) {
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
    };
    // Shapes of a few dozen rows and shapes taller than that are scanned differently: the rounds
    // alternate between a small canvas and one a hundred rows high, with points reaching past both.
    for (int round = 0; round < 200; ++round) {
        const int side = round % 4 < 2 ? 40 : 100;
        std::vector<POINT> poly(static_cast<size_t>(3 + next(round % 8 == 1 ? 40 : 10)));
        for (POINT& p : poly) p = POINT{next(2 * side) - side / 2, next(2 * side) - side / 2};
        const int mode = round % 2 == 0 ? ALTERNATE : WINDING;
        Canvas c(side, side, 1);
        SelectObject(c.dc, GetStockObject(NULL_PEN));
        SetPolyFillMode(c.dc, mode);
        ASSERT_TRUE(Polygon(c.dc, poly.data(), static_cast<int>(poly.size())));
        c.Expect([&](int x, int y) {
            const int w = WindingAt(poly, x, y);
            return (mode == ALTERNATE ? (w & 1) != 0 : w != 0) ? kInk : kWhite;
        });
        if (HasFatalFailure()) return;
    }
}

TEST(Polygons, OutlineWithThePenAroundTheFill) {
    Canvas c(20, 20, 1);
    HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
    SelectObject(c.dc, grey);
    const POINT square[] = {{2, 2}, {12, 2}, {12, 12}, {2, 12}};
    ASSERT_TRUE(Polygon(c.dc, square, 4));
    c.Expect([](int x, int y) {
        const bool frame =
            (x >= 2 && x <= 12 && (y == 2 || y == 12)) || (y >= 2 && y <= 12 && (x == 2 || x == 12));
        return frame ? kInk : x > 2 && x < 12 && y > 2 && y < 12 ? 0x808080u : kWhite;
    });
    SelectObject(c.dc, c.brush);
    DeleteObject(grey);
}

// A horizontal stroke from (10, 20) to (50, 20) for each row: the rows it covers and its reach
// left and right on the middle row and on the outermost row.
struct Stroke {
    int width;
    int firstRow, lastRow;
    int middleFrom, middleTo;  // covered columns on row 20, inclusive
    int edgeFrom, edgeTo;      // on firstRow
};

const Stroke kStrokes[] = {
    {1, 20, 20, 10, 49, 10, 49},  // the end pixel is left out
    {6, 17, 22, 7, 52, 8, 51},    // round ends: the outer rows are shorter
    {20, 10, 29, 0, 59, 7, 52},
};

TEST(Pens, HorizontalStrokesHaveThePensWidthAndRoundEnds) {
    for (const Stroke& s : kStrokes) {
        SCOPED_TRACE(s.width);
        Canvas c(64, 40, s.width, false);
        const POINT line[] = {{10, 20}, {50, 20}};
        ASSERT_TRUE(Polyline(c.dc, line, 2));
        for (int y = 0; y < 40; ++y) {
            int from = -1, to = -1;
            for (int x = 0; x < 64; ++x) {
                if (c.At(x, y) != kInk) continue;
                if (from < 0) from = x;
                EXPECT_EQ(to < 0 || to == x - 1, true) << "gap in row " << y;
                to = x;
            }
            EXPECT_EQ(from >= 0, y >= s.firstRow && y <= s.lastRow) << "row " << y;
            if (y == 20) {
                EXPECT_EQ((std::pair{from, to}), (std::pair{s.middleFrom, s.middleTo}));
            }
            if (y == s.firstRow) {
                EXPECT_EQ((std::pair{from, to}), (std::pair{s.edgeFrom, s.edgeTo}));
            }
        }
    }
}

TEST(Pens, ThinLinesStepOnePixelPerColumnAndLineToMovesThePosition) {
    Canvas c(16, 16, 1);
    ASSERT_TRUE(MoveToEx(c.dc, 0, 0, nullptr));
    ASSERT_TRUE(LineTo(c.dc, 10, 5));
    POINT at{};
    ASSERT_TRUE(GetCurrentPositionEx(c.dc, &at));
    EXPECT_EQ((std::pair{at.x, at.y}), (std::pair{10, 5}));
    c.Expect([](int x, int y) { return x < 10 && y == (2 * x * 5 + 10) / 20 ? kInk : kWhite; });
    ASSERT_TRUE(LineTo(c.dc, 10, 15));  // on from the new position, down column 10
    EXPECT_EQ(c.Count(), 20);
    for (int y = 5; y < 15; ++y) EXPECT_EQ(c.At(10, y), kInk) << y;
}

TEST(Pens, NullPenAndWideJoinsStayRound) {
    Canvas hidden(16, 16, 3, false, PS_NULL);
    const POINT line[] = {{1, 1}, {14, 14}};
    ASSERT_TRUE(Polyline(hidden.dc, line, 2));
    EXPECT_EQ(hidden.Count(), 0);
    // A right-angle bend with a wide pen: the outer corner is rounded, so its tip stays empty.
    Canvas bend(40, 40, 10, false);
    const POINT corner[] = {{10, 30}, {10, 10}, {30, 10}};
    ASSERT_TRUE(Polyline(bend.dc, corner, 3));
    EXPECT_EQ(bend.At(5, 5), kWhite);
    EXPECT_EQ(bend.At(10, 5), kInk);
    EXPECT_EQ(bend.At(5, 10), kInk);
}

TEST(Clipping, APolygonRegionReplacesARectangleAndTheCallerMayDeleteIt) {
    Canvas c(40, 40, 1);
    SelectObject(c.dc, GetStockObject(NULL_PEN));
    HRGN rect = CreateRectRgn(0, 0, 20, 20);
    EXPECT_EQ(SelectClipRgn(c.dc, rect), SIMPLEREGION);
    DeleteObject(rect);
    const POINT tri[] = {{40, 10}, {40, 40}, {10, 40}};
    HRGN polygon = CreatePolygonRgn(tri, 3, ALTERNATE);
    EXPECT_EQ(SelectClipRgn(c.dc, polygon), COMPLEXREGION);
    EXPECT_TRUE(DeleteObject(polygon));
    ASSERT_TRUE(Rectangle(c.dc, -1, -1, 41, 41));
    c.Expect([](int x, int y) { return x + y + 1 >= 50 && y >= 10 ? kInk : kWhite; });
    // Lines are clipped too, and a null region lifts the clipping.
    Canvas lines(20, 20, 1);
    HRGN band = CreateRectRgn(5, 0, 10, 20);
    SelectClipRgn(lines.dc, band);
    DeleteObject(band);
    const POINT across[] = {{0, 3}, {20, 3}};
    Polyline(lines.dc, across, 2);
    EXPECT_EQ(lines.Count(), 5);
    EXPECT_EQ(SelectClipRgn(lines.dc, nullptr), SIMPLEREGION);
    Polyline(lines.dc, across, 2);
    EXPECT_EQ(lines.Count(), 20);
    // A polygon of two points is an empty region: it hides everything.
    HRGN flat = CreatePolygonRgn(across, 2, ALTERNATE);
    SelectClipRgn(lines.dc, flat);
    DeleteObject(flat);
    const POINT down[] = {{1, 0}, {1, 20}};
    Polyline(lines.dc, down, 2);
    EXPECT_EQ(lines.Count(), 20);
}

TEST(Clipping, PolygonFillsAndOutlinesStayInsideTheRegion) {
    Canvas c(110, 105, 3);
    HRGN box = CreateRectRgn(30, 40, 90, 70);
    SelectClipRgn(c.dc, box);
    DeleteObject(box);
    const POINT tri[] = {{0, 100}, {100, 100}, {100, 0}};
    ASSERT_TRUE(Polygon(c.dc, tri, 3));
    c.Expect([](int x, int y) {
        const bool inBox = x >= 30 && x < 90 && y >= 40 && y < 70;
        return inBox && x + y + 1 >= 100 - 2 ? kInk : kWhite;  // the fill and half the pen's width
    });
}

TEST(Clipping, StaleHandlesFailCleanly) {
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    ASSERT_TRUE(DeleteObject(region));
    Canvas c(4, 4, 1);
    EXPECT_EQ(SelectClipRgn(c.dc, region), RGN_ERROR);
    EXPECT_FALSE(DeleteObject(region));
    HPEN pen = CreatePen(PS_SOLID, 2, 0);
    DeleteObject(pen);
    EXPECT_EQ(SelectObject(c.dc, pen), nullptr);
    const POINT p[] = {{0, 0}, {1, 1}};
    EXPECT_FALSE(Polygon(HDC::FromRaw(0x12345), p, 2));
    EXPECT_FALSE(Polyline(c.dc, p, 1));
    const LOGBRUSH hatched{2, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&hatched), nullptr);
}

// Each row draws something hostile into a 256 x 256 target; all of it must end (the test's time
// limit bounds it; bench_gdi_draw measures it) and touch nothing outside the bitmap.
struct Hostile {
    const char* name;
    int penWidth;
    std::vector<POINT> points;
    bool polygon;
    bool zoom = false;  // a mapping that multiplies by 2^31 - 1
};

std::vector<POINT> Zigzag(int n) {
    std::vector<POINT> p;
    for (int i = 0; i < n; ++i) p.push_back({(i * 7919) % 300 - 20, i % 2 == 0 ? -5 : 260});
    return p;
}

// Vertical segments far to the left whose million-pixel pens end at varying columns inside the
// bitmap: each covers part of every row.
std::vector<POINT> WideEdges(int n) {
    std::vector<POINT> p;
    for (int i = 0; i < n; ++i) p.push_back({-499872 + (i * 37) % 101, i % 2 == 0 ? -1000 : 1000});
    return p;
}

std::vector<POINT> TinySteps(int n) {
    std::vector<POINT> p;
    for (int i = 0; i < n; ++i) p.push_back({128 + (i % 3), 128 + (i % 5) - (i / 4096)});
    return p;
}

TEST(Hostile, HugeCoordinatesAndCountsEndQuickly) {
    const std::vector<POINT> extremes = {
        {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}};
    const std::vector<POINT> sliver = {{INT_MIN, 100}, {INT_MAX, 101}, {INT_MAX, 102}};
    const Hostile rows[] = {
        {"Extremes", 1, extremes, true},
        {"ExtremesZoomed", 3, extremes, true, true},
        {"Sliver", 1, sliver, true},
        {"SliverWidePen", 1000000, sliver, false},
        {"WidePenOffTheBitmap", 1000000, {{INT_MIN, INT_MIN}, {INT_MIN + 5, INT_MIN}}, false},
        {"DegenerateOnePoint", 7, {{5, 5}, {5, 5}, {5, 5}}, true},
        {"MillionTinySegments", 2, TinySteps(1000000), false},
        {"ZigzagOfTwentyThousandEdgesAcrossEveryRow", 1, Zigzag(20000), true},
        {"ThousandsOfWideSegmentsAcross", 40, Zigzag(2000), false},
        {"MillionPixelPensEndingInside", 1000000, WideEdges(4000), false},
    };
    for (const Hostile& h : rows) {
        SCOPED_TRACE(h.name);
        Canvas c(256, 256, h.penWidth);
        if (h.zoom) {
            SetMapMode(c.dc, MM_ANISOTROPIC);
            SetWindowExtEx(c.dc, 1, 1, nullptr);
            SetViewportExtEx(c.dc, INT_MAX, INT_MAX, nullptr);
        }
        const int n = static_cast<int>(h.points.size());
        EXPECT_TRUE(h.polygon ? Polygon(c.dc, h.points.data(), n) : Polyline(c.dc, h.points.data(), n));
        MoveToEx(c.dc, INT_MIN, INT_MAX, nullptr);
        EXPECT_TRUE(LineTo(c.dc, INT_MAX, INT_MIN));
    }
}

}  // namespace
}  // namespace aldra::test
