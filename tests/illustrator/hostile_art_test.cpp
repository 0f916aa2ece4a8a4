// Artwork written to hurt the interpreter: stacks that overflow, documents nested without end, lines
// of a megabyte, coordinates no raster holds, bounding boxes without area, paths of a million
// segments. Each file must end with a result code, in both the drawing and the notes pass; the
// sanitizer build checks that nothing is read or written out of bounds on the way, and each row's
// ctest TIMEOUT that it ends in bounded time. Where the outcome is certain, the row checks it: a
// black square drawn last shows that the pass read on to the end, one drawn first that a failure
// keeps what was drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
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
const Rect kWhole{0, 0, int32_t(kSide), int32_t(kSide)};

enum class Probe { kNone, kBlack };

struct Row {
    const char* name;
    // The file's text; `self` is the path it is written to, for files that name themselves.
    std::function<std::string(const TempDir& folder, const std::string& self)> text;
    std::set<Status> results;  // what the drawing may answer
    Probe square = Probe::kNone;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

ArtworkBuilder Page() {
    ArtworkBuilder art;
    art.BoundingBox(0, 0, kSide, kSide);
    return art;
}

// The black square in the lower left corner, pixels (0..19, 80..99).
ArtworkBuilder& Square(ArtworkBuilder& art) {
    return art.FillGrey(0).Rectangle(0, 0, 20, 20, "f");
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

constexpr size_t kMegabyte = 1 << 20;
const std::string kHugeNumber = "1" + std::string(60, '0');  // 1e60, as long as a line allows many

// ---- the rows -------------------------------------------------------------------------------------

std::string ArrayNotClosed(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art).Line("[1 0 0 1 5 5").Rectangle(50, 50, 10, 10, "f").Text();
}

std::string ArrayHoldingAName(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art).Line("[1 /Helvetica 2] a").Text();
}

std::string ArrayOfTwenty(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art).Line("[" + Numbers(20) + "] m").Text();
}

std::string NineteenOperands(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art.Line(Numbers(17) + "50 50 m")).Text();
}

std::string TwentyOperands(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art).Line(Numbers(20) + "m").Text();
}

std::string TwentyStrings(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art).Line(Repeat("(piece) ", 20) + "Tx").Text();
}

// Each document begins inside the one before; the outer pass goes on after the matching end.
std::string TenThousandNestedDocuments(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    art.Raw(Repeat("%%BeginDocument: nested.ai\n", 10000));
    Square(art).Raw(Repeat("%%EndDocument\n", 10000));
    return Square(art).Text();
}

std::string TenThousandDocumentsNeverEnded(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    Square(art).Raw(Repeat("%%BeginDocument: open.ai\n", 10000));
    return art.Text();
}

// Side by side and without %%EOF: a nested pass that read on past its own document would start the
// passes of all the documents after it again.
std::string SiblingDocumentsWithoutEof(const TempDir&, const std::string&) {
    ArtworkBuilder inner = Page();
    Square(inner).WithoutEof();
    ArtworkBuilder art = Page();
    for (int i = 0; i < 200; ++i) art.Document(inner, "sibling.ai");
    return Square(art).Text();
}

std::string HeaderLineOfAMegabyte(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    art.HeaderComment("%%Title: " + std::string(kMegabyte, 'x'));
    return Square(art).Text();
}

// The line reader hands the comment on in pieces, and the second is a word of 255 letters.
std::string ArtworkCommentOfAMegabyte(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    return Square(art).Line("%" + std::string(kMegabyte, 'x')).Text();
}

std::string StringOfAMegabyte(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    Square(art).Lines({"0 To", "1 0 0 1 10 50 0 Tp", "TP", "0 Tr", "/_Helvetica 12 Tf"});
    return art.Line("(" + std::string(kMegabyte, 'a') + ") Tx").Line("TO").Text();
}

// Cut into pieces of 255, tokens break in two; every piece still holds only numbers and "l".
std::string PathLineOfAMegabyte(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    art.Line("50 50 m " + Repeat("51 51 l 50 52 l ", kMegabyte / 16) + "f");
    return Square(art).Text();
}

std::string CurvesThroughHugeCoordinates(const TempDir&, const std::string&) {
    const std::string& h = kHugeNumber;
    ArtworkBuilder art = Page();
    art.Lines({"50 50 m", h + " " + h + " -" + h + " " + h + " " + h + " -" + h + " c", "-" + h + " 0 l",
               "0 " + h + " " + h + " 0 v", "f", "0 0 m " + h + " " + h + " 0 0 0 0 y", "S",
               "2147483647 2147483647 m -2147483648 0 l 0 -2147483648 l b"});
    return Square(art).Text();
}

std::string FontOfHugeSize(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    art.Lines({"0 To", "1 0 0 1 10 50 0 Tp", "TP", "0 Tr", "/_Helvetica " + kHugeNumber + " Tf", "(Big) Tx",
               "/_Helvetica -12 Tf", "(Negative) Tx", "1 Tv", "(Down) Tx", "/_Helvetica 0.001 Tf",
               "(Small) Tx", "TO", "/_Times-Roman " + kHugeNumber + " 12 0 1 z",
               "[" + kHugeNumber + " 0 0 1 10 10] a", "(wide) t", "T"});
    return Square(art).Text();
}

std::string BoundingBox(const std::string& box) {
    ArtworkBuilder art = Page();
    art.BoundingBoxText(box).Rectangle(10, 10, 30, 30, "f").CurveTo(40, 40, 60, 10, 90, 90).Line("S");
    return art.PointText(10, 50, "Helvetica", 12, "text").Text();
}

// A box of one point square puts a square a million points away 100 million pixels off the raster.
std::string ArtworkFarOffTheRaster(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    art.BoundingBox(0, 0, 1, 1).Rectangle(-1e6, -1e6, 2e6, 2e6, "b").MoveTo(0, 0).LineTo(1e6, 1);
    return art.Line("S").PointText(1e6, 0, "Helvetica", 1, "far").Text();
}

std::string MillionTinySegments(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    std::string path = "10 10 m\n";
    char line[64];
    for (int i = 0; i < 1000000; ++i) {
        std::snprintf(line, sizeof line, "%.5f %.5f l\n", 10 + i * 0.00008, 10 + (i % 2) * 0.0001);
        path += line;
    }
    return Square(art.Raw(path).Line("f")).Text();
}

// Points scattered over the raster, so that no three in a row lie on a line and none is dropped.
std::string MillionScatteredSegments(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    std::string path = "0 0 m\n";
    for (uint32_t i = 0; i < 1000000; ++i)
        path += std::to_string(i * 7919 % 97) + " " + std::to_string(i * i % 89) + " l\n";
    return Square(art.Raw(path).Line("b")).Text();
}

std::string FileThatIncludesItself(const TempDir&, const std::string& self) {
    ArtworkBuilder art = Page();
    art.PlacedFile(10, 10, 30, 30, self).PlacedFile(50, 50, 30, 30, self);
    return Square(art).Text();
}

// Each file places the next: an interpreter that recursed without a bound would run out of stack
// long before the last.
std::string IncludeChainOfThreeThousand(const TempDir& folder, const std::string& self) {
    constexpr int kFiles = 3000;
    for (int i = kFiles - 1; i >= 1; --i) {
        ArtworkBuilder art = Page();
        art.Rectangle(1, 1, 98, 98, "s");
        if (i + 1 < kFiles)
            art.PlacedFile(1, 1, 98, 98, folder.File("chain-" + std::to_string(i + 1) + ".ai"));
        folder.Write("chain-" + std::to_string(i) + ".ai", art.Text());
    }
    (void)self;
    ArtworkBuilder art = Page();
    art.PlacedFile(0, 0, 100, 100, folder.File("chain-1.ai"));
    return Square(art).Text();
}

std::string IncludesADevice(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    art.PlacedFile(10, 10, 30, 30, "/dev/zero").PlacedFile(10, 10, 30, 30, "/dev/null");
    return Square(art.PlacedFile(10, 10, 30, 30, "/")).Text();
}

// The notes keep their groups from the largest size down, so ever larger text goes to the front.
std::string TextInFiftyThousandSizes(const TempDir&, const std::string&) {
    ArtworkBuilder art = Page();
    Square(art).Lines({"0 To", "1 0 0 1 10 50 0 Tp", "TP", "0 Tr"});
    std::string runs;
    for (int i = 1; i <= 50000; ++i)
        runs += "/_Helvetica " + std::to_string(i) + " Tf\n(run " + std::to_string(i) + ") Tx\n";
    return art.Raw(runs).Line("TO").Text();
}

const std::set<Status> kDrawn{kOk};
const std::set<Status> kStopped{kErrFormat};
const std::set<Status> kEither{kOk, kErrFormat};

const Row kRows[] = {
    {"ArrayNotClosed", ArrayNotClosed, kStopped, Probe::kBlack},
    {"ArrayHoldingAName", ArrayHoldingAName, kStopped, Probe::kBlack},
    {"ArrayOfTwentyNumbers", ArrayOfTwenty, kStopped, Probe::kBlack},
    {"NineteenOperands", NineteenOperands, kDrawn, Probe::kBlack},
    {"TwentyOperands", TwentyOperands, kStopped, Probe::kBlack},
    {"TwentyStrings", TwentyStrings, kStopped, Probe::kBlack},
    {"TenThousandNestedDocuments", TenThousandNestedDocuments, kDrawn, Probe::kBlack},
    {"TenThousandDocumentsNeverEnded", TenThousandDocumentsNeverEnded, kDrawn, Probe::kBlack},
    {"SiblingDocumentsWithoutEof", SiblingDocumentsWithoutEof, kDrawn, Probe::kBlack},
    {"HeaderLineOfAMegabyte", HeaderLineOfAMegabyte, kDrawn, Probe::kBlack},
    {"ArtworkCommentOfAMegabyte", ArtworkCommentOfAMegabyte, kStopped, Probe::kBlack},
    {"StringOfAMegabyte", StringOfAMegabyte, kStopped, Probe::kBlack},
    {"PathLineOfAMegabyte", PathLineOfAMegabyte, kDrawn, Probe::kBlack},
    {"CurvesThroughHugeCoordinates", CurvesThroughHugeCoordinates, kDrawn, Probe::kBlack},
    {"FontOfHugeSize", FontOfHugeSize, kDrawn, Probe::kBlack},
    {"EmptyBoundingBox", [](auto&, auto&) { return BoundingBox("0 0 0 0"); }, kEither},
    {"ZeroWidthBoundingBox", [](auto&, auto&) { return BoundingBox("10 10 10 90"); }, kEither},
    {"InvertedBoundingBox", [](auto&, auto&) { return BoundingBox("100 100 0 0"); }, kEither},
    {"EnormousBoundingBox",
     [](auto&, auto&) {
         return BoundingBox("-" + kHugeNumber + " -" + kHugeNumber + " " + kHugeNumber + " 1");
     },
     kEither},
    {"ArtworkFarOffTheRaster", ArtworkFarOffTheRaster, kEither},
    {"MillionTinySegments", MillionTinySegments, kDrawn, Probe::kBlack},
    {"MillionScatteredSegments", MillionScatteredSegments, kDrawn, Probe::kBlack},
    {"FileThatIncludesItself", FileThatIncludesItself, kDrawn, Probe::kBlack},
    {"IncludeChainOfThreeThousand", IncludeChainOfThreeThousand, kDrawn, Probe::kBlack},
    {"IncludesADevice", IncludesADevice, kDrawn, Probe::kBlack},
    {"TextInFiftyThousandSizes", TextInFiftyThousandSizes, kDrawn, Probe::kBlack},
};

// ---- the passes -----------------------------------------------------------------------------------

// Ink at a pixel of an 8-bit target (top-left origin): the table's entry i is grey 255 - i.
uint8_t InkAt(const TargetRaster& target, uint32_t x, uint32_t y) {
    const RasterImage& r = target.raster;
    return r.pixels[(r.height - 1 - y) * r.rowBytes + x];
}

class HostileArt : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override { path = folder.File("hostile.ai"); }
    std::string Write() {
        const std::string text = GetParam().text(folder, path);
        folder.Write("hostile.ai", text);
        return text;
    }

    TempDir folder;
    std::string path;
};

TEST_P(HostileArt, EndsWithAResultInBothPasses) {
    const Row& row = GetParam();
    Write();
    TargetRaster target;
    ASSERT_EQ(CreateTargetRaster(8, kSide, kSide, &target), kOk);
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    const Status drawn = RenderIllustratorArt(&eps, &target, &kWhole);
    CloseEps(&eps);
    EXPECT_TRUE(row.results.count(drawn)) << "drawing answered " << ::testing::PrintToString(drawn);
    if (row.square == Probe::kBlack) {
        EXPECT_EQ(InkAt(target, 10, 90), 255) << "the square is not there";
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
