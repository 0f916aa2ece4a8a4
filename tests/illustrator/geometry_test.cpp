// What the render pass paints: each row is a drawing and the greys it must leave at a few pixels
// of a 100 x 100 target (0 black, 255 white; -1 only checks that the pass succeeds).
#include <filesystem>
#include <vector>

#include "illustrator/ArtColours.h"
#include "illustrator/Drawing.h"
#include "illustrator/PointList.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kWholePage = "0 0 m\n100 0 l\n100 100 l\n0 100 l\nf\n";
const std::string kLeftHalf = "0 0 m\n50 0 l\n50 100 l\n0 100 l\n";
const std::string kLowerHalf = "0 0 m\n100 0 l\n100 50 l\n0 50 l\n";

struct Probe {
    uint32_t x, y;
    int grey;
};

TEST(RenderPass, PaintsPathsClipsAndPlacedArt) {
    struct Case {
        const char* name;
        std::string artwork;
        PageBoxText box;
        std::vector<Probe> probes;
    } cases[] = {
        {"triangle at scale 1",
         "0 0 m\n100 0 l\n100 100 l\nf\n",
         {},
         {{90, 50, 0}, {60, 45, 0}, {10, 50, 255}, {40, 55, 255}}},
        {"a page twice as wide fills the lower half",
         "0 0 m\n200 0 l\n200 100 l\n0 100 l\nf\n",
         {0, 0, 200, 100},
         {{50, 75, 0}, {99, 51, 0}, {50, 25, 255}}},
        {"the page's corner is the box's",
         "10 10 m\n20 10 l\n20 20 l\n10 20 l\nf\n",
         {10, 10, 110, 110},
         {{5, 95, 0}, {15, 85, 255}}},
        {"a curve flattened under a chord",
         "0 0 m\n25 50 75 50 100 0 c\nf\n",
         {},
         {{50, 75, 0}, {50, 55, 255}}},
        {"S leaves the path open", "10 10 m\n90 10 l\n90 90 l\nS\n", {}, {{90, 50, 0}, {50, 50, 255}}},
        {"s closes it", "10 10 m\n90 10 l\n90 90 l\ns\n", {}, {{90, 50, 0}, {50, 50, 0}}},
        {"a pattern fills grey", "p\n" + kWholePage, {}, {{50, 50, 127}}},
        {"a grey ends the pattern", "p\n0.5 g\n0 g\n" + kWholePage, {}, {{50, 50, 0}}},
        {"a fill after a white grey",
         "1 g\n" + kWholePage + "0 g\n" + kLeftHalf + "f\n",
         {},
         {{25, 50, 0}, {75, 50, 255}}},
        {"W replaces the clip instead of narrowing it",
         kLeftHalf + "W\nn\n" + kLowerHalf + "W\nn\n" + kWholePage,
         {},
         {{75, 75, 0}, {25, 75, 0}, {25, 25, 255}}},
        {"q resets the clip to the target", kLeftHalf + "W\nn\nq\n" + kWholePage, {}, {{75, 25, 0}}},
        {"a pattern's definition is skipped to its end line",
         "%%BeginPattern: (dots)\n" + kLeftHalf + "f\n" + kWholePage + "%%EndPattern\n" + kLowerHalf + "f\n",
         {},
         {{25, 25, 255}, {75, 25, 255}, {50, 75, 0}}},
        {"operators in crop marks and after the trailer are not read",
         "%AI3_BeginCrops\n" + kWholePage + "%AI3_EndCrops\n" + kLeftHalf + "f\n%%PageTrailer\n" + kWholePage,
         {},
         {{25, 50, 0}, {75, 50, 255}}},
        {"a placed file that does not open is a crossed frame",
         "1 0 0 1 0 0 20 20 80 80 (a.eps) `\n%%IncludeFile: /nonexistent/a.eps)\n",
         {},
         {{50, 20, 0}, {20, 50, 0}, {50, 50, 0}, {30, 69, 0}, {50, 30, 255}}},
        {"an embedded document is drawn into its frame",
         "0.5 0 0 0.5 0 0 0 0 100 100 (d) `\n" + EmbeddedDocument(ArtworkFile(kWholePage)),
         {},
         {{25, 75, 0}, {75, 75, 255}, {25, 25, 255}}},
        {"a nested pair is skipped with the document that holds it",
         "%%BeginDocument: outer\n%%EndSetup\nuserdict\n%%BeginDocument: inner\n%%EndDocument\n" + kLeftHalf +
             "f\n%%EndDocument\n50 0 m\n100 0 l\n100 100 l\n50 100 l\nf\n",
         {},
         {{25, 50, 255}, {75, 50, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawing d(ArtworkFile(c.artwork, c.box), 100, 100);
        ASSERT_EQ(d.status, kOk);
        for (const Probe& p : c.probes) EXPECT_NEAR(d.Grey(p.x, p.y), p.grey, 1) << p.x << "," << p.y;
    }
}

TEST(RenderPass, PenWidthFollowsLineWidthAndScale) {
    // The page is 50 units wide in a 100-pixel target: two pixels a unit.
    struct Case {
        const char* width;
        int rows;
    } cases[] = {{"0.1 w\n", 1}, {"3 w\n", 6}, {"+0.5 w\n", 1}, {"", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        Drawing d(ArtworkFile(std::string(c.width) + "0 25 m\n50 25 l\nS\n", {0, 0, 50, 50}), 100, 100);
        ASSERT_EQ(d.status, kOk);
        EXPECT_EQ(d.Dark(50, 0, 51, 100), c.rows);
    }
}

TEST(RenderPass, ColoursFromGreyCmykCustomAndRgb) {
    // As a control's window does: the module's own colour tables.
    SetResourceModule(OwnResourceModule());
    AcquireColourTables();
    ColourRef halfBlack = 0;
    ASSERT_EQ(ColourFromCmyk(0, 0, 0, 0.5, &halfBlack), kOk);
    struct Case {
        const char* paint;
        ColourRef want;
    } cases[] = {
        {"1 g\n", MakeColour(255, 255, 255)},
        {"0 g\n", MakeColour(0, 0, 0)},
        {"1 0.5 0 Xa\n", MakeColour(255, 127, 0)},
        {"0 0 0 1 (Black) 0.5 x\n", halfBlack},
        {"0 0 0 0.5 k\n", halfBlack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paint);
        Drawing d(ArtworkFile(c.paint + kWholePage), 20, 20, 24);
        ASSERT_EQ(d.status, kOk);
        EXPECT_EQ(d.Colour(10, 10), c.want);
    }
    ReleaseColourTables();
}

TEST(PointList, DropsRepeatsAndMergesCollinearPoints) {
    struct Case {
        std::vector<DevicePoint> added, kept;
    } cases[] = {
        {{{0, 0}, {10, 0}, {20, 0}}, {{0, 0}, {20, 0}}},
        {{{0, 0}, {10, 0}, {20, 0}, {5, 0}}, {{0, 0}, {5, 0}}},
        {{{3, 4}, {3, 4}}, {{3, 4}}},
        {{{0, 0}, {10, 10}, {10, 20}}, {{0, 0}, {10, 10}, {10, 20}}},
        // Far-apart points, whose cross products do not fit 32 bits.
        {{{-4000000, 0}, {4000000, 3}, {4000000, 4000000}},
         {{-4000000, 0}, {4000000, 3}, {4000000, 4000000}}},
    };
    for (const Case& c : cases) {
        // One by one, in one call, and in two calls (the second weighs its first point against
        // what the first left).
        for (int calls : {0, 1, 2}) {
            BufferPtr points;
            ASSERT_EQ(NewPointList(&points), kOk);
            const uint32_t n = uint32_t(c.added.size());
            if (calls == 0) {
                for (DevicePoint p : c.added) ASSERT_EQ(AddPoint(points.get(), p.x, p.y), kOk);
            } else {
                const uint32_t first = calls == 1 ? n : 1;
                ASSERT_EQ(AddPoints(points.get(), c.added.data(), first), kOk);
                ASSERT_EQ(AddPoints(points.get(), c.added.data() + first, n - first), kOk);
            }
            ASSERT_EQ(PointCount(points.get()), c.kept.size());
            for (size_t i = 0; i < c.kept.size(); ++i) {
                EXPECT_EQ(PointData(points.get())[i].x, c.kept[i].x);
                EXPECT_EQ(PointData(points.get())[i].y, c.kept[i].y);
            }
        }
    }
}

TEST(PointList, AFullListRefusesTheSamePointsOneByOneAsInOneCall) {
    for (bool oneCall : {false, true}) {
        BufferPtr points;
        ASSERT_EQ(NewPointList(&points), kOk);
        // A zigzag, no three points in a line, one short of the limit.
        for (int32_t i = 0; i + 1 < int32_t(kMaxPathPoints); ++i)
            ASSERT_EQ(AddPoint(points.get(), i, i % 2), kOk);
        const int32_t last = int32_t(kMaxPathPoints) - 2;
        // A repeat (dropped), the last point that fits, and one too many.
        const DevicePoint more[] = {{last, last % 2}, {last + 1, 5}, {last + 2, -5}};
        Status status = kOk;
        if (oneCall) {
            status = AddPoints(points.get(), more, 3);
        } else {
            for (DevicePoint p : more)
                if (status == kOk) status = AddPoint(points.get(), p.x, p.y);
        }
        EXPECT_EQ(status, kErrMemory);
        ASSERT_EQ(PointCount(points.get()), kMaxPathPoints);
        EXPECT_EQ(PointData(points.get())[kMaxPathPoints - 1].y, 5);
    }
}

// A placed file is drawn into its frame unless it is the drawing itself, by whatever name, or lies
// outside the drawing's folder: those get the crossed frame instead of waiting on their own lock or
// showing a stranger's choice of file. Pixel (60, 75) lies in the frame but off the cross's diagonals.
TEST(RenderPass, IncludedFilesAreDrawnIntoTheirFrameButNeverIntoThemselves) {
    TempDir folder, other;
    const std::string self = folder.Write("art.ai", ""), link = folder.File("link.ai");
    std::filesystem::create_hard_link(self, link);
    folder.Write("sub/art.ai", ArtworkFile(kWholePage));
    folder.Write("beside.ai", ArtworkFile(kWholePage));
    const struct {
        const char* name;
        std::string placed;
        int grey;
    } cases[] = {
        {"another file of the same name below", folder.File("sub/art.ai"), 0},
        {"a relative name, beside the drawing", "sub/art.ai", 0},
        {"another machine's path, by its last name", "Macintosh HD:Art:beside.ai", 0},
        {"the drawing itself", self, 255},
        {"the drawing under another name", link, 255},
        {"a file outside the drawing's folder", other.Write("art.ai", ArtworkFile(kWholePage)), 255},
        {"a climb out of the folder",
         "../" + std::filesystem::path(other.path()).filename().string() + "/art.ai", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder.Write("art.ai",
                     ArtworkFile("0.5 0 0 0.5 50 0 0 0 100 100 (p) `\n%%IncludeFile: " + c.placed + ")\n"));
        TargetRaster target{};
        ASSERT_EQ(CreateTargetRaster(8, 100, 100, &target), kOk);
        EpsReader eps;
        ASSERT_EQ(OpenEps(self.c_str(), &eps), kOk);
        Rect all{0, 0, 100, 100};
        EXPECT_EQ(RenderIllustratorArt(&eps, &target, &all), kOk);
        CloseEps(&eps);
        auto ink = [&](int x, int y) { return target.raster.pixels[(99 - y) * target.raster.rowBytes + x]; };
        EXPECT_EQ(ink(60, 75), 255 - c.grey);
        EXPECT_EQ(ink(75, 75), 255);  // on the diagonal, black either way
        EXPECT_EQ(ink(25, 75), 0);
        DestroyTargetRaster(&target);
    }
}

}  // namespace
}  // namespace aldra
