// Illustrator thumbnails read from files the tests write: the run-length code, whole thumbnails
// compared index by index, and the files that are refused.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "CaptureSink.h"
#include "eps/EpsReader.h"
#include "fixtures/Eps.h"
#include "preview/Ai7Thumbnail.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::Ai7ThumbnailRuns;
using testing::CaptureSink;
using testing::HexCommentLines;
using V = std::vector<uint8_t>;

TEST(ThumbnailRuns, LiteralsEscapesRunsAndWhereTheyStop) {
    const struct {
        V in;
        size_t room;
        V out;  // what is written; the rest of the room stays 0xEE
    } cases[] = {
        // A run of none writes nothing; the escape doubled is the pixel 0xFD; a run repeats its value.
        {{0xFD, 0x00, 0x07, 0x01, 0xFD, 0xFD, 0xFD, 0x03, 0x05, 0x02},
         6,
         {0x01, 0xFD, 0x05, 0x05, 0x05, 0x02}},
        {{0xFD, 0xFF, 0x09}, 255, V(255, 0x09)},
        {{0x01, 0xFD, 0x09, 0x04, 0x02}, 4, {0x01, 0x04, 0x04, 0x04}},  // cut to the room left
        {{0x01, 0xFD}, 3, {0x01}},                                      // an escape at the end
        {{0x01, 0xFD, 0x02}, 3, {0x01}},                                // an escape and a count
        {{}, 2, {}},
    };
    for (const auto& c : cases) {
        V out(c.room, 0xEE);
        EXPECT_EQ(DecodeThumbnailRuns(c.in.data(), c.in.size(), out.data(), out.size()), c.out.size());
        V expected = c.out;
        expected.resize(c.room, 0xEE);
        EXPECT_EQ(out, expected);
    }
}

std::string ColourTable() {
    std::string bytes;
    for (uint32_t i = 0; i < 256; ++i) bytes += {char(i), char(255 - i), char(i * 37 + 11)};
    return bytes;
}

std::string Ai7File(const std::string& size, const std::string& data, const std::string& before = "") {
    return "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(R) 8.0\n%%BoundingBox: 0 0 100 50\n" + before +
           "%AI7_Thumbnail: " + size + "\n%%BeginData: " + std::to_string(data.size() * 2) + " Hex Bytes\n" +
           HexCommentLines(data, "%") + "\n%%EndData\n%%EndComments\n%%BeginProlog\n%%EndProlog\n0 A\n";
}

// Indices with runs (the middle third of every row), 0xFD pixels and a different start each row.
V Indices(uint32_t w, uint32_t h) {
    V pixels;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            pixels.push_back(x > w / 3 && x < 2 * w / 3 ? y : (x + y) % 17 == 0 ? 0xFD : x * 3 + y * 7);
    return pixels;
}

class Ai7ThumbnailTest : public ::testing::Test {
  protected:
    Status Decode(const std::string& file, CaptureSink* sink) {
        std::string path = dir.Write("drawing.ai", file);
        EpsReader eps;
        Status status = OpenEps(path.c_str(), &eps);
        if (status != kOk) return status;
        status = DecodeAi7Thumbnail(&eps, sink);
        CloseEps(&eps);
        return status;
    }
    testing::TempDir dir;
};

TEST_F(Ai7ThumbnailTest, EveryPixelKeepsItsIndexAndTheTableItsColours) {
    const struct {
        uint32_t w, h;
        V pixels;
        std::string code;
    } cases[] = {
        {100, 40, Indices(100, 40), Ai7ThumbnailRuns(Indices(100, 40))},
        {101, 40, Indices(101, 40), Ai7ThumbnailRuns(Indices(101, 40))},
        // Four pixels of eight, then a run whose value the data's end cuts off: the rest is index 0.
        {4, 2, {5, 6, 7, 8, 0, 0, 0, 0}, std::string("\x05\x06\x07\x08\xFD\x09", 6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.w);
        CaptureSink cap;
        ASSERT_EQ(Decode(Ai7File(std::to_string(c.w) + " " + std::to_string(c.h) + " 8",
                                 ColourTable() + "RLE" + c.code),
                         &cap),
                  kOk);
        EXPECT_EQ(cap.calls, 1);
        EXPECT_EQ(cap.last.format, RowFormat::kIndexed);
        ASSERT_EQ(cap.last.bitsPerPixel, 8u);
        ASSERT_EQ(cap.Rows(), c.h);
        // Room for the rows to be widened to whole words in place.
        EXPECT_GE(cap.last.capacity, AlignedStride(8, c.w) * c.h);
        for (uint32_t y = 0; y < c.h; ++y)
            for (uint32_t x = 0; x < c.w; ++x)
                ASSERT_EQ(cap.Sample(x, y), c.pixels[y * c.w + x]) << x << "," << y;
        ASSERT_EQ(cap.colours.size(), 256u);
        EXPECT_EQ(cap.colours[200], MakeColour(200, 55, static_cast<uint8_t>(200 * 37 + 11)));
    }
}

TEST_F(Ai7ThumbnailTest, FilesThatDoNotHoldAThumbnailAreRefused) {
    const std::string good = ColourTable() + "RLE" + Ai7ThumbnailRuns(Indices(4, 4));
    std::string table = ColourTable();
    const struct {
        const char* name;
        std::string file;
        Status status;
    } cases[] = {
        {"data stop inside the colour table", Ai7File("4 4 8", table.substr(0, 500)), kErrFormat},
        {"colour table without the marker", Ai7File("4 4 8", table + "RLF" + Ai7ThumbnailRuns(Indices(4, 4))),
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
    for (const auto& c : cases) {
        CaptureSink cap;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Decode(c.file, &cap), c.status) << c.name;
        EXPECT_EQ(cap.calls, 0) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
    }
}

}  // namespace
}  // namespace aldra
