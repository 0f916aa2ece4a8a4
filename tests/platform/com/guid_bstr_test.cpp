#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Com.h"

namespace aldra {
namespace {

TEST(Guid, ParsesAndFormatsTheRegistryForm) {
    GUID parsed{};
    ASSERT_TRUE(ParseGuid("{00020400-0000-0000-C000-000000000046}", &parsed));
    EXPECT_EQ(parsed, IID_IDispatch);
    EXPECT_FALSE(parsed == IID_IUnknown);

    GUID mixed{};
    ASSERT_TRUE(ParseGuid("{a1b2c3d4-e5f6-0718-293A-4b5C6d7E8f90}", &mixed));
    EXPECT_EQ(mixed.Data1, 0xA1B2C3D4u);
    EXPECT_EQ(mixed.Data2, 0xE5F6);
    EXPECT_EQ(mixed.Data3, 0x0718);
    EXPECT_EQ(mixed.Data4[0], 0x29);
    EXPECT_EQ(mixed.Data4[1], 0x3A);
    EXPECT_EQ(mixed.Data4[7], 0x90);
    EXPECT_EQ(FormatGuid(mixed), "{A1B2C3D4-E5F6-0718-293A-4B5C6D7E8F90}");
    EXPECT_EQ(FormatGuid(IID_IClassFactory), "{00000001-0000-0000-C000-000000000046}");
    EXPECT_EQ(FormatGuid(IID_NULL), "{00000000-0000-0000-0000-000000000000}");

    GUID back{};
    ASSERT_TRUE(ParseGuid(FormatGuid(mixed), &back));
    EXPECT_EQ(back, mixed);
}

TEST(Guid, RefusesOtherForms) {
    GUID untouched = IID_IUnknown;
    const char* bad[] = {
        "00020400-0000-0000-C000-000000000046",     // no braces
        "{00020400-0000-0000-C000-000000000046",    // no closing brace
        "{00020400-0000-0000-C000-0000000000461}",  // too long
        "{00020400-0000-0000-C000-00000000004}",    // too short
        "{00020400-0000-0000-C0000-00000000046}",   // hyphen moved
        "{0002040G-0000-0000-C000-000000000046}",   // not hex
        "{00020400-0000-0000-C000-00000000004 }",   // blank inside
        "{+0020400-0000-0000-C000-000000000046}",   // sign inside
        "",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(ParseGuid(text, &untouched)) << text;
    }
    EXPECT_EQ(untouched, IID_IUnknown);
    EXPECT_FALSE(ParseGuid("{00020400-0000-0000-C000-000000000046}", nullptr));
}

TEST(Bstr, KeepsLengthPrefixTerminatorAndEmbeddedZeros) {
    const OLECHAR withZero[] = {u'a', 0, u'b'};
    BSTR text = SysAllocStringLen(withZero, 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(SysStringByteLen(text), 6u);
    EXPECT_EQ(text[1], 0);
    EXPECT_EQ(text[2], u'b');
    EXPECT_EQ(text[3], 0);  // terminator after the counted characters
    uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const uint8_t*>(text) - 4, 4);
    EXPECT_EQ(prefix, 6u);
    SysFreeString(text);

    BSTR zeros = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(SysStringLen(zeros), 4u);
    for (int i = 0; i <= 4; ++i) EXPECT_EQ(zeros[i], 0);
    SysFreeString(zeros);

    BSTR copied = SysAllocString(u"Aldra");
    EXPECT_EQ(SysStringLen(copied), 5u);
    EXPECT_EQ(std::u16string(copied), u"Aldra");
    SysFreeString(copied);

    BSTR empty = SysAllocString(u"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(ModuleLock, CountsObjectsAndLocks) {
    long before = ModuleLock::Count();
    ModuleLock::Add();
    ModuleLock::Add();
    EXPECT_EQ(ModuleLock::Count(), before + 2);
    ModuleLock::Remove();
    ModuleLock::Remove();
    EXPECT_EQ(ModuleLock::Count(), before);
}

}  // namespace
}  // namespace aldra
