#include <gtest/gtest.h>

#include <string>

#include "base/TextBuffer.h"
#include "eps/CommentParser.h"

namespace aldra {
namespace {

struct Line {
    PString s;
    explicit Line(const std::string& text) { PStrFromView(text, s, sizeof s); }
    std::string rest() const { return PStrToString(s); }
};

TEST(CommentParser, KeywordsAreCaseSensitiveAndConsumed) {
    Line lower("%%boundingbox: 0 0 10 10");
    EXPECT_FALSE(MatchKeyword(lower.s, "%%BoundingBox:"));
    EXPECT_EQ(lower.rest(), "%%boundingbox: 0 0 10 10");
    Line box("%%BoundingBox: 0 -5 10.5 10");
    ASSERT_TRUE(MatchKeyword(box.s, "%%BoundingBox:"));
    EXPECT_EQ(box.rest(), " 0 -5 10.5 10");
    EXPECT_EQ(ParseInteger(box.s), 0);
    EXPECT_EQ(ParseInteger(box.s), -5);
    EXPECT_DOUBLE_EQ(ParseReal(box.s), 10.5);
    EXPECT_EQ(ParseInteger(box.s), 10);
    EXPECT_EQ(box.rest(), "");
    Line shorter("%%Bo");
    EXPECT_FALSE(MatchKeyword(shorter.s, "%%BoundingBox:"));
}

TEST(CommentParser, NumbersTakeWhatTheDigitsGive) {
    Line comma(" -12,5 x");
    EXPECT_DOUBLE_EQ(ParseReal(comma.s), -12.5);
    EXPECT_EQ(comma.rest(), " x");
    Line letters("abc");
    EXPECT_DOUBLE_EQ(ParseReal(letters.s), 0.0);
    EXPECT_EQ(letters.rest(), "abc");
    Line exponent("1.5e3");
    EXPECT_DOUBLE_EQ(ParseReal(exponent.s), 1.5);
    EXPECT_EQ(exponent.rest(), "e3");
    Line tabs("\t 42abc");
    EXPECT_EQ(ParseInteger(tabs.s), 42);
    EXPECT_EQ(tabs.rest(), "abc");
    Line minus("-");
    EXPECT_EQ(ParseInteger(minus.s), 0);
    Line huge("99999999999");  // wraps without a fault
    ParseInteger(huge.s);
    EXPECT_EQ(huge.rest(), "");
}

TEST(CommentParser, VersionForms) {
    struct Case {
        const char* text;
        uint16_t value;
        const char* rest;
    } cases[] = {{"3.0 EPSF-3.0", 0x0300, " EPSF-3.0"},
                 {"2.01", 0x0201, ""},
                 {"3.1", 0x0310, ""},
                 {"10.0", 0x1000, ""},
                 {"3", 0x0300, ""},
                 {".5", 0x0050, ""},
                 {"x3.0", 0, "x3.0"},
                 {"123", 0x1200, "3"},
                 {"3.", 0x0300, ""}};
    for (const auto& c : cases) {
        Line line(c.text);
        EXPECT_EQ(ParseVersion(line.s), c.value) << c.text;
        EXPECT_EQ(line.rest(), c.rest) << c.text;
    }
}

TEST(CommentParser, TokensWithEscapesAndDelimiters) {
    struct Case {
        const char* text;
        const char* token;
        const char* rest;
    } cases[] = {
        {"(Times\\(Bold\\)) rest", "Times(Bold)", " rest"},
        {"Helvetica Times-Roman", "Helvetica Times-Roman", ""},
        {"(abc\\101)", "abcA", ""},
        {"  \"quoted (text)\" after", "quoted (text)", " after"},
        {"(a\\\\b\\rc)", "a\\b\rc", ""},
        {"(no close", "no close", ""},
        {"(first) (second)", "first", " (second)"},
        {"(a(b)c)", "a(b", "c)"},  // parentheses do not nest
        {"end\\", "end\\", ""},    // a final backslash stands for itself
        {"(\\777)", "\xff", ""},   // octal taken modulo 256
    };
    for (const auto& c : cases) {
        Line line(c.text);
        PString token;
        ParseToken(line.s, token);
        EXPECT_EQ(PStrToString(token), c.token) << c.text;
        EXPECT_EQ(line.rest(), c.rest) << c.text;
    }
}

TEST(CommentParser, TakeWordStopsAtSpaceOnly) {
    Line line("Cyan\tInk Magenta");
    PString word;
    TakeWord(line.s, word);
    EXPECT_EQ(PStrToString(word), "Cyan\tInk");
    EXPECT_EQ(line.rest(), " Magenta");
    Line single("Black");
    TakeWord(single.s, word);
    EXPECT_EQ(PStrToString(word), "Black");
    EXPECT_EQ(single.rest(), "");
}

TEST(CommentParser, HexLinesDecodeOrAreSkippedWhole) {
    TextBuffer* buf = nullptr;
    ASSERT_EQ(NewBuffer(0, &buf), kOk);
    EXPECT_EQ(AppendHexLine(Line("FF00A").s, buf), kOk);
    ASSERT_EQ(GetBufferSize(buf), 2u);
    EXPECT_EQ(BufferData(buf)[0], 0xFF);
    EXPECT_EQ(BufferData(buf)[1], 0x00);
    EXPECT_EQ(AppendHexLine(Line("FF0G").s, buf), kOk);
    EXPECT_EQ(AppendHexLine(Line("12 34").s, buf), kOk);
    EXPECT_EQ(GetBufferSize(buf), 2u);  // both skipped
    EXPECT_EQ(AppendHexLine(Line("aBcD").s, buf), kOk);
    EXPECT_EQ(BufferData(buf)[3], 0xCD);
    EXPECT_EQ(AppendHexLine(Line(std::string(255, 'f')).s, buf), kOk);
    EXPECT_EQ(GetBufferSize(buf), 4u + 127u);
    DisposeBuffer(buf);
}

TEST(CommentParser, HexLinesOfEveryLengthAndCaseDecodeOrAreSkippedWhole) {
    // Lines long enough for whole runs of sixteen digits and every tail behind them; a bad byte at
    // any place of a long line, inside a run or in the tail, skips the whole line.
    static const char* digits[] = {"0123456789ABCDEF", "0123456789abcdef"};
    for (int pairs = 0; pairs <= 127; ++pairs) {
        std::string text;
        std::string want;
        for (int k = 0; k < pairs; ++k) {
            const int value = (k * 37 + pairs) & 0xFF;
            text += digits[(k / 3) % 2][value >> 4];
            text += digits[(k / 5) % 2][value & 15];
            want += static_cast<char>(value);
        }
        TextBuffer* buf = nullptr;
        ASSERT_EQ(NewBuffer(0, &buf), kOk);
        ASSERT_EQ(AppendHexLine(Line(text).s, buf), kOk);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(BufferData(buf)), GetBufferSize(buf)), want) << pairs;
        DisposeBuffer(buf);
    }
    const std::string good(254, 'c');
    for (size_t at = 0; at < good.size(); ++at) {
        for (char bad : {'g', 'G', ' ', '/', ':', '@', '`', '\xC1'}) {
            std::string text = good;
            text[at] = bad;
            TextBuffer* buf = nullptr;
            ASSERT_EQ(NewBuffer(0, &buf), kOk);
            ASSERT_EQ(AppendHexLine(Line(text).s, buf), kOk);
            ASSERT_EQ(GetBufferSize(buf), 0u) << at << " " << bad;
            DisposeBuffer(buf);
        }
    }
}

}  // namespace
}  // namespace aldra
