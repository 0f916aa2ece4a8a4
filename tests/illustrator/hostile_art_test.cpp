// Artwork written to hurt the interpreter: stacks that overflow, documents nested without end, lines
// of a megabyte, coordinates no raster holds, bounding boxes without area, paths of a million
// segments, work that grows with the square of a path. Each file must end with a result code, in
// both the drawing and the notes pass; the sanitizer build checks that nothing is read or written
// out of bounds on the way, and each row's ctest TIMEOUT that it ends in bounded time. Where the
// outcome is certain, the row checks it: a black square drawn last shows that the pass read on to
// the end, one drawn first that a failure keeps what was drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>

#include "base/TextBuffer.h"
#include "eps/EpsReader.h"
#include "fixtures/ArtworkFile.h"
#include "illustrator/Illustrator.h"
#include "preview/TargetRaster.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

// The page is 100 x 100 points drawn into 100 x 100 pixels: one point is one pixel.
constexpr uint32_t kSide = 100;
constexpr size_t kMegabyte = 1 << 20;
const std::string kHuge = "1" + std::string(60, '0');  // 1e60, as long as a line allows many
const std::vector<std::string> kTextObject = {"0 To", "1 0 0 1 10 50 0 Tp", "TP", "0 Tr"};

struct Row {
    const char* name;
    // The file's text; `self` is the path it is written to, for files that name themselves.
    std::function<std::string(const TempDir& folder, const std::string& self)> text;
    std::set<Status> results;  // what the drawing may answer
    bool square = true;        // the black square must be there
};

// The black square in the lower left corner, pixels (0..19, 80..99).
ArtworkBuilder& Square(ArtworkBuilder& art) {
    return art.FillGrey(0).Rectangle(0, 0, 20, 20, "f");
}

// The page, with the square drawn first unless the row draws it last.
ArtworkBuilder Page(bool squareFirst = true) {
    ArtworkBuilder art;
    art.BoundingBox(0, 0, kSide, kSide);
    return squareFirst ? Square(art) : art;
}

std::string SquareLast(ArtworkBuilder& art) {
    return Square(art).Text();
}

std::string Numbers(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += std::to_string(i % 90 + 10) + " ";
    return s;
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string s;
    s.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) s += piece;
    return s;
}

std::string BoundingBox(const std::string& box) {
    ArtworkBuilder art = Page(false);
    art.BoundingBoxText(box).Rectangle(10, 10, 30, 30, "f").CurveTo(40, 40, 60, 10, 90, 90).Line("S");
    return art.PointText(10, 50, "Helvetica", 12, "text").Text();
}

std::string CurvesThroughHugeCoordinates() {
    const std::string& h = kHuge;
    return SquareLast(Page(false).Lines(
        {"50 50 m", h + " " + h + " -" + h + " " + h + " " + h + " -" + h + " c", "-" + h + " 0 l",
         "0 " + h + " " + h + " 0 v", "f", "0 0 m " + h + " " + h + " 0 0 0 0 y", "S",
         "2147483647 2147483647 m -2147483648 0 l 0 -2147483648 l b"}));
}

std::string FontOfHugeSize() {
    return SquareLast(Page(false)
                          .Lines(kTextObject)
                          .Lines({"/_Helvetica " + kHuge + " Tf", "(Big) Tx", "/_Helvetica -12 Tf",
                                  "(Negative) Tx", "1 Tv", "(Down) Tx", "/_Helvetica 0.001 Tf", "(Small) Tx",
                                  "TO", "/_Times-Roman " + kHuge + " 12 0 1 z",
                                  "[" + kHuge + " 0 0 1 10 10] a", "(wide) t", "T"}));
}

// A box of one point square puts a square a million points away 100 million pixels off the raster.
std::string ArtworkFarOffTheRaster() {
    ArtworkBuilder art = Page(false);
    art.BoundingBox(0, 0, 1, 1).Rectangle(-1e6, -1e6, 2e6, 2e6, "b").MoveTo(0, 0).LineTo(1e6, 1);
    return art.Line("S").PointText(1e6, 0, "Helvetica", 1, "far").Text();
}

// A page a billionth wide gives a scale no integer holds, whatever is drawn on it.
std::string PageABillionthWide() {
    const std::string huge(250, '9');
    ArtworkBuilder art;
    art.BoundingBoxText("0 0 0.000000001 0.000000001").Rectangle(0, 0, 100, 100, "f");
    return art
        .Lines({"0 Tr", "/_Helvetica " + huge + " Tf", "2 " + huge + " 0 0 1 1 a", huge + " w", "(text) Tx",
                "0 0 m", "1 1 l", "S"})
        .Text();
}

// Segments that no collinear merge can drop, scattered so that no three in a row lie on a line.
std::string MillionScatteredSegments() {
    std::string path = "0 0 m\n";
    for (uint32_t i = 0; i < 1000000; ++i)
        path += std::to_string(i * 7919 % 97) + " " + std::to_string(i * i % 89) + " l\n";
    return SquareLast(Page(false).Raw(path).Line("b"));
}

std::string MillionTinySegments() {
    std::string path = "10 10 m\n";
    char line[64];
    for (int i = 0; i < 1000000; ++i) {
        std::snprintf(line, sizeof line, "%.5f %.5f l\n", 10 + i * 0.00008, 10 + (i % 2) * 0.0001);
        path += line;
    }
    return SquareLast(Page(false).Raw(path).Line("f"));
}

// A path stroked after every segment costs the square of its length unless the work is bounded.
std::string RepaintedPath() {
    std::string path = "0 0 m\n";
    for (int i = 0; i < 100000; ++i)
        path += std::to_string(i % 100) + " " + std::to_string(i % 2) + " l\nS\n";
    return SquareLast(Page(false).Raw(path));
}

// Each file places the next: an interpreter that recursed without a bound would run out of stack
// long before the last.
std::string IncludeChainOfThreeThousand(const TempDir& folder) {
    constexpr int kFiles = 3000;
    auto name = [&](int i) { return folder.File("chain-" + std::to_string(i) + ".ai"); };
    for (int i = kFiles - 1; i >= 1; --i) {
        ArtworkBuilder art = Page(false);
        art.Rectangle(1, 1, 98, 98, "s");
        if (i + 1 < kFiles) art.PlacedFile(1, 1, 98, 98, name(i + 1));
        folder.Write("chain-" + std::to_string(i) + ".ai", art.Text());
    }
    return SquareLast(Page(false).PlacedFile(0, 0, 100, 100, name(1)));
}

// Side by side and without %%EOF: a nested pass that read on past its own document would start the
// passes of all the documents after it again.
std::string SiblingDocumentsWithoutEof() {
    ArtworkBuilder inner = Page();
    inner.WithoutEof();
    ArtworkBuilder art = Page(false);
    for (int i = 0; i < 200; ++i) art.Document(inner, "sibling.ai");
    return SquareLast(art);
}

// The notes keep their groups from the largest size down, so ever larger text goes to the front.
std::string TextInFiftyThousandSizes() {
    std::string runs;
    for (int i = 1; i <= 50000; ++i)
        runs += "/_Helvetica " + std::to_string(i) + " Tf\n(run " + std::to_string(i) + ") Tx\n";
    return Page().Lines(kTextObject).Raw(runs).Line("TO").Text();
}

const std::set<Status> kDrawn{kOk};
const std::set<Status> kStopped{kErrFormat};
const std::set<Status> kEither{kOk, kErrFormat};

const Row kRows[] = {
    {"ArrayNotClosed",
     [](auto&, auto&) { return Page().Line("[1 0 0 1 5 5").Rectangle(50, 50, 10, 10, "f").Text(); },
     kStopped},
    {"ArrayHoldingAName", [](auto&, auto&) { return Page().Line("[1 /Helvetica 2] a").Text(); }, kStopped},
    {"ArrayOfTwentyNumbers", [](auto&, auto&) { return Page().Line("[" + Numbers(20) + "] m").Text(); },
     kStopped},
    {"NineteenOperands", [](auto&, auto&) { return SquareLast(Page(false).Line(Numbers(17) + "50 50 m")); },
     kDrawn},
    {"TwentyOperands", [](auto&, auto&) { return Page().Line(Numbers(20) + "m").Text(); }, kStopped},
    {"TwentyStrings", [](auto&, auto&) { return Page().Line(Repeat("(piece) ", 20) + "Tx").Text(); },
     kStopped},
    // Each document begins inside the one before; the outer pass goes on after the matching end.
    {"TenThousandNestedDocuments",
     [](auto&, auto&) {
         return SquareLast(Page(false)
                               .Raw(Repeat("%%BeginDocument: nested.ai\n", 10000))
                               .FillGrey(0)
                               .Rectangle(0, 0, 20, 20, "f")
                               .Raw(Repeat("%%EndDocument\n", 10000)));
     },
     kDrawn},
    {"TenThousandDocumentsNeverEnded",
     [](auto&, auto&) { return Page().Raw(Repeat("%%BeginDocument: open.ai\n", 10000)).Text(); }, kDrawn},
    {"SiblingDocumentsWithoutEof", [](auto&, auto&) { return SiblingDocumentsWithoutEof(); }, kDrawn},
    {"HeaderLineOfAMegabyte",
     [](auto&, auto&) {
         return SquareLast(Page(false).HeaderComment("%%Title: " + std::string(kMegabyte, 'x')));
     },
     kDrawn},
    // The line reader hands the comment on in pieces, and the second is a word of 255 letters.
    {"ArtworkCommentOfAMegabyte",
     [](auto&, auto&) { return Page().Line("%" + std::string(kMegabyte, 'x')).Text(); }, kStopped},
    {"StringOfAMegabyte",
     [](auto&, auto&) {
         return Page()
             .Lines(kTextObject)
             .Line("/_Helvetica 12 Tf")
             .Line("(" + std::string(kMegabyte, 'a') + ") Tx")
             .Line("TO")
             .Text();
     },
     kStopped},
    // Cut into pieces of 255, tokens break in two; every piece still holds only numbers and "l".
    {"PathLineOfAMegabyte",
     [](auto&, auto&) {
         return SquareLast(Page(false).Line("50 50 m " + Repeat("51 51 l 50 52 l ", kMegabyte / 16) + "f"));
     },
     kDrawn},
    {"CurvesThroughHugeCoordinates", [](auto&, auto&) { return CurvesThroughHugeCoordinates(); }, kDrawn},
    {"FontOfHugeSize", [](auto&, auto&) { return FontOfHugeSize(); }, kDrawn},
    {"EmptyBoundingBox", [](auto&, auto&) { return BoundingBox("0 0 0 0"); }, kEither, false},
    {"ZeroWidthBoundingBox", [](auto&, auto&) { return BoundingBox("10 10 10 90"); }, kEither, false},
    {"InvertedBoundingBox", [](auto&, auto&) { return BoundingBox("100 100 0 0"); }, kEither, false},
    {"EnormousBoundingBox",
     [](auto&, auto&) { return BoundingBox("-" + kHuge + " -" + kHuge + " " + kHuge + " 1"); }, kEither,
     false},
    {"ArtworkFarOffTheRaster", [](auto&, auto&) { return ArtworkFarOffTheRaster(); }, kEither, false},
    {"PageABillionthWide", [](auto&, auto&) { return PageABillionthWide(); }, kDrawn, false},
    // A frame of huge numbers must not overflow the frame's arithmetic.
    {"FrameOfHugeNumbers",
     [](auto&, auto&) {
         const std::string huge(250, '9');
         return SquareLast(Page(false)
                               .Line("1 0 0 1 " + huge + " 0 0 0 " + huge + " " + huge + " (a) `")
                               .Line("%%IncludeFile: /nonexistent)"));
     },
     kDrawn},
    {"MillionTinySegments", [](auto&, auto&) { return MillionTinySegments(); }, kDrawn},
    {"MillionScatteredSegments", [](auto&, auto&) { return MillionScatteredSegments(); }, kDrawn},
    {"PathRepaintedAfterEverySegment", [](auto&, auto&) { return RepaintedPath(); }, kDrawn},
    {"FileThatIncludesItself",
     [](auto&, auto& self) {
         return SquareLast(Page(false).PlacedFile(10, 10, 30, 30, self).PlacedFile(50, 50, 30, 30, self));
     },
     kDrawn},
    {"IncludeChainOfThreeThousand", [](auto& folder, auto&) { return IncludeChainOfThreeThousand(folder); },
     kDrawn},
    {"IncludesADevice",
     [](auto&, auto&) {
         return SquareLast(Page(false)
                               .PlacedFile(10, 10, 30, 30, "/dev/zero")
                               .PlacedFile(10, 10, 30, 30, "/dev/null")
                               .PlacedFile(10, 10, 30, 30, "/"));
     },
     kDrawn},
    {"TextInFiftyThousandSizes", [](auto&, auto&) { return TextInFiftyThousandSizes(); }, kDrawn},
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class HostileArt : public ::testing::TestWithParam<Row> {};

TEST_P(HostileArt, EndsWithAResultInBothPasses) {
    const Row& row = GetParam();
    TempDir folder;
    const std::string path = folder.File("hostile.ai");
    folder.Write("hostile.ai", row.text(folder, path));
    TargetRaster target;
    ASSERT_EQ(CreateTargetRaster(8, kSide, kSide, &target), kOk);
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    const Rect whole{0, 0, int32_t(kSide), int32_t(kSide)};
    const Status drawn = RenderIllustratorArt(&eps, &target, &whole);
    CloseEps(&eps);
    EXPECT_TRUE(row.results.count(drawn)) << "drawing answered " << ::testing::PrintToString(drawn);
    // Ink at pixel (10, 90) of the 8-bit target, whose rows lie bottom up: the square is there.
    const RasterImage& r = target.raster;
    if (row.square) {
        EXPECT_EQ(r.pixels[(r.height - 1 - 90) * r.rowBytes + 10], 255) << "the square is not there";
    }
    DestroyTargetRaster(&target);

    constexpr int32_t kMaxText = 4000;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    BufferPtr notes;
    ASSERT_EQ(NewBuffer(0, &notes), kOk);
    const Status collected = CollectIllustratorText(&eps, notes.get(), kMaxText);
    CloseEps(&eps);
    EXPECT_TRUE(collected == kOk || collected == kErrFormat)
        << "notes answered " << ::testing::PrintToString(collected);
    EXPECT_LE(GetBufferSize(notes.get()), uint32_t{kMaxText});
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileArt, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace aldra
