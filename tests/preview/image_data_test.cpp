// %ImageData pictures read from files the tests write: every sample type, colour mode and plane
// layout, the search for the comment and the data's start, the parameters that are refused, damaged
// data, and strong reductions. Pictures are drawn 1:1 where the samples are raw, so that every
// pixel can be compared.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "eps/EpsReader.h"
#include "platform/resources/Resources.h"
#include "preview/ColourTables.h"
#include "preview/ImageData.h"
#include "preview/TargetRaster.h"
#include "preview/TextResources.h"
#include "support/TempDir.h"

// After the filter's headers: libjpeg's TRUE and FALSE macros would clash with the GDI vocabulary.
#include "support/JpegFixtures.h"

namespace aldra {
namespace {

using testing::TempDir;

constexpr uint32_t kWhite = 0xFFFFFF;

// GDI sets a mirrored picture one pixel lower (Windows does the same): drawn 1:1, the top row shows
// twice and every other row one row down. The tests therefore draw a w x h picture into (0, 0, w, h)
// of a target one row taller, where its last row still shows.
uint32_t ShownRow(uint32_t y) {
    return y == 0 ? 0 : y - 1;
}

struct Target {
    TargetRaster t;
    Status status;
    Rect picture;
    Target(uint32_t bits, uint32_t w, uint32_t h) : picture{0, 0, int32_t(w), int32_t(h)} {
        status = CreateTargetRaster(bits, w, h + 1, &t);
    }
    ~Target() {
        if (status == kOk) DestroyTargetRaster(&t);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    // (x, y) counted from the top; the section holds the bottom row first.
    const uint8_t* At(uint32_t x, uint32_t y) const {
        const RasterImage& r = t.raster;
        return r.pixels + static_cast<size_t>(r.height - 1 - y) * r.rowBytes + x * (r.bitsPerPixel / 8);
    }
    uint32_t Rgb(uint32_t x, uint32_t y) const {
        const uint8_t* p = At(x, y);
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
    uint8_t Index(uint32_t x, uint32_t y) const { return *At(x, y); }
    bool AllWhite() const {
        for (uint32_t y = 0; y < t.raster.height; ++y)
            for (uint32_t x = 0; x < t.raster.width; ++x)
                if (t.raster.bitsPerPixel == 8 ? Index(x, y) != 0 : Rgb(x, y) != kWhite) return false;
        return true;
    }
};

// ---- Files ------------------------------------------------------------------------------------

// A header with the comment and some code, up to the start word's line. `numbers` are the comment's
// seven numbers.
std::string ImageDataHead(const std::string& numbers, const std::string& startWord = "\"beginimage\"") {
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 50\n%ImageData: " + numbers + " " + startWord +
           "\n%%EndComments\n%%BeginProlog\n/beginimage { image } def\n%%EndProlog\ngsave\n"
           "100 50 scale\nbeginimage\n";
}

std::string ImageDataFile(const std::string& numbers, const std::string& data,
                          const std::string& startWord = "\"beginimage\"") {
    return ImageDataHead(numbers, startWord) + data + "\n%%EndData\ngrestore\nshowpage\n%%EOF\n";
}

const char* kDigits[] = {"0123456789ABCDEF", "0123456789abcdef"};

// Hexadecimal text laid out as a careless writer might: lines from 1 to 511 digits, so that pairs
// straddle line ends and lines pass the line reader's 255 characters; LF, CR and CR LF ends; blanks
// and tabs between digits; both letter cases.
std::string HexSpread(const std::vector<uint8_t>& bytes) {
    static const int lengths[] = {1, 64, 7, 255, 2, 300, 511, 33};
    static const char* ends[] = {"\n", "\r\n", "\r", " \t\n"};
    std::string out;
    int line = 0, inLine = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (int half = 0; half < 2; ++half) {
            int nibble = half == 0 ? bytes[i] >> 4 : bytes[i] & 15;
            out += kDigits[line % 2][nibble];
            if (++inLine == lengths[line % 8]) {
                out += ends[line % 4];
                ++line;
                inLine = 0;
            } else if (inLine % 9 == 0) {
                out += ' ';
            }
        }
    }
    return out;
}

std::string Binary(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// ---- Pictures ---------------------------------------------------------------------------------

// A colour for every pixel, with no repeats along a row or down a column that could hide a
// misplaced sample.
uint32_t Busy(uint32_t x, uint32_t y) {
    uint32_t r = (x * 5 + y * 3) & 0xFF, g = (y * 11 + x) & 0xFF, b = (x * y + 7 * x + 40) & 0xFF;
    return r << 16 | g << 8 | b;
}

uint8_t Channel(uint32_t rgb, uint32_t c) {
    return static_cast<uint8_t>(rgb >> (16 - 8 * c));
}

// Rows of `channels` samples a pixel, with `pad` extra bytes behind each pixel (blockSize 1), or
// as planes `blockSize` bytes apart, the pad planes after the channels.
std::vector<uint8_t> Samples(uint32_t w, uint32_t h, uint32_t channels, uint32_t pad, uint32_t blockSize,
                             const std::function<uint8_t(uint32_t, uint32_t, uint32_t)>& sample) {
    const uint32_t rowBytes = w * (channels + pad);
    std::vector<uint8_t> rows(static_cast<size_t>(rowBytes) * h, 0xA5);  // pad bytes hold rubbish
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < channels; ++c) {
                size_t at = blockSize == 1 ? x * (channels + pad) + c : x + c * blockSize;
                rows[y * rowBytes + at] = sample(x, y, c);
            }
    return rows;
}

std::vector<uint8_t> RgbSamples(uint32_t w, uint32_t h, uint32_t pad = 0, uint32_t blockSize = 1) {
    return Samples(w, h, 3, pad, blockSize,
                   [](uint32_t x, uint32_t y, uint32_t c) { return Channel(Busy(x, y), c); });
}

class ImageDataTest : public ::testing::Test {
  protected:
    void SetUp() override { SetResourceModule(OwnResourceModule()); }
    void TearDown() override { SetResourceModule(OwnResourceModule()); }

    Status Decode(const std::string& file, Target* target, Rect destination) {
        std::string path = dir.Write("picture.eps", file);
        EpsReader eps;
        Status status = OpenEps(path.c_str(), &eps);
        if (status != kOk) return status;
        status = DecodeImageData(&eps, &target->t, &destination);
        CloseEps(&eps);
        return status;
    }
    Status Decode(const std::string& file, Target* target) { return Decode(file, target, target->picture); }

    // Every pixel of the 1:1 drawing against the picture.
    void ExpectPicture(const Target& target, const std::function<uint32_t(uint32_t, uint32_t)>& colour) {
        int wrong = 0;
        for (uint32_t y = 0; y < target.t.raster.height; ++y)
            for (uint32_t x = 0; x < target.t.raster.width; ++x) {
                uint32_t want = colour(x, ShownRow(y));
                if (target.Rgb(x, y) != want && ++wrong < 5)
                    ADD_FAILURE() << x << "," << y << std::hex << " got " << target.Rgb(x, y) << " want "
                                  << want;
            }
        EXPECT_EQ(wrong, 0);
    }

    TempDir dir;
};

// ---- Sample types and layouts -----------------------------------------------------------------

TEST_F(ImageDataTest, RgbSamplesInEveryLayoutGiveTheSamePicture) {
    struct Case {
        const char* name;
        const char* numbers;
        std::string data;
    } cases[] = {
        {"hex spread over lines", "100 50 8 3 0 1 2", HexSpread(RgbSamples(100, 50))},
        {"binary", "100 50 8 3 0 1 1", Binary(RgbSamples(100, 50))},
        {"binary planes", "100 50 8 3 0 100 1", Binary(RgbSamples(100, 50, 0, 100))},
        {"hex planes", "100 50 8 3 0 100 2", HexSpread(RgbSamples(100, 50, 0, 100))},
        {"a pad byte behind each pixel", "100 50 8 3 1 1 1", Binary(RgbSamples(100, 50, 1, 1))},
        {"a pad plane behind the planes", "100 50 8 3 1 100 1", Binary(RgbSamples(100, 50, 1, 100))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target target(24, 100, 50);
        ASSERT_EQ(target.status, kOk);
        EXPECT_EQ(Decode(ImageDataFile(c.numbers, c.data), &target), kOk);
        ExpectPicture(target, Busy);
    }
}

TEST_F(ImageDataTest, OneBitSamplesAreWhiteWhereSet) {
    // 20 pixels: three bytes a row, the last four bits of each row outside the picture and set.
    const uint32_t w = 20, h = 6;
    auto black = [](uint32_t x, uint32_t y) { return (x + y) % 3 == 0 || x == 19; };
    std::vector<uint8_t> rows(3 * h, 0);
    for (uint32_t y = 0; y < h; ++y) {
        rows[3 * y + 2] = 0x0F;
        for (uint32_t x = 0; x < w; ++x)
            if (!black(x, y)) rows[3 * y + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
    for (bool hex : {false, true}) {
        SCOPED_TRACE(hex ? "hex" : "binary");
        Target target(8, w, h);
        std::string file = hex ? ImageDataFile("20 6 1 1 0 1 2", HexSpread(rows))
                               : ImageDataFile("20 6 1 1 0 1 1", Binary(rows));
        ASSERT_EQ(Decode(file, &target), kOk);
        // One bit into eight is averaged cell by cell, not stretched by GDI: nothing moves.
        for (uint32_t y = 0; y <= h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                EXPECT_EQ(target.Index(x, y), y < h && black(x, y) ? 255 : 0) << x << "," << y;
    }
}

TEST_F(ImageDataTest, GreySamplesAreLightAndGiveTheirInkAsIndex) {
    const uint32_t w = 16, h = 16;
    std::vector<uint8_t> rows(w * h);
    for (uint32_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i);
    Target target(8, w, h);
    ASSERT_EQ(Decode(ImageDataFile("16 16 8 1 0 1 1", Binary(rows)), &target), kOk);
    for (uint32_t y = 0; y <= h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            EXPECT_EQ(target.Index(x, y), 255 - (ShownRow(y) * w + x)) << x << "," << y;
}

// The colour tables stand between the samples and the pixels: the expected colours come from them.
TEST_F(ImageDataTest, LabAndCmykSamplesGoThroughTheColourTables) {
    const uint32_t w = 40, h = 20;
    auto ink = [](uint32_t x, uint32_t y, uint32_t c) {
        return static_cast<uint8_t>(x * 6 + y * 12 + c * 50);
    };
    struct Case {
        const char* numbers;
        uint32_t channels, blockSize;
        bool hex;
        int conversion;
    } cases[] = {{"40 20 8 2 0 1 1", 3, 1, false, kColourLab},
                 {"40 20 8 4 0 1 1", 4, 1, false, kColourCmyk},
                 {"40 20 8 4 0 40 2", 4, 40, true, kColourCmyk}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.numbers);
        Target target(24, w, h);
        std::vector<uint8_t> rows = Samples(w, h, c.channels, 0, c.blockSize, ink);
        ASSERT_EQ(Decode(ImageDataFile(c.numbers, c.hex ? HexSpread(rows) : Binary(rows)), &target), kOk);
        ExpectPicture(target, [&](uint32_t x, uint32_t y) {
            uint8_t in[4], out[3] = {};
            for (uint32_t k = 0; k < c.channels; ++k) in[k] = ink(x, y, k);
            EXPECT_EQ(ConvertColour(c.conversion, in, out), kOk);
            return uint32_t{out[0]} << 16 | uint32_t{out[1]} << 8 | out[2];
        });
    }
}

// ---- Finding the data -------------------------------------------------------------------------

std::string Lines(const std::string& line, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += line + "\n";
    return out;
}

TEST_F(ImageDataTest, TheCommentHasToComeWithinTwentyLinesOfCode) {
    const std::string data = Binary(RgbSamples(4, 2));
    for (int code : {20, 21}) {
        SCOPED_TRACE(code);
        // Comment lines in between do not count.
        std::string file = "%!PS-Adobe-3.0 EPSF-3.0\n" + Lines("%%+ comment", 40) +
                           Lines("gsave grestore", code) +
                           "%ImageData: 4 2 8 3 0 1 1 \"beginimage\"\nbeginimage\n" + data + "\n";
        Target target(24, 4, 2);
        EXPECT_EQ(Decode(file, &target), code == 20 ? kOk : kErrFormat);
        EXPECT_EQ(target.Rgb(3, 2) == Busy(3, 1), code == 20);
    }
}

TEST_F(ImageDataTest, TheDataBeginBehindTheLineThatIsExactlyTheStartWord) {
    // A first comment is replaced by the second; near misses of the start word are code lines.
    std::string file =
        "%!PS-Adobe-3.0 EPSF-3.0\n%ImageData: 9 9 8 1 0 1 1 \"x\"\n"
        "%ImageData: 4 2 8 3 0 1 1 (begin image)\nx\n" +
        Lines("begin imagex", 1) + Lines("begin imag", 1) + Lines(" begin image", 1) +
        Lines("%begin image", 1) + Lines("begin image", 1) + Binary(RgbSamples(4, 2)) + "\n";
    Target target(24, 4, 2);
    ASSERT_EQ(Decode(file, &target), kOk);
    ExpectPicture(target, Busy);

    // Without the start word's line, or without any comment, the file ends first.
    std::string noStart = ImageDataFile("4 2 8 3 0 1 1", Binary(RgbSamples(4, 2)), "\"startimage\"");
    EXPECT_EQ(Decode(noStart, &target), kErrEof);
    EXPECT_EQ(Decode("%!PS-Adobe-3.0 EPSF-3.0\nbeginimage\n", &target), kErrEof);
}

TEST_F(ImageDataTest, ParametersOutsideWhatTheDecoderReadsAreRefusedBeforeAnythingIsDrawn) {
    const std::string data = Binary(RgbSamples(100, 50));
    const char* refused[] = {
        "100 50 1 2 0 1 1",                 // CIELAB in 1 bit
        "100 50 8 3 0 1 5",                 // no type 5
        "100 50 8 3 0 1 0",                 // nor 0
        "100 50 8 0 0 1 1",                 // no mode 0
        "100 50 8 5 0 1 1",                 // nor 5
        "100 50 4 1 0 1 1",                 // grey in 4 bits
        "100 50 1 3 0 1 1",                 // RGB in 1 bit
        "0 50 8 3 0 1 1",                   // no pixels a row
        "-100 50 8 3 0 1 1",                //
        "100 0 8 3 0 1 1",                  // no rows
        "100 50 8 3 -3 1 1",                // pad leaves no bytes a row
        "100 50 8 3 -1 1 1",                // pad puts the last pixel past the row's end
        "100 50 8 3 0 101 1",               // the blue plane ends past the row's end
        "100 50 8 3 0 -1 1",                // planes before the row's start
        "30000000 1 8 4 0 1 1",             // 120 MB a row
        "2147483647 1 8 4 2147483647 1 1",  // a row size that overflows
        "2147483647 1 1 1 0 1 1",           // 256 MB of bits a row
    };
    for (const char* numbers : refused) {
        SCOPED_TRACE(numbers);
        Target target(24, 100, 50);
        EXPECT_EQ(Decode(ImageDataFile(numbers, data), &target), kErrFormat);
        EXPECT_TRUE(target.AllWhite());
    }
    // The block size does not matter to grey samples.
    Target grey(8, 100, 50);
    EXPECT_EQ(Decode(ImageDataFile("100 50 8 1 0 -7 1", Binary(std::vector<uint8_t>(5000, 0))), &grey), kOk);
    EXPECT_EQ(grey.Index(50, 25), 255);
}

// Hexadecimal text as writers lay it out, lines of one length, over many read windows: rows,
// lines and windows end at different places, so runs of digits are cut everywhere.
std::string HexInLines(const std::vector<uint8_t>& bytes, size_t digitsPerLine, const char* eol) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += kDigits[(i / 50) % 2][bytes[i] >> 4];
        out += kDigits[(i / 50) % 2][bytes[i] & 15];
        if ((2 * i + 2) % digitsPerLine == 0) out += eol;
    }
    return out;
}

TEST_F(ImageDataTest, HexRowsOverManyReadWindowsGiveThePictureInEveryLineLayout) {
    // 333 x 70 RGB pixels: 140 KB of digits, a row of 999 bytes that no line length divides.
    auto colour = [](uint32_t x, uint32_t y) { return Busy(x + 13, y * 3); };
    std::vector<uint8_t> rows = Samples(
        333, 70, 3, 0, 1, [&](uint32_t x, uint32_t y, uint32_t c) { return Channel(colour(x, y), c); });
    const struct {
        size_t digits;
        const char* eol;
    } layouts[] = {{128, "\n"}, {127, "\r\n"}, {64, "\r"}, {16, " "}, {15, "\t\n"}, {4096, "\n"}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.digits);
        Target target(24, 333, 70);
        ASSERT_EQ(target.status, kOk);
        EXPECT_EQ(
            Decode(ImageDataFile("333 70 8 3 0 1 2", HexInLines(rows, layout.digits, layout.eol)), &target),
            kOk);
        ExpectPicture(target, colour);
    }
}

// ---- Damaged data -----------------------------------------------------------------------------

TEST_F(ImageDataTest, RowsBeforeTheDataEndAreDrawnAndTheEndIsReported) {
    std::vector<uint8_t> rows = RgbSamples(100, 50);
    const size_t rowBytes = 300;
    for (bool hex : {false, true}) {
        SCOPED_TRACE(hex ? "hex" : "binary");
        // 20 whole rows and half of the 21st.
        std::vector<uint8_t> cut(rows.begin(), rows.begin() + 20 * rowBytes + 150);
        std::string file = hex ? ImageDataHead("100 50 8 3 0 1 2") + HexSpread(cut)
                               : ImageDataHead("100 50 8 3 0 1 1") + Binary(cut);
        Target target(24, 100, 50);
        EXPECT_EQ(Decode(file, &target), kErrEof);
        ExpectPicture(target, [](uint32_t x, uint32_t y) { return y < 20 ? Busy(x, y) : kWhite; });
    }
}

TEST_F(ImageDataTest, AHeightNoFileCouldHoldEndsWithTheFile) {
    auto start = std::chrono::steady_clock::now();
    Target target(24, 4, 4);
    EXPECT_EQ(Decode(ImageDataFile("4 2147483647 8 3 0 1 1", Binary(RgbSamples(4, 2))), &target), kErrEof);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// ---- Reductions -------------------------------------------------------------------------------

uint32_t RowColour(uint32_t y) {
    return (y * 5) << 16 | (255 - y * 5) << 8 | (y * 3);
}

TEST_F(ImageDataTest, AStrongReductionDrawsTheRowsThatLandOnPixels) {
    std::vector<uint8_t> rows =
        Samples(100, 50, 3, 0, 1, [](uint32_t, uint32_t y, uint32_t c) { return Channel(RowColour(y), c); });
    for (bool hex : {false, true}) {
        SCOPED_TRACE(hex ? "hex" : "binary");
        Target target(24, 10, 5);
        std::string file = hex ? ImageDataFile("100 50 8 3 0 1 2", HexSpread(rows))
                               : ImageDataFile("100 50 8 3 0 1 1", Binary(rows));
        ASSERT_EQ(Decode(file, &target), kOk);
        // Ten rows to a pixel: rounded to the nearest edge, source rows 4, 14, 24, 34 and 44 are the
        // ones whose rectangles do not vanish. Getting their colours right needs every row before
        // them read.
        for (uint32_t y = 0; y <= 5; ++y)
            for (uint32_t x = 0; x < 10; ++x)
                EXPECT_EQ(target.Rgb(x, y), RowColour(10 * ShownRow(y) + 4)) << x << "," << y;
    }
}

TEST_F(ImageDataTest, AnUnconvertibleRowIsNotDrawnAndRowsThatLandNowhereAreNotConverted) {
    if (ColourTableReferences() != 0) GTEST_SKIP() << "the colour tables are held elsewhere";
    // Forget the loaded tables and the module they come from.
    AcquireColourTables();
    ReleaseColourTables();
    SetResourceModule(nullptr);
    std::string cmyk = ImageDataFile("100 50 8 4 0 1 1", Binary(std::vector<uint8_t>(100 * 50 * 4, 0x40)));

    Target whole(24, 100, 50);
    EXPECT_EQ(Decode(cmyk, &whole), kErrNoResource);
    EXPECT_TRUE(whole.AllWhite());
    // Reduced, the last row lands on no pixel: it is read but never converted, so its status is 0.
    Target reduced(24, 10, 5);
    EXPECT_EQ(Decode(cmyk, &reduced), kOk);
    EXPECT_TRUE(reduced.AllWhite());
    // RGB needs no tables.
    Target rgb(24, 100, 50);
    EXPECT_EQ(Decode(ImageDataFile("100 50 8 3 0 1 1", Binary(RgbSamples(100, 50))), &rgb), kOk);
    ExpectPicture(rgb, Busy);
}

TEST_F(ImageDataTest, ThePictureFillsTheDestinationRectangleOnly) {
    Target target(24, 30, 19);
    std::vector<uint8_t> red =
        Samples(4, 2, 3, 0, 1, [](uint32_t, uint32_t, uint32_t c) { return c == 0 ? 255 : 0; });
    ASSERT_EQ(Decode(ImageDataFile("4 2 8 3 0 1 1", Binary(red)), &target, {10, 5, 22, 11}), kOk);
    for (uint32_t y = 0; y < 20; ++y)
        for (uint32_t x = 0; x < 30; ++x) {
            bool inside = x >= 10 && x < 22 && y >= 6 && y < 12;  // one pixel lower, as ever
            EXPECT_EQ(target.Rgb(x, y), inside ? 0xFF0000u : kWhite) << x << "," << y;
        }
}

// ---- JPEG data --------------------------------------------------------------------------------

uint32_t Quadrant(uint32_t x, uint32_t y) {
    if (y < 16) return x < 32 ? 0xFF0000 : 0x00FF00;
    return x < 32 ? 0x0000FF : 0x000000;
}

TEST_F(ImageDataTest, JpegDataInAscii85TextIsDecodedByTheJpegDecoder) {
    std::string jpeg =
        testing::EncodeJpeg(64, 32, 3, testing::JpegSamples(64, 32, 3, [](uint32_t x, uint32_t y, int c) {
                                return Channel(Quadrant(x, y), static_cast<uint32_t>(c));
                            }));
    std::string text = testing::Ascii85(jpeg);
    for (const char* numbers : {"64 32 8 3 0 1 3", "64 32 8 3 0 1 4"}) {
        SCOPED_TRACE(numbers);
        Target target(24, 64, 32);
        ASSERT_EQ(Decode(ImageDataFile(numbers, text), &target), kOk);
        for (auto [x, y] : {std::pair{10u, 5u}, {50u, 5u}, {10u, 25u}, {50u, 25u}})
            for (uint32_t k = 0; k < 3; ++k)
                EXPECT_NEAR(Channel(target.Rgb(x, y), k), Channel(Quadrant(x, y), k), 12) << x << "," << y;
    }
}

}  // namespace
}  // namespace aldra
