// Text placed by the text matrix and position, drawn with its baseline on the mapped origin, and
// greeked into grey bars below seven pixels. Each row counts dark pixels in regions of a 100 x 100
// target at scale 1.
#include <vector>

#include "illustrator/Drawing.h"

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
    // a tenth of the 40-pixel text's advance.
    EXPECT_EQ(static_cast<int32_t>(right), small.Target()->currentX - 1);
    EXPECT_NEAR(small.Target()->currentX - 10, (large.Target()->currentX - 10) / 10.0, 1.0);
}

}  // namespace
}  // namespace aldra
