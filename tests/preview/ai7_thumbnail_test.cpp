// Illustrator thumbnails: the run-length code's room, whole thumbnails read from files the tests
// write and compared index by index, and the files that are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CaptureSink.h"
#include "fixtures/Eps.h"
#include "preview/Ai7Thumbnail.h"

namespace aldra {
namespace {

using testing::Ai7ThumbnailRuns;
using testing::CaptureSink;
using testing::HexCommentLines;
using V = std::vector<uint8_t>;

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

Status Decode(const std::string& file, CaptureSink* sink) {
    return testing::EpsFile(file).Run(DecodeAi7Thumbnail, sink);
}

// A run longer than the room left is cut to it, and nothing is written past the room.
TEST(Ai7Thumbnail, RunsStopAtTheRoomLeft) {
    const uint8_t in[] = {0x01, 0xFD, 0x09, 0x04, 0x02};
    V out(6, 0xEE);
    EXPECT_EQ(DecodeThumbnailRuns(in, sizeof in, out.data(), 4), 4u);
    EXPECT_EQ(out, (V{1, 4, 4, 4, 0xEE, 0xEE}));
}

TEST(Ai7Thumbnail, EveryPixelKeepsItsIndexAndTheTableItsColours) {
    const struct {
        uint32_t w, h;
        V pixels;
        std::string code;
    } cases[] = {
        {100, 40, Indices(100, 40), Ai7ThumbnailRuns(Indices(100, 40))},
        {101, 40, Indices(101, 40), Ai7ThumbnailRuns(Indices(101, 40))},
        // A run of none, the escape doubled, a run cut to the pixels left, and past them nothing.
        {5, 1, {1, 0xFD, 4, 4, 4}, std::string("\x01\xFD\x00\x07\xFD\xFD\xFD\x09\x04\x02", 10)},
        {255, 1, V(255, 9), std::string("\xFD\xFF\x09", 3)},
        // Four pixels of eight, then a run whose value the data's end cuts off: the rest is index 0.
        {4, 2, {5, 6, 7, 8, 0, 0, 0, 0}, std::string("\x05\x06\x07\x08\xFD\x09", 6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.w);
        CaptureSink cap;
        const std::string size = std::to_string(c.w) + " " + std::to_string(c.h) + " 8";
        ASSERT_EQ(Decode(Ai7File(size, ColourTable() + "RLE" + c.code), &cap), kOk);
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

TEST(Ai7Thumbnail, FilesThatDoNotHoldAThumbnailAreRefused) {
    const std::string table = ColourTable(), good = table + "RLE" + Ai7ThumbnailRuns(Indices(4, 4));
    const std::string head = "%!PS-Adobe-3.0\n%AI7_Thumbnail: 4 4 8\n";
    const struct {
        const char* name;
        std::string file;
        Status status;
    } cases[] = {
        {"data stop inside the colour table", Ai7File("4 4 8", table.substr(0, 500)), kErrFormat},
        {"colour table without the marker", Ai7File("4 4 8", table + "RLF" + good.substr(771)), kErrFormat},
        {"4 bits a pixel", Ai7File("4 4 4", good), kErrFormat},
        {"no pixels a row", Ai7File("0 4 8", good), kErrFormat},
        {"negative height", Ai7File("4 -4 8", good), kErrFormat},
        {"4 GiB of pixels", Ai7File("65536 65536 8", good), kErrFormat},
        {"a line of code before the comment", Ai7File("4 4 8", good, "0 A\n"), kErrFormat},
        {"no %%BeginData: line", head + "%%BeginBinary: 10\n" + HexCommentLines(good, "%") + "\n0 A\n",
         kErrFormat},
        {"no thumbnail", "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(R) 8.0\n%%EndComments\n0 A\n",
         kErrFormat},
        {"data up to the end of the file", head + "%%BeginData: 10\n" + HexCommentLines(good, "%"), kErrEof},
        {"comments up to the end of the file", "%!PS-Adobe-3.0\n%%Creator: x\n%%EndComments\n", kErrEof},
    };
    for (const auto& c : cases) {
        CaptureSink cap;
        EXPECT_EQ(Decode(c.file, &cap), c.status) << c.name;
        EXPECT_EQ(cap.calls, 0) << c.name;
    }
}

}  // namespace
}  // namespace aldra
