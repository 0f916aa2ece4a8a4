// Illustrator thumbnails read from files the tests write: the run-length code on its own, whole
// thumbnails compared pixel by pixel at widths that do and do not fill whole words, and the files
// that are refused.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "eps/EpsReader.h"
#include "preview/Ai7Thumbnail.h"
#include "preview/TargetRaster.h"
#include "support/EpsFixtures.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::HexCommentLines;
using testing::TempDir;

constexpr uint32_t kWhite = 0xFFFFFF;

// ---- The run-length code ----------------------------------------------------------------------

std::vector<uint8_t> Runs(std::initializer_list<int> code, size_t outSize, uint64_t* written = nullptr) {
    std::vector<uint8_t> in(code.begin(), code.end());
    std::vector<uint8_t> out(outSize, 0xEE);
    uint64_t n = DecodeThumbnailRuns(in.data(), in.size(), out.data(), out.size());
    if (written) *written = n;
    return out;
}

TEST(ThumbnailRuns, LiteralsEscapesAndRuns) {
    using V = std::vector<uint8_t>;
    uint64_t n = 0;
    // A run of none writes nothing; the escape doubled is the pixel 0xFD; a run repeats its value.
    EXPECT_EQ(Runs({0xFD, 0x00, 0x07, 0x01, 0xFD, 0xFD, 0xFD, 0x03, 0x05, 0x02}, 6, &n),
              (V{0x01, 0xFD, 0x05, 0x05, 0x05, 0x02}));
    EXPECT_EQ(n, 6u);
    // A run of 0xFE or 0xFF pixels is a run like any other.
    EXPECT_EQ(Runs({0xFD, 0xFF, 0x09}, 255), V(255, 0x09));
}

TEST(ThumbnailRuns, StopWhereTheOutputIsFullOrTheInputEnds) {
    using V = std::vector<uint8_t>;
    uint64_t n = 0;
    // A run is cut to the space left, and nothing after it is written.
    EXPECT_EQ(Runs({0x01, 0xFD, 0x09, 0x04, 0x02}, 4, &n), (V{0x01, 0x04, 0x04, 0x04}));
    EXPECT_EQ(n, 4u);
    // An escape, or an escape and a count, at the end of the input write nothing.
    EXPECT_EQ(Runs({0x01, 0xFD}, 3, &n), (V{0x01, 0xEE, 0xEE}));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(Runs({0x01, 0xFD, 0x02}, 3, &n), (V{0x01, 0xEE, 0xEE}));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(Runs({}, 2, &n), (V{0xEE, 0xEE}));
    EXPECT_EQ(n, 0u);
}

// ---- Thumbnail files --------------------------------------------------------------------------

// A colour table in which every entry differs from the grey default and from its neighbours.
uint32_t PaletteColour(uint32_t i) {
    return i << 16 | (255 - i) << 8 | ((i * 37 + 11) & 0xFF);
}

std::string ColourTable() {
    std::string bytes;
    for (uint32_t i = 0; i < 256; ++i)
        for (int shift : {16, 8, 0}) bytes += static_cast<char>(PaletteColour(i) >> shift);
    return bytes;
}

// The encoder's side of the code, as Illustrator writes it: runs of three or more, literals, and
// 0xFD doubled.
std::string EncodeRuns(const std::vector<uint8_t>& pixels) {
    std::string out;
    for (size_t i = 0; i < pixels.size();) {
        size_t run = 1;
        while (i + run < pixels.size() && pixels[i + run] == pixels[i] && run < 252) ++run;
        if (run >= 3) {
            out += {'\xFD', static_cast<char>(run), static_cast<char>(pixels[i])};
        } else {
            for (size_t k = 0; k < run; ++k)
                out += pixels[i] == 0xFD ? std::string("\xFD\xFD") : std::string(1, char(pixels[i]));
        }
        i += run;
    }
    return out;
}

std::string ThumbnailData(const std::vector<uint8_t>& pixels) {
    return ColourTable() + "RLE" + EncodeRuns(pixels);
}

std::string Ai7File(const std::string& size, const std::string& data, const std::string& before = "") {
    return "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(R) 8.0\n%%BoundingBox: 0 0 100 50\n" + before +
           "%AI7_Thumbnail: " + size + "\n%%BeginData: " + std::to_string(data.size() * 2) + " Hex Bytes\n" +
           HexCommentLines(data, "%") + "\n%%EndData\n%%EndComments\n%%BeginProlog\n%%EndProlog\n0 A\n";
}

// Indices with runs (the middle third of every row), 0xFD pixels and a different start each row, so
// that a row in the wrong place shows.
uint8_t Index(uint32_t x, uint32_t y, uint32_t w) {
    if (x > w / 3 && x < 2 * w / 3) return static_cast<uint8_t>(y);
    if ((x + y) % 17 == 0) return 0xFD;
    return static_cast<uint8_t>(x * 3 + y * 7);
}

std::vector<uint8_t> Indices(uint32_t w, uint32_t h) {
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) pixels.push_back(Index(x, y, w));
    return pixels;
}

// The thumbnail is drawn whole, and GDI sets a mirrored picture one pixel lower (Windows does the
// same), which DrawRaster makes up for with one extra row at the top: drawn 1:1, h rows are stretched
// over h + 1. The tests therefore draw into (0, 0, w, h) of a target one row taller and expect the
// picture's rows in order, each shown at least once and each pixel exact.
struct Target {
    TargetRaster t;
    Status status;
    Rect picture;
    Target(uint32_t w, uint32_t h) : picture{0, 0, int32_t(w), int32_t(h)} {
        status = CreateTargetRaster(24, w, h + 1, &t);
    }
    ~Target() {
        if (status == kOk) DestroyTargetRaster(&t);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
    uint32_t Rgb(uint32_t x, uint32_t y) const {
        const RasterImage& r = t.raster;
        const uint8_t* p = r.pixels + static_cast<size_t>(r.height - 1 - y) * r.rowBytes + 3 * x;
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
    bool AllWhite() const {
        for (uint32_t y = 0; y < t.raster.height; ++y)
            for (uint32_t x = 0; x < t.raster.width; ++x)
                if (Rgb(x, y) != kWhite) return false;
        return true;
    }
};

class Ai7ThumbnailTest : public ::testing::Test {
  protected:
    Status Decode(const std::string& file, Target* target, Rect destination) {
        std::string path = dir.Write("drawing.ai", file);
        EpsReader eps;
        Status status = OpenEps(path.c_str(), &eps);
        if (status != kOk) return status;
        status = DecodeAi7Thumbnail(&eps, &target->t, &destination);
        CloseEps(&eps);
        return status;
    }
    Status Decode(const std::string& file, Target* target) { return Decode(file, target, target->picture); }

    // Every target row is picture row `shown` or the one after it, starting at row 0 and ending at
    // the last: a row left out, repeated out of place or sheared shows.
    void ExpectRowsInOrder(const Target& target, const std::function<uint32_t(uint32_t, uint32_t)>& colour) {
        const uint32_t w = target.t.raster.width, h = target.t.raster.height - 1;
        auto rowIs = [&](uint32_t y, uint32_t row) {
            for (uint32_t x = 0; x < w; ++x)
                if (target.Rgb(x, y) != colour(x, row)) return false;
            return true;
        };
        uint32_t shown = 0;
        for (uint32_t y = 0; y <= h; ++y) {
            if (rowIs(y, shown)) continue;
            if (shown + 1 < h && rowIs(y, shown + 1)) {
                ++shown;
                continue;
            }
            ADD_FAILURE() << "target row " << y << " is neither picture row " << shown << " nor the next";
            return;
        }
        EXPECT_EQ(shown, h - 1);
    }

    TempDir dir;
};

TEST_F(Ai7ThumbnailTest, EveryPixelShowsItsColourAtWidthsInAndOutOfWholeWords) {
    // 100 bytes a row are whole words already; 101 and 3 are widened to 104 and 4.
    for (uint32_t w : {100u, 101u, 3u}) {
        SCOPED_TRACE(w);
        const uint32_t h = 40;
        Target target(w, h);
        ASSERT_EQ(target.status, kOk);
        std::string size = std::to_string(w) + " " + std::to_string(h) + " 8";
        ASSERT_EQ(Decode(Ai7File(size, ThumbnailData(Indices(w, h))), &target), kOk);
        ExpectRowsInOrder(target, [&](uint32_t x, uint32_t y) { return PaletteColour(Index(x, y, w)); });
    }
}

TEST_F(Ai7ThumbnailTest, PixelsTheDataDoNotReachKeepIndexZero) {
    Target target(4, 2);
    // Four pixels of eight, then a run whose value the data's end cuts off.
    std::string data = ColourTable() + "RLE" + std::string("\x05\x06\x07\x08\xFD\x09", 6);
    ASSERT_EQ(Decode(Ai7File("4 2 8", data), &target), kOk);
    const uint32_t expected[] = {5, 6, 7, 8, 0, 0, 0, 0};
    ExpectRowsInOrder(target, [&](uint32_t x, uint32_t y) { return PaletteColour(expected[y * 4 + x]); });
}

TEST_F(Ai7ThumbnailTest, TheThumbnailIsStretchedIntoTheDestinationRectangle) {
    Target target(20, 9);
    std::vector<uint8_t> pixels = {1, 2, 3, 4};
    ASSERT_EQ(Decode(Ai7File("2 2 8", ThumbnailData(pixels)), &target, {4, 2, 12, 8}), kOk);
    for (uint32_t y = 0; y < 10; ++y)
        for (uint32_t x = 0; x < 20; ++x) {
            bool inside = x >= 4 && x < 12 && y >= 3 && y < 9;  // one pixel lower, as ever
            uint32_t want = inside ? PaletteColour(1 + (x >= 8) + 2 * (y >= 6)) : kWhite;
            EXPECT_EQ(target.Rgb(x, y), want) << x << "," << y;
        }
}

TEST_F(Ai7ThumbnailTest, FilesThatDoNotHoldAThumbnailAreRefused) {
    const std::string good = ThumbnailData(Indices(4, 4));
    std::string table = ColourTable();
    struct Case {
        const char* name;
        std::string file;
        Status status;
    } cases[] = {
        {"data stop inside the colour table", Ai7File("4 4 8", table.substr(0, 500)), kErrFormat},
        {"colour table without the marker", Ai7File("4 4 8", table + "RLF" + EncodeRuns(Indices(4, 4))),
         kErrFormat},
        {"4 bits a pixel", Ai7File("4 4 4", good), kErrFormat},
        {"no pixels a row", Ai7File("0 4 8", good), kErrFormat},
        {"negative height", Ai7File("4 -4 8", good), kErrFormat},
        {"4 GiB of pixels", Ai7File("65536 65536 8", good), kErrFormat},
        {"a line of code before the comment", Ai7File("4 4 8", good, "0 A\n"), kErrFormat},
        {"no %%BeginData: line",
         "%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n%%BeginBinary: 10\n" + HexCommentLines(good, "%") +
             "\n0 A\n",
         kErrFormat},
        {"no thumbnail", "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(R) 8.0\n%%EndComments\n0 A\n",
         kErrFormat},
        {"data up to the end of the file",
         "%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n%%BeginData: 10\n" + HexCommentLines(good, "%"), kErrEof},
        {"comments up to the end of the file", "%!PS-Adobe-3.0\n%%Creator: x\n%%EndComments\n", kErrEof},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Target target(4, 4);
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Decode(c.file, &target), c.status);
        EXPECT_TRUE(target.AllWhite());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
}

}  // namespace
}  // namespace aldra
