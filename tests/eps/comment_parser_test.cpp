// The destructive comment parsers: what each takes from the front of a line and what it leaves.
#include <gtest/gtest.h>

#include <string>

#include "base/TextBuffer.h"
#include "eps/CommentParser.h"

namespace aldra {
namespace {

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
        {"int", "-", "0|"},
        {"int", "4294967297", "1|"},  // wraps without a fault
        {"real", " -12,5 x", "-12.500000| x"},
        {"real", "10.25", "10.250000|"},
        {"real", "abc", "0.000000|abc"},
        {"real", "1.5e3", "1.500000|e3"},
        {"version", "3.0 EPSF-3.0", "768| EPSF-3.0"},
        {"version", "2.01", "513|"},
        {"version", "3.1", "784|"},
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
        {"word", "Black", "Black|"},
    };
    for (const auto& c : cases) EXPECT_EQ(Parse(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

std::string Appended(const std::string& digits) {
    PString line;
    PStrFromView(digits, line, sizeof line);
    TextBuffer* buffer = nullptr;
    EXPECT_EQ(NewBuffer(0, &buffer), kOk);
    EXPECT_EQ(AppendHexLine(line, buffer), kOk);
    std::string bytes(reinterpret_cast<const char*>(BufferData(buffer)), GetBufferSize(buffer));
    DisposeBuffer(buffer);
    return bytes;
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
