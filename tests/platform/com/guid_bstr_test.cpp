#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Com.h"

namespace aldra {
namespace {

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
