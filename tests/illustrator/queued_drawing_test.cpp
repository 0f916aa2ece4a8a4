// A large drawing is drawn on a second thread: the pass makes the drawing steps and measures its
// text in a context of its own, a worker applies the steps to the target. It must come out as the
// same drawing drawn on the pass's own thread, so the same artwork is drawn twice, once behind
// enough prolog lines to make its file large.
#include <sched.h>

#include <cstring>
#include <vector>

#include "illustrator/Drawing.h"
#include "illustrator/DrawingLayer.h"
#include "illustrator/DrawingQueue.h"

namespace aldra {
namespace {

using namespace testing;

// Shapes and point text of every kind the worker applies, over several chunks of steps: clipping,
// vertical text, a text block and the crossed frame of a placed file that is not there.
ArtworkBuilder EveryKindOfStep() {
    BusyArtworkOptions options;
    options.segments = 3000;
    options.textRuns = 300;
    options.seed = 5;
    ArtworkBuilder art = BusyArtwork(options);
    art.MoveTo(100, 100).LineTo(500, 100).LineTo(450, 600).LineTo(100, 500).Line("W").Line("n");
    art.FillGrey(0.3).Rectangle(50, 50, 500, 700, "f");
    // The same colour at two widths: the worker keeps a pen only for the same width.
    art.StrokeGrey(0)
        .LineWidth(30)
        .Rectangle(150, 150, 200, 200, "S")
        .LineWidth(3)
        .Rectangle(200, 200, 200, 200, "S");
    art.Line("0 To\n1 0 0 1 300 600 0 Tp\nTP\n0 Tr\n/_Helvetica 24 Tf\n1 Tv\n(VERTICAL) Tx\n0 Tv\nTO");
    art.TextBlock(120, 300, "Times-Roman", 18, {"A block", "of lines"});
    art.PlacedFile(20, 20, 120, 90, "not-there.ai");
    return art;
}

TEST(QueuedDrawing, ComesOutAsTheDrawingDrawnDirectly) {
    const std::string direct = EveryKindOfStep().Text();
    ArtworkBuilder large = EveryKindOfStep();
    while (large.Text().size() < kQueuedDrawingBytes) large.Prolog(std::string(4000, '%'));
    const std::string queued = large.Text();
    ASSERT_LT(direct.size(), kQueuedDrawingBytes);

    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    for (uint32_t depth : {8u, 24u}) {
        Drawing a(direct, 256, 331, depth);
        Drawing b(queued, 256, 331, depth);
        // The pass's thread kept to its core while the worker ran, and has all its cores back.
        cpu_set_t after;
        ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
        EXPECT_TRUE(CPU_EQUAL(&before, &after));
        ASSERT_EQ(a.status, kOk);
        ASSERT_EQ(b.status, kOk);
        const RasterImage& ra = a.Target()->raster;
        const RasterImage& rb = b.Target()->raster;
        ASSERT_EQ(ra.capacity, rb.capacity);
        EXPECT_EQ(std::memcmp(ra.pixels, rb.pixels, ra.capacity), 0) << depth << " bits";
        EXPECT_EQ(b.Target()->queue, nullptr);
    }
}

// A path too large to copy is drawn by the pass once the worker has drawn the steps before it, and
// the steps after it go to the worker again.
TEST(QueuedDrawing, ALargePathIsDrawnInItsPlace) {
    std::vector<DevicePoint> triangles;
    for (int i = 0; i < 15000; ++i) {
        const int32_t shift = i % 40;
        triangles.insert(triangles.end(), {{10 + shift, 10}, {60, 200 + shift}, {240 - shift, 20}});
    }
    auto draw = [&](TargetRaster* t, void (*submit)(TargetRaster*, const DrawStep&, const StepData&)) {
        DrawStep step;
        step.kind = StepKind::kRectangle;
        step.mode = kPaintFill;
        step.fillColour = MakeColour(90, 90, 90);
        step.rect = Rect{0, 0, 200, 200};
        submit(t, step, StepData{});
        step.kind = StepKind::kPolygon;
        step.mode = kPaintStroke;
        step.penWidth = 3;
        StepData path;
        path.points = triangles.data();
        path.pointCount = static_cast<uint32_t>(triangles.size());
        submit(t, step, path);
        step.kind = StepKind::kRectangle;
        step.mode = kPaintFill;
        step.fillColour = MakeColour(255, 255, 255);
        step.rect = Rect{100, 50, 250, 150};
        submit(t, step, StepData{});
    };
    TargetRaster direct{};
    TargetRaster queued{};
    ASSERT_EQ(CreateTargetRaster(8, 256, 256, &direct), kOk);
    ASSERT_EQ(CreateTargetRaster(8, 256, 256, &queued), kOk);
    draw(&direct,
         [](TargetRaster* t, const DrawStep& s, const StepData& d) { ApplyDrawStep(t->memoryDc, s, d); });
    ASSERT_TRUE(StartQueuedDrawing(&queued));
    draw(&queued, SubmitDrawStep);
    FinishQueuedDrawing(&queued);
    EXPECT_EQ(std::memcmp(direct.raster.pixels, queued.raster.pixels, direct.raster.capacity), 0);
    DestroyTargetRaster(&direct);
    DestroyTargetRaster(&queued);
}

}  // namespace
}  // namespace aldra
