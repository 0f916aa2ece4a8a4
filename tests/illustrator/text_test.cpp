// The drawing's text. Drawn: placed by the text matrix and position, its baseline on the mapped
// origin, greeked into grey bars below seven pixels (each row counts dark pixels in regions of a
// 100 x 100 target at scale 1). Collected for the notes: one line per font size, largest first,
// pieces of one size joined by a space unless "Tk" says otherwise, and the whole cut to the limit.
#include <vector>

#include "illustrator/Drawing.h"
#include "illustrator/DrawingLayer.h"

namespace aldra {
namespace {

using namespace testing;

// Text at page (10, 50), that is pixel (10, 50).
std::string Text(const std::string& setup, const std::string& shows) {
    return "0 To\n1 0 0 1 10 50 0 Tp\n" + setup + shows + "TO\n";
}

struct Region {
    uint32_t x0, y0, x1, y1;
    int least, most;  // dark pixels
};

TEST(Text, PlacementGreekingAndPaintModes) {
    struct Case {
        const char* name;
        std::string artwork;
        Status status;
        std::vector<Region> regions;
    } cases[] = {
        {"12-pixel text sits on its baseline right of the origin",
         Text("/_Helvetica 12 Tf\n0 Tr\n", "(Hello) Tx\n"),
         kOk,
         {{10, 39, 45, 51, 40, 400}, {0, 51, 100, 100, 0, 0}, {0, 0, 9, 100, 0, 0}, {0, 0, 100, 37, 0, 0}}},
        {"t moves a line down by the font size",
         Text("/_Helvetica 12 Tf\n0 Tr\n", "(Hello\\r) t\n(Hello) Tx\n"),
         kOk,
         {{10, 39, 45, 51, 40, 400}, {10, 51, 45, 63, 40, 400}}},
        {"centred t lines straddle the origin",
         "0 To\n1 0 0 1 50 50 0 Tp\n/_Helvetica 12 Tf\n0 Tr\n1 Ta\n(Hello) t\nTO\n",
         kOk,
         {{30, 39, 50, 51, 20, 400}, {50, 39, 70, 51, 20, 400}}},
        {"vertical text runs down",
         Text("/_Helvetica 12 Tf\n0 Tr\n1 Tv\n", "(HHH) Tx\n"),
         kOk,
         {{10, 39, 22, 51, 10, 200}, {10, 60, 22, 90, 20, 400}, {23, 0, 100, 100, 0, 0}}},
        {"7-pixel text is drawn",
         Text("/_Helvetica 7 Tf\n0 Tr\n", "(Hello) Tx\n"),
         kOk,
         {{10, 40, 50, 52, 3, 300}}},
        {"small text is a grey bar",
         Text("/_Helvetica 4 Tf\n0 Tr\n", "(Hello) Tx\n"),
         kOk,
         {{0, 0, 100, 100, 0, 0}}},
        {"invisible text draws nothing", Text("/_Helvetica 12 Tf\n3 Tr\n", "(Hello) Tx\n"), kErrFormat, {}},
        {"stroked text alone is not drawn",
         Text("/_Helvetica 12 Tf\n1 Tr\n", "(Hello) Tx\n"),
         kErrFormat,
         {}},
        {"after Tm text is invisible", "1 0 0 1 10 50 Tm\n(Hello) Tx\n", kErrFormat, {}},
        {"a text block fills",
         "1 0 0 1 10 50 a\n/_Helvetica 12 Tf\n(Hello) Tx\n",
         kOk,
         {{10, 39, 45, 51, 40, 400}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing d(ArtworkFile(c.artwork), 100, 100);
        EXPECT_EQ(d.status, c.status);
        for (const Region& r : c.regions) {
            int dark = d.Dark(r.x0, r.y0, r.x1, r.y1);
            EXPECT_GE(dark, r.least) << r.x0 << "," << r.y0;
            EXPECT_LE(dark, r.most) << r.x0 << "," << r.y0;
        }
    }
}

TEST(Text, GreekingBarHasTheExtentOfTheText) {
    Drawing small(ArtworkFile(Text("/_Helvetica 4 Tf\n0 Tr\n", "(Hello) Tx\n")), 100, 100);
    Drawing large(ArtworkFile(Text("/_Helvetica 40 Tf\n0 Tr\n", "(Hello) Tx\n")), 300, 100);
    int grey = 0;
    uint32_t right = 0;
    for (uint32_t y = 40; y < 52; ++y)
        for (uint32_t x = 0; x < 100; ++x)
            if (small.Grey(x, y) == 127) ++grey, right = std::max(right, x + 1);
    ASSERT_GT(grey, 0);
    // The bar ends where the current point went (a fill without outline leaves out its last column),
    // a tenth of the 40-pixel text's advance; the point is asked for, as its move waits until then.
    int32_t smallEnd = 0;
    int32_t largeEnd = 0;
    int32_t y = 0;
    GetCurrentPoint(small.Target(), &smallEnd, &y);
    GetCurrentPoint(large.Target(), &largeEnd, &y);
    EXPECT_EQ(static_cast<int32_t>(right), smallEnd - 1);
    EXPECT_NEAR(smallEnd - 10, (largeEnd - 10) / 10.0, 1.0);
}

// A run shown after another starts where the first ended, though nothing measured the first
// until the second asked where the point was; a greeking bar likewise.
TEST(Text, RunsFollowOneAnother) {
    auto pixels = [](const Drawing& d) {
        const RasterImage& r = const_cast<Drawing&>(d).Target()->raster;
        return std::vector<uint8_t>(r.pixels, r.pixels + r.capacity);
    };
    const Drawing two(ArtworkFile(Text("/_Helvetica 12 Tf\n0 Tr\n", "(Hello) Tx\n(Hello) Tx\n")), 100, 100);
    const Drawing one(ArtworkFile(Text("/_Helvetica 12 Tf\n0 Tr\n", "(HelloHello) Tx\n")), 100, 100);
    EXPECT_EQ(pixels(two), pixels(one));

    Drawing bars(ArtworkFile(Text("/_Helvetica 4 Tf\n0 Tr\n", "(Hello) Tx\n(Hello) Tx\n")), 100, 100);
    Drawing bar(ArtworkFile(Text("/_Helvetica 4 Tf\n0 Tr\n", "(Hello) Tx\n")), 100, 100);
    int32_t end = 0;
    int32_t firstEnd = 0;
    int32_t y = 0;
    GetCurrentPoint(bars.Target(), &end, &y);
    GetCurrentPoint(bar.Target(), &firstEnd, &y);
    EXPECT_EQ(end - 10, 2 * (firstEnd - 10));
    // Each bar leaves out its last column.
    for (int32_t x = 10; x < end - 1; ++x)
        EXPECT_EQ(bars.Grey(static_cast<uint32_t>(x), 49), x == firstEnd - 1 ? 255 : 127) << x;
}

std::string Piece(const char* text, double size) {
    return TextRun(text, size, 10, 10);
}

struct Collected {
    Status status;
    std::string notes;
};

Collected Collect(const std::string& file, int32_t maxText) {
    TempDir folder;
    EpsReader eps;
    EXPECT_EQ(OpenEps(folder.Write("art.ai", file).c_str(), &eps), kOk);
    BufferPtr notes;
    EXPECT_EQ(NewBuffer(0, &notes), kOk);
    Collected c{CollectIllustratorText(&eps, notes.get(), maxText), {}};
    c.notes.assign(reinterpret_cast<const char*>(BufferData(notes.get())), GetBufferSize(notes.get()));
    CloseEps(&eps);
    return c;
}

TEST(DrawingText, GroupsPiecesBySizeFromTheLargest) {
    const std::string example =
        Piece("Title", 24) + Piece("Body one", 10) + Piece("Body two", 10) + Piece("Big", 36);
    struct Case {
        const char* name;
        std::string file;
        int32_t maxText;
        Status status;
        std::string notes;
    } cases[] = {
        {"sizes", ArtworkFile(example), 16000, kOk, "Big\n\rTitle\n\rBody one Body two\n\r"},
        {"cut to the limit", ArtworkFile(example), 10, kOk, "Big\n\rTitle"},
        {"Tk joins without a space", ArtworkFile(Piece("Hel", 10) + "Tk\n" + Piece("lo", 10)), 100, kOk,
         "Hello\n\r"},
        {"a new size keeps the Tk for the next join",
         ArtworkFile(Piece("A", 10) + "Tk\n" + Piece("B", 20) + Piece("C", 10) + Piece("D", 10)), 100, kOk,
         "B\n\rAC D\n\r"},
        {"the size is the font size through the matrix",
         ArtworkFile(Piece("a", 10) + "2 0 0 2 0 0 r\n/_Times-Roman 10 Tf\n(b) Tx\n"), 100, kOk,
         "b\n\ra\n\r"},
        {"embedded text joins the same groups",
         ArtworkFile(Piece("Outer", 12) +
                     EmbeddedDocument(ArtworkFile(Piece("Inner", 12) + Piece("Head", 30))) +
                     Piece("After", 12)),
         100, kOk, "Head\n\rOuter Inner After\n\r"},
        {"documents embedded in embedded documents",
         ArtworkFile(
             Piece("A", 12) +
             EmbeddedDocument(ArtworkFile(Piece("B", 12) + EmbeddedDocument(ArtworkFile(Piece("C", 12))) +
                                          "/_Helvetica 30 Tf\n(D) Tx\n")) +
             Piece("E", 12)),
         100, kOk, "D\n\rA B C E\n\r"},
        {"a long word ends the pass, the text so far is kept",
         ArtworkFile(Piece("Kept", 10) + "userdict\n" + Piece("Lost", 10)), 100, kErrFormat, "Kept\n\r"},
        {"no Illustrator file", "%!PS-Adobe-3.0\n%%Creator: Someone\n%%EndSetup\n(Text) Tx\n", 100,
         kErrFormat, ""},
        {"a negative limit keeps nothing", ArtworkFile(example), -5, kOk, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Collected got = Collect(c.file, c.maxText);
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.notes, c.notes);
    }
}

}  // namespace
}  // namespace aldra
