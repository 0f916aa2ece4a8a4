#include <gtest/gtest.h>

#include "platform/com/Com.h"

namespace aldra {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Ansi, EveryByteSurvivesTheRoundTrip) {
    std::string bytes = AllBytes();
    std::u16string wide = AnsiToUtf16(bytes);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(Utf16ToAnsi(wide), bytes);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);

    BSTR text = AnsiToBstr(bytes);
    EXPECT_EQ(SysStringLen(text), 256u);  // the zero byte is kept, not a terminator
    EXPECT_EQ(BstrToAnsi(text), bytes);
    SysFreeString(text);
    EXPECT_EQ(BstrToAnsi(nullptr), "");
    EXPECT_EQ(BstrToUtf8(nullptr), "");
}

TEST(Ansi, MapsTheHighControlRowAsWindows1252) {
    std::u16string row = AnsiToUtf16("\x80\x81\x8A\x8D\x8F\x90\x92\x99\x9D\x9F");
    EXPECT_EQ(row, (std::u16string{0x20AC, 0x0081, 0x0160, 0x008D, 0x008F, 0x0090, 0x2019, 0x2122, 0x009D,
                                   0x0178}));
    EXPECT_EQ(AnsiToUtf16("A\xA0\xE9\xFF"), (std::u16string{u'A', 0x00A0, 0x00E9, 0x00FF}));
    EXPECT_EQ(Utf16ToAnsi(u"\u20AC\u0178\u2026"), "\x80\x9F\x85");
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Ansi, WritesQuestionMarksForWhatTheCodePageLacks) {
    // U+0080 and U+0082 are C1 controls 1252 has no byte for (0x80/0x82 mean other characters).
    EXPECT_EQ(Utf16ToAnsi(u"\u0080\u0082"), "??");
    EXPECT_EQ(Utf16ToAnsi(u"a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf16ToAnsi(u"\U0001F600"), "?");  // one mark per character, not per surrogate
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD\xC3\xA9"), "?\xE9");
}

TEST(Utf8, EncodesSurrogatePairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(u"\u00E9\u4E2D"), "\xC3\xA9\xE4\xB8\xAD");
    const char16_t loneHigh[] = {u'a', 0xD83D, u'b'};
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(loneHigh, 3)),
              "a\xEF\xBF\xBD"
              "b");
    const char16_t loneLow[] = {0xDE00};
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(loneLow, 1)), "\xEF\xBF\xBD");
    const char16_t trailingHigh[] = {0xD83D};
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(trailingHigh, 1)), "\xEF\xBF\xBD");

    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    BSTR text = Utf8ToBstr("z\xC3\xA9");
    EXPECT_EQ(SysStringLen(text), 2u);
    EXPECT_EQ(BstrToUtf8(text), "z\xC3\xA9");
    SysFreeString(text);
}

TEST(Utf8, ReplacesInvalidSequences) {
    EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");                            // stray continuation
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");                      // overlong lead
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");            // overlong three-byte form
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // encoded surrogate
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"), u"\uFFFD");                            // truncated at the end
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8z"), u"\uFFFDz");  // broken, resumes at the breaker
    EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
}

}  // namespace
}  // namespace aldra
