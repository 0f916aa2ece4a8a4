// The EPS file as lines (every line end, pieces of long lines, the DOS EPS header in front) and the
// destructive parsers that take a comment line apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/TextBuffer.h"
#include "eps/CommentParser.h"
#include "eps/EpsReader.h"
#include "fixtures/Tiff.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::DosEpsFile;
using LineList = std::vector<std::string>;

const std::string kAtTheEnd = CodeString(kErrEof) + " at the end";

// Every line the parsers would read, then the result that ended the reading.
LineList Lines(const testing::TempDir& dir, const std::string& bytes) {
    EpsReader eps;
    if (OpenEps(dir.Write("f.eps", bytes).c_str(), &eps) != kOk) return {"<open failed>"};
    LineList lines;
    Status status = RewindToPostScript(&eps);
    PString line;
    while (status == kOk && (status = ReadLine(&eps, line)) == kOk) lines.push_back(PStrToString(line));
    lines.push_back(CodeString(status) + (AtEndOfFile(&eps) ? " at the end" : ""));
    CloseEps(&eps);
    return lines;
}

TEST(LineReader, AllLineEndsGiveTheSameLinesAcrossWindowSlides) {
    testing::TempDir dir;
    // Line ends fall on every position of the 255-byte pieces and of the 32 KiB window, CR LF pairs
    // straddling both.
    LineList expected = {"%!PS-Adobe-3.0 EPSF-3.0"};
    for (int i = 0; i < 3000; ++i)
        expected.push_back(std::string(static_cast<size_t>(i % 253 + 1), 'a' + i % 26));
    for (const char* end : {"\n", "\r", "\r\n", "\n\r"}) {
        std::string text;
        for (const auto& line : expected) text += line + end;
        LineList lines = Lines(dir, text);
        EXPECT_EQ(lines.back(), kAtTheEnd);
        lines.pop_back();
        EXPECT_EQ(lines, expected) << static_cast<int>(end[0]) << "," << static_cast<int>(end[1]);
    }
}

TEST(LineReader, PiecesEmptyLinesAndTheDosEpsHeader) {
    testing::TempDir dir;
    const std::string x(255, 'x'), y(255, 'y');
    const std::string ps = "%!PS-Adobe\n%%EOF\n";
    const std::pair<std::string, LineList> cases[] = {
        {std::string(600, 'x') + "\nend", {x, x, std::string(90, 'x'), "end", kAtTheEnd}},
        {"one\r\rtwo\n\nthree and padding to 28",
         {"one", "", "two", "", "three and padding to 28", kAtTheEnd}},
        // The CR LF behind a piece of exactly 255 characters reads as the empty rest of its line.
        {y + "\r\nz\r\n", {y, "", "z", kAtTheEnd}},
        {DosEpsFile(ps, ""), {"%!PS-Adobe", "%%EOF", kAtTheEnd}},
        {DosEpsFile(ps, "").replace(4, 4, std::string(4, '\0')), {CodeString(kErrFormat)}},
        {DosEpsFile(ps, "").replace(4, 4, std::string("\0\0\0\x40", 4)), {kAtTheEnd}},
        {"%!PS\n", {CodeString(kErrShortFile)}},  // shorter than any header
    };
    for (const auto& [bytes, lines] : cases) EXPECT_EQ(Lines(dir, bytes), lines) << bytes.substr(0, 40);
}

// "value|rest" of one parser applied to the text.
std::string Parse(const std::string& parser, const std::string& text) {
    PString line, token;
    PStrFromView(text, line, sizeof line);
    std::string value;
    if (parser == "int") value = std::to_string(ParseInteger(line));
    if (parser == "real") value = std::to_string(ParseReal(line));
    if (parser == "version") value = std::to_string(ParseVersion(line));
    if (parser == "box") value = MatchKeyword(line, "%%BoundingBox:") ? "matched" : "no";
    if (parser == "token") ParseToken(line, token);
    if (parser == "word") TakeWord(line, token);
    if (parser == "token" || parser == "word") value = PStrToString(token);
    return value + "|" + PStrToString(line);
}

TEST(CommentParser, EachParserTakesWhatItRecognises) {
    const char* const cases[][3] = {
        {"box", "%%boundingbox: 0 0 10 10", "no|%%boundingbox: 0 0 10 10"},
        {"box", "%%BoundingBox: 0 0 10 10", "matched| 0 0 10 10"},
        {"box", "%%Bo", "no|%%Bo"},
        {"int", "\t -42abc", "-42|abc"},
        {"int", "4294967297", "1|"},  // wraps without a fault
        {"real", " -12,5 x", "-12.500000| x"},
        {"real", "abc", "0.000000|abc"},
        {"real", "1.5e3", "1.500000|e3"},
        {"version", "3.0 EPSF-3.0", "768| EPSF-3.0"},
        {"version", "2.01", "513|"},
        {"version", "10.0", "4096|"},
        {"version", ".5", "80|"},
        {"version", "x3.0", "0|x3.0"},
        {"version", "123", "4608|3"},
        {"token", "(Times\\(Bold\\)) rest", "Times(Bold)| rest"},
        {"token", "Helvetica Times-Roman", "Helvetica Times-Roman|"},
        {"token", "(abc\\101)", "abcA|"},
        {"token", "  \"quoted (text)\" after", "quoted (text)| after"},
        {"token", "(a\\\\b\\rc)", "a\\b\rc|"},
        {"token", "(no close", "no close|"},
        {"token", "(a(b)c)", "a(b|c)"},  // parentheses do not nest
        {"token", "end\\", "end\\|"},    // a final backslash stands for itself
        {"token", "(\\777)", "\xff|"},   // octal taken modulo 256
        {"word", "Cyan\tInk Magenta", "Cyan\tInk| Magenta"},
    };
    for (const auto& c : cases) EXPECT_EQ(Parse(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

std::string Appended(const std::string& digits) {
    PString line;
    PStrFromView(digits, line, sizeof line);
    BufferPtr buffer;
    EXPECT_EQ(NewBuffer(0, &buffer), kOk);
    EXPECT_EQ(AppendHexLine(line, buffer.get()), kOk);
    return std::string(reinterpret_cast<const char*>(BufferData(buffer.get())), GetBufferSize(buffer.get()));
}

// Lines long enough for whole runs of sixteen digits and every tail behind them, in both cases; a
// bad digit anywhere, inside a run or in the tail, skips the whole line; an odd last digit is dropped.
TEST(CommentParser, HexLinesOfEveryLengthDecodeOrAreSkippedWhole) {
    static const char* digits[] = {"0123456789ABCDEF", "0123456789abcdef"};
    for (int pairs = 0; pairs <= 127; ++pairs) {
        std::string text, want;
        for (int k = 0; k < pairs; ++k) {
            const int value = (k * 37 + pairs) & 0xFF;
            text += digits[(k / 3) % 2][value >> 4];
            text += digits[(k / 5) % 2][value & 15];
            want += static_cast<char>(value);
        }
        EXPECT_EQ(Appended(text + "A"), want) << pairs;
    }
    const std::string good(254, 'c');
    for (size_t at = 0; at < good.size(); ++at) {
        for (char bad : {'g', 'G', ' ', '/', ':', '@', '`', '\xC1'}) {
            std::string text = good;
            text[at] = bad;
            ASSERT_EQ(Appended(text), "") << at << " " << bad;
        }
    }
}

}  // namespace
}  // namespace aldra
