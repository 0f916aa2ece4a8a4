#include <gtest/gtest.h>

#include <string>

#include "platform/com/Com.h"

namespace aldra {
namespace {

// The value of the three types the dispatch members take, as text, read here from their fields.
std::string Show(const VARIANT& v) {
    if (v.vt == VT_BSTR) return "'" + BstrToAnsi(v.bstrVal) + "'";
    return std::to_string(v.vt == VT_I4 ? v.lVal : v.vt == VT_BOOL ? v.boolVal : -999999);
}

// An object that only counts references, so that a test sees when a variant adds or drops one.
struct Counted : IUnknown {
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    ULONG references = 1;
};

VARIANT OfType(VARTYPE vt) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}

VARIANT U4(uint32_t value) {
    VARIANT v = OfType(VT_UI4);
    v.ulVal = value;
    return v;
}

// What hosts send, converted to what the members take: VT_I4, VT_BSTR and VT_BOOL.
struct Conversion {
    VARIANT number;    // the source, unless `text` is given
    const char* text;  // a BSTR source
    VARTYPE vt;
    HRESULT hr;
    const char* want;  // Show() of the result
};

// clang-format off
const Conversion kConversions[] = {
    {U4(0x80000000u),          nullptr,        VT_I4,   DISP_E_OVERFLOW,     ""},
    {MakeR8(2.5),              nullptr,        VT_I4,   S_OK,                "2"},  // half to even
    {MakeR8(3.5),              nullptr,        VT_I4,   S_OK,                "4"},
    {MakeR4(-1.6f),            nullptr,        VT_I4,   S_OK,                "-2"},
    {MakeR8(2147483647.6),     nullptr,        VT_I4,   DISP_E_OVERFLOW,     ""},
    {MakeI4(7),                nullptr,        VT_BOOL, S_OK,                "-1"},
    {MakeR8(0.0),              nullptr,        VT_BOOL, S_OK,                "0"},
    {MakeBool(true),           nullptr,        VT_I4,   S_OK,                "-1"},
    {MakeBool(true),           nullptr,        VT_BSTR, S_OK,                "'-1'"},
    {MakeI4(-2147483647 - 1),  nullptr,        VT_BSTR, S_OK,                "'-2147483648'"},
    {MakeR8(0.1),              nullptr,        VT_BSTR, S_OK,                "'0.1'"},
    {MakeR8(1e20),             nullptr,        VT_BSTR, S_OK,                "'1E+20'"},
    {MakeR4(0.1f),             nullptr,        VT_BSTR, S_OK,                "'0.1'"},
    {OfType(VT_EMPTY),         nullptr,        VT_I4,   S_OK,                "0"},
    {OfType(VT_EMPTY),         nullptr,        VT_BSTR, S_OK,                "''"},
    {OfType(VT_NULL),          nullptr,        VT_I4,   DISP_E_TYPEMISMATCH, ""},
    {OfType(0x7F),             nullptr,        VT_I4,   DISP_E_BADVARTYPE,   ""},
    {{},                       "  -42 ",       VT_I4,   S_OK,                "-42"},
    {{},                       "+1.5e2",       VT_I4,   S_OK,                "150"},
    {{},                       "2147483648",   VT_I4,   DISP_E_OVERFLOW,     ""},
    {{},                       "1e400",        VT_I4,   DISP_E_OVERFLOW,     ""},
    {{},                       "caf\xE9",      VT_BSTR, S_OK,                "'caf\xE9'"},
    {{},                       " TRUE ",       VT_BOOL, S_OK,                "-1"},
    {{},                       "false",        VT_BOOL, S_OK,                "0"},
    {{},                       "-3",           VT_BOOL, S_OK,                "-1"},
    {{},                       "maybe",        VT_BOOL, DISP_E_TYPEMISMATCH, ""},
    {{},                       "  ",           VT_I4,   DISP_E_TYPEMISMATCH, ""},
    {{},                       "12abc",        VT_I4,   DISP_E_TYPEMISMATCH, ""},
    {{},                       "inf",          VT_I4,   DISP_E_TYPEMISMATCH, ""},  // from_chars would take it
    {{},                       "+-3",          VT_I4,   DISP_E_TYPEMISMATCH, ""},
    {{},                       "\xE9",         VT_I4,   DISP_E_TYPEMISMATCH, ""},
};
// clang-format on

TEST(VariantChangeType, ConvertsByTheTable) {
    for (const Conversion& c : kConversions) {
        VARIANT source = c.text ? MakeBstr(AnsiToBstr(c.text)) : c.number;
        SCOPED_TRACE(c.text ? c.text : "vt " + std::to_string(source.vt));
        VARIANT out;
        VariantInit(&out);
        EXPECT_EQ(VariantChangeType(&out, &source, 0, c.vt), c.hr);
        EXPECT_EQ(c.hr == S_OK ? Show(out) : "", c.want);
        VariantClear(&out);
        VariantClear(&source);
    }
}

TEST(VariantChangeType, FollowsReferencesAndKeepsTheDestinationOnFailure) {
    int32_t number = 1234;
    VARIANT byRef = OfType(VT_BYREF | VT_I4), out;
    byRef.plVal = &number;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &byRef, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Show(out), "'1234'");
    ASSERT_EQ(VariantChangeType(&out, &out, 0, VT_I4), S_OK);  // in place: the string is freed
    EXPECT_EQ(Show(out), "1234");
    VARIANT kept = MakeBstr(AnsiToBstr("keep")), big = U4(0x80000000u);
    EXPECT_EQ(VariantChangeType(&kept, &big, 0, VT_I4), DISP_E_OVERFLOW);
    EXPECT_EQ(Show(kept), "'keep'");
    VariantClear(&kept);
    Counted object;
    VARIANT unknown = OfType(VT_UNKNOWN);
    unknown.punkVal = &object;
    EXPECT_EQ(VariantChangeType(&out, &unknown, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(object.references, 1u);
}

TEST(VariantClearCopy, ReleasesAndDuplicatesWhatTheyOwn) {
    Counted object;
    VARIANT holder = OfType(VT_UNKNOWN);
    holder.punkVal = &object;
    object.AddRef();
    EXPECT_EQ(VariantClear(&holder), S_OK);
    EXPECT_EQ(object.references, 1u);
    EXPECT_EQ(holder.vt, VT_EMPTY);

    VARIANT text = MakeBstr(AnsiToBstr("deep")), copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantChangeType(&copy, &text, 0, VT_BSTR), S_OK);
    VariantClear(&text);
    EXPECT_EQ(Show(copy), "'deep'");  // still valid after the original is gone
    VariantClear(&copy);

    BSTR target = AnsiToBstr("target");  // a reference does not own its target
    VARIANT byRef = OfType(VT_BYREF | VT_BSTR);
    byRef.pbstrVal = &target;
    EXPECT_EQ(VariantClear(&byRef), S_OK);
    EXPECT_EQ(BstrToAnsi(target), "target");
    SysFreeString(target);
    VARIANT bogus = OfType(VT_VARIANT);  // a VARIANT cannot hold a VARIANT by value
    EXPECT_EQ(VariantClear(&bogus), DISP_E_BADVARTYPE);
}

}  // namespace
}  // namespace aldra
