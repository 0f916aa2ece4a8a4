// %ImageData pictures read from files the tests write: every sample type, colour mode and plane
// layout, the search for the comment and the data's start, the parameters that are refused, and
// damaged data. The rows are compared as the decoder hands them over.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "CaptureSink.h"
#include "eps/EpsReader.h"
#include "preview/ImageData.h"
#include "support/TempDir.h"

// After the filter's headers: libjpeg's TRUE and FALSE macros would clash with the GDI vocabulary.
#include "fixtures/Jpeg.h"

namespace aldra {
namespace {

using testing::CaptureSink;
using Sample = std::function<uint8_t(uint32_t, uint32_t, uint32_t)>;

// A header with the comment and some code, up to the start word's line.
std::string ImageDataHead(const std::string& numbers, const std::string& startWord = "\"beginimage\"",
                          const std::string& eol = "\n") {
    std::string head;
    for (const char* line : {"%!PS-Adobe-3.0 EPSF-3.0", "%%BoundingBox: 0 0 100 50", "", "%%EndComments",
                             "/beginimage { image } def", "gsave", "beginimage"})
        head += (*line ? std::string(line) : "%ImageData: " + numbers + " " + startWord) + eol;
    return head;
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
            out += kDigits[line % 2][half == 0 ? bytes[i] >> 4 : bytes[i] & 15];
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

// No repeats along a row or down a column that could hide a misplaced sample.
uint8_t Busy(uint32_t x, uint32_t y, uint32_t c) {
    return static_cast<uint8_t>(c == 0   ? x * 5 + y * 3
                                : c == 1 ? y * 11 + x
                                : c == 2 ? x * y + 7 * x + 40
                                         : x + 99 * y);
}

// Rows of `channels` samples a pixel, with `pad` extra bytes behind each pixel (blockSize 1), or
// as planes `blockSize` bytes apart, the pad planes after the channels.
std::vector<uint8_t> Samples(uint32_t w, uint32_t h, uint32_t channels, uint32_t pad, uint32_t blockSize,
                             const Sample& sample = Busy) {
    const uint32_t rowBytes = w * (channels + pad);
    std::vector<uint8_t> rows(static_cast<size_t>(rowBytes) * h, 0xA5);  // pad bytes hold rubbish
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < channels; ++c)
                rows[y * rowBytes + (blockSize == 1 ? x * (channels + pad) + c : x + c * blockSize)] =
                    sample(x, y, c);
    return rows;
}

class ImageDataTest : public ::testing::Test {
  protected:
    Status Decode(const std::string& file, CaptureSink* sink) {
        std::string path = dir.Write("picture.eps", file);
        EpsReader eps;
        Status status = OpenEps(path.c_str(), &eps);
        if (status != kOk) return status;
        status = DecodeImageData(&eps, sink);
        CloseEps(&eps);
        return status;
    }
    Status Decode(const std::string& file) {
        CaptureSink ignored;
        return Decode(file, &ignored);
    }
    // The first `rows` rows handed over against the samples, channel by channel.
    static void ExpectRows(const CaptureSink& cap, uint32_t w, uint32_t rows, uint32_t channels,
                           const Sample& sample = Busy) {
        ASSERT_GE(cap.Rows(), rows);
        for (uint32_t y = 0; y < rows; ++y)
            for (uint32_t x = 0; x < w; ++x)
                for (uint32_t c = 0; c < channels; ++c)
                    ASSERT_EQ(cap.Sample(x, y, c), sample(x, y, c)) << x << "," << y << "," << c;
    }
    testing::TempDir dir;
};

TEST_F(ImageDataTest, EverySampleLayoutGivesItsSamples) {
    const struct {
        const char* numbers;
        std::string data;
        RowFormat format;
        uint32_t channels;
    } cases[] = {
        {"100 50 8 3 0 1 2", HexSpread(Samples(100, 50, 3, 0, 1)), RowFormat::kRgb, 3},
        {"100 50 8 3 0 1 1", Binary(Samples(100, 50, 3, 0, 1)), RowFormat::kRgb, 3},
        {"100 50 8 3 0 100 1", Binary(Samples(100, 50, 3, 0, 100)), RowFormat::kRgb, 3},
        {"100 50 8 3 0 100 2", HexSpread(Samples(100, 50, 3, 0, 100)), RowFormat::kRgb, 3},
        {"100 50 8 3 1 1 1", Binary(Samples(100, 50, 3, 1, 1)), RowFormat::kRgb, 3},  // a pad byte a pixel
        {"100 50 8 3 1 100 1", Binary(Samples(100, 50, 3, 1, 100)), RowFormat::kRgb, 3},  // a pad plane
        {"40 20 8 2 0 1 1", Binary(Samples(40, 20, 3, 0, 1)), RowFormat::kLab, 3},
        {"40 20 8 4 0 1 1", Binary(Samples(40, 20, 4, 0, 1)), RowFormat::kCmyk, 4},
        {"40 20 8 4 0 40 2", HexSpread(Samples(40, 20, 4, 0, 40)), RowFormat::kCmyk, 4},
        {"16 16 8 1 0 1 1", Binary(Samples(16, 16, 1, 0, 1)), RowFormat::kLight, 1},
        {"16 16 8 1 0 -7 1", Binary(Samples(16, 16, 1, 0, 1)), RowFormat::kLight, 1},  // block size unused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.numbers);
        CaptureSink cap;
        ASSERT_EQ(Decode(ImageDataFile(c.numbers, c.data), &cap), kOk);
        EXPECT_EQ(cap.last.format, c.format);
        EXPECT_TRUE(cap.inOrder);
        ExpectRows(cap, cap.last.width, cap.last.height, c.channels);
    }
}

TEST_F(ImageDataTest, OneBitSamplesKeepTheirBits) {
    // 20 pixels: three bytes a row, the last four bits of each row outside the picture.
    std::vector<uint8_t> rows = Samples(3, 6, 1, 0, 1);
    for (bool hex : {false, true}) {
        CaptureSink cap;
        ASSERT_EQ(Decode(ImageDataFile(hex ? "20 6 1 1 0 1 2" : "20 6 1 1 0 1 1",
                                       hex ? HexSpread(rows) : Binary(rows)),
                         &cap),
                  kOk);
        EXPECT_EQ(cap.last.format, RowFormat::kLight);
        ASSERT_EQ(cap.last.bitsPerPixel, 1u);
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t x = 0; x < 20; ++x)
                EXPECT_EQ(cap.Sample(x, y), (rows[3 * y + x / 8] >> (7 - x % 8)) & 1u);
    }
}

// The line reader takes CR LF and LF CR as one line end; binary data right behind a start word's
// line that ends in CR alone may begin with LF, or behind LF alone with CR.
TEST_F(ImageDataTest, BinaryDataBeginRightBehindTheStartWordsOwnLineEnd) {
    const struct {
        const char* eol;
        uint8_t first;
        bool beginBinary;  // a "%%BeginBinary:" count right before the start word
    } cases[] = {
        {"\r", '\n', false}, {"\n", '\r', false}, {"\r\n", '\n', false}, {"\r\n", '\r', false},
        {"\r", '\n', true},  {"\n", '\r', true},  {"\r\n", '\n', true},  {"\n\r", '\n', false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.eol[1]           ? "pair"
                                              : c.eol[0] == '\r' ? "CR"
                                                                 : "LF")
                                          << " " << int(c.first) << " " << c.beginBinary);
        auto sample = [&](uint32_t x, uint32_t y, uint32_t ch) -> uint8_t {
            return x == 0 && y == 0 && ch == 0 ? c.first : Busy(x, y, ch);
        };
        std::vector<uint8_t> rows = Samples(5, 3, 3, 0, 1, sample);
        std::string head = ImageDataHead("5 3 8 3 0 1 1", "\"beginimage\"", c.eol);
        if (c.beginBinary) {
            const size_t at = head.rfind("beginimage");
            head.insert(at, "%%BeginBinary: " + std::to_string(10 + strlen(c.eol) + rows.size()) + c.eol);
        }
        CaptureSink cap;
        ASSERT_EQ(Decode(head + Binary(rows) + c.eol + "%%EndBinary" + c.eol, &cap), kOk);
        ExpectRows(cap, 5, 3, 3, sample);
    }
}

std::string Lines(const std::string& line, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += line + "\n";
    return out;
}

TEST_F(ImageDataTest, TheCommentHasToComeWithinTwentyLinesOfCode) {
    for (int code : {20, 21}) {
        // Comment lines in between do not count.
        std::string file =
            "%!PS-Adobe-3.0 EPSF-3.0\n" + Lines("%%+ comment", 40) + Lines("gsave grestore", code) +
            "%ImageData: 4 2 8 3 0 1 1 \"beginimage\"\nbeginimage\n" + Binary(Samples(4, 2, 3, 0, 1)) + "\n";
        EXPECT_EQ(Decode(file), code == 20 ? kOk : kErrFormat) << code;
    }
}

TEST_F(ImageDataTest, TheDataBeginBehindTheLineThatIsExactlyTheStartWord) {
    // A first comment is replaced by the second; near misses of the start word are code lines.
    std::string file =
        "%!PS-Adobe-3.0 EPSF-3.0\n%ImageData: 9 9 8 1 0 1 1 \"x\"\n"
        "%ImageData: 4 2 8 3 0 1 1 (begin image)\nx\n" +
        Lines("begin imagex", 1) + Lines("begin imag", 1) + Lines(" begin image", 1) +
        Lines("%begin image", 1) + Lines("begin image", 1) + Binary(Samples(4, 2, 3, 0, 1)) + "\n";
    CaptureSink cap;
    ASSERT_EQ(Decode(file, &cap), kOk);
    ExpectRows(cap, 4, 2, 3);
    // Without the start word's line, or without any comment, the file ends first.
    EXPECT_EQ(Decode(ImageDataFile("4 2 8 3 0 1 1", Binary(Samples(4, 2, 3, 0, 1)), "\"startimage\"")),
              kErrEof);
    EXPECT_EQ(Decode("%!PS-Adobe-3.0 EPSF-3.0\nbeginimage\n"), kErrEof);
}

TEST_F(ImageDataTest, ParametersOutsideWhatTheDecoderReadsAreRefusedBeforeAnyRow) {
    const std::string data = Binary(Samples(100, 50, 3, 0, 1));
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
        CaptureSink cap;
        EXPECT_EQ(Decode(ImageDataFile(numbers, data), &cap), kErrFormat) << numbers;
        EXPECT_EQ(cap.calls, 0) << numbers;
    }
}

// Hexadecimal text as writers lay it out, lines of one length, over many read windows: rows,
// lines and windows end at different places, so runs of digits are cut everywhere.
TEST_F(ImageDataTest, HexRowsOverManyReadWindowsGiveThePictureInEveryLineLayout) {
    // 333 x 70 RGB pixels: 140 KB of digits, a row of 999 bytes that no line length divides.
    std::vector<uint8_t> rows = Samples(333, 70, 3, 0, 1);
    const struct {
        size_t digits;
        const char* eol;
    } layouts[] = {{128, "\n"}, {127, "\r\n"}, {64, "\r"}, {16, " "}, {15, "\t\n"}, {4096, "\n"}};
    for (const auto& layout : layouts) {
        std::string text;
        for (size_t i = 0; i < rows.size(); ++i) {
            text += kDigits[(i / 50) % 2][rows[i] >> 4];
            text += kDigits[(i / 50) % 2][rows[i] & 15];
            if ((2 * i + 2) % layout.digits == 0) text += layout.eol;
        }
        CaptureSink cap;
        ASSERT_EQ(Decode(ImageDataFile("333 70 8 3 0 1 2", text), &cap), kOk) << layout.digits;
        ExpectRows(cap, 333, 70, 3);
    }
}

TEST_F(ImageDataTest, RowsBeforeTheDataEndAreHandedOverAndTheEndIsReported) {
    std::vector<uint8_t> rows = Samples(100, 50, 3, 0, 1);
    for (bool hex : {false, true}) {
        // 20 whole rows and half of the 21st.
        std::vector<uint8_t> cut(rows.begin(), rows.begin() + 20 * 300 + 150);
        std::string file = hex ? ImageDataHead("100 50 8 3 0 1 2") + HexSpread(cut)
                               : ImageDataHead("100 50 8 3 0 1 1") + Binary(cut);
        CaptureSink cap;
        EXPECT_EQ(Decode(file, &cap), kErrEof);
        EXPECT_EQ(cap.Rows(), 20u);
        ExpectRows(cap, 100, 20, 3);
    }
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Decode(ImageDataFile("4 2147483647 8 3 0 1 1", Binary(Samples(4, 2, 3, 0, 1)))), kErrEof);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(ImageDataTest, JpegDataInAscii85TextIsDecodedByTheJpegDecoder) {
    auto flat = [](uint32_t x, uint32_t y, int c) {
        return static_cast<uint32_t>(((x / 16 + y / 16) * 60 + c * 70) % 256);
    };
    std::string text =
        testing::Ascii85(testing::EncodeJpeg(64, 32, 3, testing::JpegSamples(64, 32, 3, flat)));
    for (const char* numbers : {"64 32 8 3 0 1 3", "64 32 8 3 0 1 4"}) {
        CaptureSink cap;
        ASSERT_EQ(Decode(ImageDataFile(numbers, text), &cap), kOk) << numbers;
        EXPECT_EQ(cap.last.format, RowFormat::kRgb);
        ASSERT_EQ(cap.Rows(), 32u);
        for (uint32_t k = 0; k < 3; ++k)
            EXPECT_NEAR(cap.Sample(40, 20, k), flat(40, 20, static_cast<int>(k)), 12);
    }
}

}  // namespace
}  // namespace aldra
