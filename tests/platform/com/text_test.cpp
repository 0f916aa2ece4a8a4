// Text and identifiers in COM's forms: ANSI and UTF-8 conversions, BSTRs and GUIDs.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Com.h"

namespace aldra {
namespace {

TEST(Ansi, EveryByteSurvivesTheRoundTrip) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    ASSERT_EQ(AnsiToUtf16(bytes).size(), 256u);
    EXPECT_EQ(Utf16ToAnsi(AnsiToUtf16(bytes)), bytes);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(bytes)), bytes);
    BSTR text = AnsiToBstr(bytes);
    EXPECT_EQ(SysStringLen(text), 256u);  // the zero byte is kept, not a terminator
    EXPECT_EQ(BstrToAnsi(text), bytes);
    SysFreeString(text);
    EXPECT_EQ(BstrToAnsi(nullptr), "");
    EXPECT_EQ(BstrToUtf8(nullptr), "");
}

TEST(Ansi, MapsWindows1252AndMarksWhatItLacks) {
    EXPECT_EQ(AnsiToUtf16("\x80\x81\x8A\x8D\x8F\x90\x92\x99\x9D\x9F\xA0\xE9\xFF"),
              (std::u16string{0x20AC, 0x81, 0x160, 0x8D, 0x8F, 0x90, 0x2019, 0x2122, 0x9D, 0x178, 0xA0, 0xE9,
                              0xFF}));
    const std::pair<std::u16string, std::string> narrowed[] = {
        {u"\u20AC\u0178\u2026", "\x80\x9F\x85"},
        {u"\u0080\u0082", "??"},  // C1 controls 1252 has no byte for
        {u"a\u4E2Db", "a?b"},
        {u"\U0001F600", "?"},  // one mark per character, not per surrogate
    };
    for (const auto& [wide, ansi] : narrowed) EXPECT_EQ(Utf16ToAnsi(wide), ansi);
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD\xC3\xA9"), "?\xE9");
}

// Names in two- and three-byte forms go to and from BSTRs in the control's and the host's tests.
TEST(Utf8, EncodesPairsAndReplacesLoneSurrogates) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {{u'a', 0xD83D, u'b'},
         "a\xEF\xBF\xBD"
         "b"},
        {{0xDE00}, "\xEF\xBF\xBD"},
        {{0xD83D}, "\xEF\xBF\xBD"},
    };
    for (const auto& [wide, utf8] : cases) EXPECT_EQ(Utf16ToUtf8(wide), utf8);
}

TEST(Utf8, DecodesAndReplacesInvalidSequences) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"a\x80z", u"a\uFFFDz"},                            // stray continuation
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong lead
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xE4\xB8", u"\uFFFD"},                            // truncated at the end
        {"\xE4\xB8z", u"\uFFFDz"},                          // broken, resumes at the breaker
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& [utf8, wide] : cases) EXPECT_EQ(Utf8ToUtf16(utf8), wide) << utf8;
}

// Formatting and reading back the filter's own identifiers is shown by registration and the host.
TEST(Guid, ParsesEitherCaseAndFormatsUpperCase) {
    GUID mixed{};
    ASSERT_TRUE(ParseGuid("{a1b2c3d4-e5f6-0718-293A-4b5C6d7E8f90}", &mixed));
    EXPECT_EQ(mixed, (GUID{0xA1B2C3D4, 0xE5F6, 0x0718, {0x29, 0x3A, 0x4B, 0x5C, 0x6D, 0x7E, 0x8F, 0x90}}));
    EXPECT_EQ(FormatGuid(mixed), "{A1B2C3D4-E5F6-0718-293A-4B5C6D7E8F90}");
}

TEST(Guid, RefusesOtherForms) {
    GUID untouched = IID_IUnknown;
    for (const char* text : {
             "00020400-0000-0000-C000-000000000046",     // no braces
             "{00020400-0000-0000-C000-0000000000461}",  // too long
             "{00020400-0000-0000-C0000-00000000046}",   // hyphen moved
             "{0002040G-0000-0000-C000-000000000046}",   // not hex
             "{00020400-0000-0000-C000-00000000004 }",   // blank inside, which a scanf reader takes
         }) {
        EXPECT_FALSE(ParseGuid(text, &untouched)) << text;
    }
    EXPECT_EQ(untouched, IID_IUnknown);
    EXPECT_FALSE(ParseGuid("{00020400-0000-0000-C000-000000000046}", nullptr));
}

TEST(Bstr, KeepsLengthPrefixTerminatorAndEmbeddedZeros) {
    const OLECHAR withZero[] = {u'a', 0, u'b'};
    BSTR text = SysAllocStringLen(withZero, 3);
    EXPECT_EQ(std::pair(SysStringLen(text), SysStringByteLen(text)), std::pair(3u, 6u));
    EXPECT_EQ(std::u16string(text, 4), std::u16string(u"a\0b\0", 4));  // terminated after the count
    uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const uint8_t*>(text) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    SysFreeString(text);
    BSTR zeros = SysAllocStringLen(nullptr, 4);
    EXPECT_EQ(std::u16string(zeros, 5), std::u16string(5, u'\0'));
    SysFreeString(zeros);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
}

}  // namespace
}  // namespace aldra
