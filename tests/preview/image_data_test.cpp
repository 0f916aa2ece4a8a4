// %ImageData pictures read from files the tests write: every sample type, colour mode and plane
// layout, the search for the comment and the data's start, the parameters that are refused, and
// damaged data. The rows are compared as the decoder hands them over.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CaptureSink.h"
#include "preview/ImageData.h"

// After the filter's headers: libjpeg's TRUE and FALSE macros would clash with the GDI vocabulary.
#include "fixtures/Jpeg.h"

namespace aldra {
namespace {

using testing::CaptureSink;
using Bytes = std::vector<uint8_t>;
using Sample = std::function<uint8_t(uint32_t, uint32_t, uint32_t)>;

// The comment and some code, up to the start word's line.
std::string Head(const std::string& numbers, const std::string& eol = "\n") {
    return "%!PS-Adobe-3.0 EPSF-3.0" + eol + "%ImageData: " + numbers + " \"beginimage\"" + eol +
           "%%EndComments" + eol + "/beginimage { image } def" + eol + "beginimage" + eol;
}

std::string File(const std::string& numbers, const std::string& data) {
    return Head(numbers) + data + "\n%%EndData\ngrestore\nshowpage\n%%EOF\n";
}

// Hexadecimal text laid out as a careless writer might: lines of 1 to 511 digits, so that pairs
// straddle line ends and lines pass the line reader's 255 characters; LF, CR and CR LF ends; blanks
// between digits; both letter cases.
std::string Hex(const Bytes& bytes) {
    static const int lengths[] = {1, 64, 7, 255, 2, 300, 511, 33};
    static const char* ends[] = {"\n", "\r\n", "\r", " \t\n"};
    std::string out;
    for (size_t digit = 0, line = 0, inLine = 0; digit < 2 * bytes.size(); ++digit) {
        const uint8_t nibble = digit % 2 ? bytes[digit / 2] & 15 : bytes[digit / 2] >> 4;
        out += (line % 2 ? "0123456789abcdef" : "0123456789ABCDEF")[nibble];
        if (++inLine == static_cast<size_t>(lengths[line % 8])) {
            out += ends[line++ % 4];
            inLine = 0;
        } else if (inLine % 9 == 0) {
            out += ' ';
        }
    }
    return out;
}

std::string Binary(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// No repeats along a row or down a column that could hide a misplaced sample.
uint8_t Busy(uint32_t x, uint32_t y, uint32_t c) {
    return static_cast<uint8_t>(x * (5 + 2 * c) + y * (3 + 8 * c) + (x * y) % 7);
}

// Rows of `channels` samples a pixel with `pad` bytes of rubbish behind each (blockSize 1), or
// planes `blockSize` bytes apart, the pad planes after the channels.
Bytes Samples(uint32_t w, uint32_t h, uint32_t channels, uint32_t pad, uint32_t blockSize,
              const Sample& sample = Busy) {
    const uint32_t rowBytes = w * (channels + pad);
    Bytes rows(static_cast<size_t>(rowBytes) * h, 0xA5);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < channels; ++c)
                rows[y * rowBytes + (blockSize == 1 ? x * (channels + pad) + c : x + c * blockSize)] =
                    sample(x, y, c);
    return rows;
}

Status Decode(const std::string& file, CaptureSink* sink = nullptr) {
    CaptureSink ignored;
    return testing::EpsFile(file).Run(DecodeImageData, sink ? sink : &ignored);
}

// The first `rows` rows handed over against the samples, channel by channel.
void ExpectRows(const CaptureSink& cap, uint32_t w, uint32_t rows, uint32_t channels,
                const Sample& sample = Busy) {
    ASSERT_GE(cap.Rows(), rows);
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < channels; ++c)
                ASSERT_EQ(cap.Sample(x, y, c), sample(x, y, c)) << x << "," << y << "," << c;
}

Status DecodeAscii85(const std::string& file, CaptureSink* sink = nullptr) {
    CaptureSink ignored;
    return testing::EpsFile(file).Run(DecodeAscii85ImageData, sink ? sink : &ignored);
}

std::string Ascii85Text(const Bytes& bytes) {
    return testing::Ascii85(Binary(bytes));
}

TEST(ImageData, EverySampleLayoutGivesItsSamples) {
    // 20 pixels of 1 bit: three bytes a row, the last four bits of each row outside the picture.
    const Bytes bits = Samples(3, 6, 1, 0, 1);
    const Sample bit = [&](uint32_t x, uint32_t y, uint32_t) {
        return (bits[3 * y + x / 8] >> (7 - x % 8)) & 1;
    };
    const struct {
        std::string numbers;
        std::string data;
        RowFormat format;
        uint32_t channels;
        Sample sample = Busy;
    } cases[] = {
        {"100 50 8 3 0 1 2", Hex(Samples(100, 50, 3, 0, 1)), RowFormat::kRgb, 3},
        {"100 50 8 3 0 1 1", Binary(Samples(100, 50, 3, 0, 1)), RowFormat::kRgb, 3},
        {"100 50 8 3 0 100 1", Binary(Samples(100, 50, 3, 0, 100)), RowFormat::kRgb, 3},
        {"100 50 8 3 1 1 1", Binary(Samples(100, 50, 3, 1, 1)), RowFormat::kRgb, 3},  // a pad byte a pixel
        {"100 50 8 3 1 100 1", Binary(Samples(100, 50, 3, 1, 100)), RowFormat::kRgb, 3},  // a pad plane
        {"40 20 8 2 0 1 1", Binary(Samples(40, 20, 3, 0, 1)), RowFormat::kLab, 3},
        {"40 20 8 4 0 1 1", Binary(Samples(40, 20, 4, 0, 1)), RowFormat::kCmyk, 4},
        {"40 20 8 4 0 40 2", Hex(Samples(40, 20, 4, 0, 40)), RowFormat::kCmyk, 4},
        {"16 16 8 1 0 -7 1", Binary(Samples(16, 16, 1, 0, 1)), RowFormat::kLight, 1},  // block size unused
        {"20 6 1 1 0 1 1", Binary(bits), RowFormat::kLight, 1, bit},
        {"20 6 1 1 0 1 2", Hex(bits), RowFormat::kLight, 1, bit},
        // 140 KB of digits: rows, lines and the reader's windows end in different places.
        {"333 70 8 3 0 1 2", Hex(Samples(333, 70, 3, 0, 1)), RowFormat::kRgb, 3},
        // ASCII85 text (type 7), read after every other preview: not among the classic encodings.
        {"20 6 1 1 0 1 7", Ascii85Text(bits), RowFormat::kLight, 1, bit},  // rows end inside groups
        {"33 9 8 1 0 1 7", Ascii85Text(Samples(33, 9, 1, 0, 1)), RowFormat::kLight, 1},
        {"40 20 8 4 0 40 7", Ascii85Text(Samples(40, 20, 4, 0, 40)), RowFormat::kCmyk, 4},
        {"13 4 8 1 0 1 7", "<~" + Ascii85Text(Bytes(52, 0)), RowFormat::kLight, 1, [](auto...) { return 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.numbers);
        const bool ascii85 = c.numbers.back() == '7';
        EXPECT_EQ(ascii85 ? Decode(File(c.numbers, c.data)) : DecodeAscii85(File(c.numbers, c.data)),
                  kErrFormat);
        CaptureSink cap;
        ASSERT_EQ((ascii85 ? DecodeAscii85 : Decode)(File(c.numbers, c.data), &cap), kOk);
        EXPECT_EQ(cap.last.format, c.format);
        EXPECT_TRUE(cap.inOrder);
        ExpectRows(cap, cap.last.width, cap.last.height, c.channels, c.sample);
    }
}

// The line reader takes CR LF and LF CR as one line end; binary data right behind a start word's
// line that ends in CR alone may begin with LF, or behind LF alone with CR.
TEST(ImageData, BinaryDataBeginRightBehindTheStartWordsOwnLineEnd) {
    const struct {
        const char* eol;
        uint8_t first;
        bool beginBinary;  // a "%%BeginBinary:" count right before the start word
    } cases[] = {
        {"\r", '\n', false}, {"\n", '\r', false}, {"\r\n", '\n', false}, {"\r\n", '\r', false},
        {"\r", '\n', true},  {"\n", '\r', true},  {"\r\n", '\n', true},  {"\n\r", '\n', false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << int(c.eol[0]) << int(c.eol[1]) << " " << int(c.first) << c.beginBinary);
        const Sample sample = [&](uint32_t x, uint32_t y, uint32_t ch) {
            return x + y + ch ? Busy(x, y, ch) : c.first;
        };
        const Bytes rows = Samples(5, 3, 3, 0, 1, sample);
        std::string head = Head("5 3 8 3 0 1 1", c.eol);
        if (c.beginBinary)
            head.insert(head.rfind("beginimage"),
                        "%%BeginBinary: " + std::to_string(10 + strlen(c.eol) + rows.size()) + c.eol);
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

TEST(ImageData, TheCommentComesWithinTwentyLinesOfCodeAndTheDataBehindExactlyTheStartWord) {
    const std::string data = "\n" + Binary(Samples(4, 2, 3, 0, 1)) + "\n";
    for (int code : {20, 21}) {  // comment lines in between do not count
        EXPECT_EQ(
            Decode("%!PS-Adobe-3.0 EPSF-3.0\n" + Lines("%%+ comment", 40) + Lines("gsave grestore", code) +
                   "%ImageData: 4 2 8 3 0 1 1 \"beginimage\"\nbeginimage" + data),
            code == 20 ? kOk : kErrFormat)
            << code;
    }
    // A first comment is replaced by the second; near misses of the start word are code lines.
    CaptureSink cap;
    ASSERT_EQ(Decode("%!PS-Adobe-3.0 EPSF-3.0\n%ImageData: 9 9 8 1 0 1 1 \"x\"\n"
                     "%ImageData: 4 2 8 3 0 1 1 (begin image)\nx\nbegin imagex\nbegin imag\n begin image\n"
                     "%begin image\nbegin image" +
                         data,
                     &cap),
              kOk);
    ExpectRows(cap, 4, 2, 3);
    // Without the start word's line, or without any comment, the file ends first.
    EXPECT_EQ(Decode("%!PS-Adobe-3.0 EPSF-3.0\n%ImageData: 4 2 8 3 0 1 1 \"startimage\"\nbeginimage" + data),
              kErrEof);
    EXPECT_EQ(Decode("%!PS-Adobe-3.0 EPSF-3.0\nbeginimage" + data), kErrEof);
}

TEST(ImageData, ParametersOutsideWhatTheDecoderReadsAreRefusedBeforeAnyRow) {
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
        EXPECT_EQ(Decode(File(numbers, data), &cap), kErrFormat) << numbers;
        EXPECT_EQ(cap.calls, 0) << numbers;
    }
}

TEST(ImageData, RowsBeforeTheDataEndAreHandedOverAndTheEndIsReported) {
    const Bytes rows = Samples(100, 50, 3, 0, 1);
    const Bytes cut(rows.begin(), rows.begin() + 20 * 300 + 150);  // 20 whole rows and half the 21st
    for (const std::string& file :
         {Head("100 50 8 3 0 1 2") + Hex(cut), Head("100 50 8 3 0 1 1") + Binary(cut)}) {
        CaptureSink cap;
        EXPECT_EQ(Decode(file, &cap), kErrEof);
        EXPECT_EQ(cap.Rows(), 20u);
        ExpectRows(cap, 100, 20, 3);
    }
    EXPECT_EQ(Decode(File("4 2147483647 8 3 0 1 1", Binary(Samples(4, 2, 3, 0, 1)))), kErrEof);
}

TEST(ImageData, JpegDataInAscii85TextIsDecodedByTheJpegDecoder) {
    auto flat = [](uint32_t x, uint32_t y, int c) { return ((x / 16 + y / 16) * 60 + c * 70) % 256; };
    const std::string text =
        testing::Ascii85(testing::EncodeJpeg(64, 32, 3, testing::JpegSamples(64, 32, 3, flat)));
    for (const char* numbers : {"64 32 8 3 0 1 3", "64 32 8 3 0 1 4"}) {
        CaptureSink cap;
        ASSERT_EQ(Decode(File(numbers, text), &cap), kOk) << numbers;
        EXPECT_EQ(cap.last.format, RowFormat::kRgb);
        ASSERT_EQ(cap.Rows(), 32u);
        for (uint32_t k = 0; k < 3; ++k)
            EXPECT_NEAR(cap.Sample(40, 20, k), flat(40, 20, static_cast<int>(k)), 12);
    }
}

TEST(ImageData, Ascii85TextThatBreaksOrEndsEarlyEndsThePictureThere) {
    const Bytes rows = Samples(10, 8, 3, 0, 1);  // 30 bytes a row
    const std::string text = Ascii85Text(rows);
    std::string groups = text.substr(0, text.size() - 2);  // without "~>", on one line
    std::erase(groups, '\n');
    const size_t twoRows = 60 / 4 * 5;  // the digits of 60 bytes
    const struct {
        const char* name;
        std::string text;
        uint32_t rows;
    } cases[] = {
        {"z inside a group", groups.substr(0, twoRows + 2) + "z" + groups.substr(twoRows + 2), 2},
        {"a character that is no digit", groups.substr(0, twoRows) + "{" + groups.substr(twoRows), 2},
        {"a group above 2^32 - 1", groups.substr(0, twoRows) + "uuuuu" + groups.substr(twoRows), 2},
        {"the end mark after two rows", groups.substr(0, twoRows) + "~>", 2},
        {"a lone digit before the end mark", groups.substr(0, twoRows) + "!~>", 2},
    };
    for (const auto& c : cases) {
        CaptureSink cap;
        EXPECT_EQ(DecodeAscii85(File("10 8 8 3 0 1 7", c.text), &cap), kErrFormat) << c.name;
        EXPECT_EQ(cap.Rows(), c.rows) << c.name;
        ExpectRows(cap, 10, c.rows, 3);
    }
    // Text that never ends runs into the end of the file; a forged height costs no more than the file.
    CaptureSink cap;
    EXPECT_EQ(DecodeAscii85(Head("10 8 8 3 0 1 7") + groups.substr(0, twoRows), &cap), kErrEof);
    EXPECT_EQ(cap.Rows(), 2u);
    EXPECT_EQ(DecodeAscii85(File("10 2147483647 8 3 0 1 7", text)), kErrFormat);
}

TEST(ImageData, BinarySamplesThatAreHexadecimalTextAreReadAsSuch) {
    const Bytes cmyk = Samples(40, 20, 4, 0, 1);
    // Pillow's layout: type 1, lines of 80 digits.
    std::string pillow;
    for (size_t i = 0; i < cmyk.size(); ++i) {
        static const char* digits = "0123456789abcdef";
        pillow += {digits[cmyk[i] >> 4], digits[cmyk[i] & 15]};
        if (i % 40 == 39) pillow += '\n';
    }
    CaptureSink cap;
    ASSERT_EQ(Decode(File("40 20 8 4 0 1 1", pillow), &cap), kOk);
    ExpectRows(cap, 40, 20, 4);
    // Binary samples that happen to begin with digits, or whose first rows are all blanks, stay
    // binary.
    const Sample digitsFirst = [](uint32_t x, uint32_t y, uint32_t c) {
        return static_cast<uint8_t>(x + y + c < 6 ? '0' + x : Busy(x, y, c));
    };
    const Sample blanksFirst = [](uint32_t x, uint32_t y, uint32_t c) {
        return static_cast<uint8_t>(y < 3 ? ' ' : Busy(x, y, c));
    };
    for (const Sample& sample : {digitsFirst, blanksFirst}) {
        CaptureSink raw;
        ASSERT_EQ(Decode(File("40 20 8 4 0 1 1", Binary(Samples(40, 20, 4, 0, 1, sample))), &raw), kOk);
        ExpectRows(raw, 40, 20, 4, sample);
    }
}

}  // namespace
}  // namespace aldra
