#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "platform/com/Com.h"
#include "platform/com/CountingUnknown.h"

namespace aldra {
namespace {

// Converts and hands back the result for inspection; the caller clears it.
HRESULT Change(const VARIANT& source, VARTYPE vt, VARIANT* out, uint16_t flags = 0) {
    VariantInit(out);
    return VariantChangeType(out, &source, flags, vt);
}

std::string TextOf(const VARIANT& source, uint16_t flags = 0) {
    VARIANT out;
    if (FAILED(Change(source, VT_BSTR, &out, flags))) return "<failed>";
    std::string text = BstrToAnsi(out.bstrVal);
    VariantClear(&out);
    return text;
}

VARIANT Text(const char* ansi) {
    return MakeBstr(AnsiToBstr(ansi));
}

TEST(VariantChangeType, ConvertsAmongNumbersWithRangeChecks) {
    VARIANT out;
    ASSERT_EQ(Change(MakeI4(200), VT_UI1, &out), S_OK);
    EXPECT_EQ(out.vt, VT_UI1);
    EXPECT_EQ(out.bVal, 200);
    EXPECT_EQ(Change(MakeI4(256), VT_UI1, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Change(MakeI4(-1), VT_UI4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Change(MakeI4(-129), VT_I1, &out), DISP_E_OVERFLOW);
    ASSERT_EQ(Change(MakeI4(-32768), VT_I2, &out), S_OK);
    EXPECT_EQ(out.iVal, -32768);
    EXPECT_EQ(Change(MakeI4(40000), VT_I2, &out), DISP_E_OVERFLOW);
    ASSERT_EQ(Change(MakeI4(65535), VT_UI2, &out), S_OK);
    EXPECT_EQ(out.uiVal, 65535);

    VARIANT big;
    VariantInit(&big);
    big.vt = VT_UI4;
    big.ulVal = 0x80000000u;
    EXPECT_EQ(Change(big, VT_I4, &out), DISP_E_OVERFLOW);
    ASSERT_EQ(Change(big, VT_UINT, &out), S_OK);
    EXPECT_EQ(out.uintVal, 0x80000000u);
    ASSERT_EQ(Change(big, VT_R8, &out), S_OK);
    EXPECT_EQ(out.dblVal, 2147483648.0);

    // Reals round half to even on the way to integers.
    ASSERT_EQ(Change(MakeR8(2.5), VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, 2);
    ASSERT_EQ(Change(MakeR8(3.5), VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, 4);
    ASSERT_EQ(Change(MakeR4(-1.6f), VT_I2, &out), S_OK);
    EXPECT_EQ(out.iVal, -2);
    EXPECT_EQ(Change(MakeR8(2147483647.6), VT_I4, &out), DISP_E_OVERFLOW);
    EXPECT_EQ(Change(MakeR8(1e300), VT_R4, &out), DISP_E_OVERFLOW);
    ASSERT_EQ(Change(MakeR8(0.25), VT_R4, &out), S_OK);
    EXPECT_EQ(out.fltVal, 0.25f);
}

TEST(VariantChangeType, ConvertsBooleans) {
    VARIANT out;
    ASSERT_EQ(Change(MakeI4(7), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Change(MakeR8(0.0), VT_BOOL, &out), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_FALSE);
    ASSERT_EQ(Change(MakeBool(true), VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, -1);
    ASSERT_EQ(Change(MakeBool(true), VT_UI1, &out), S_OK);
    EXPECT_EQ(out.bVal, 255);  // OLE keeps the all-ones pattern
    EXPECT_EQ(TextOf(MakeBool(true)), "-1");
    EXPECT_EQ(TextOf(MakeBool(false), VARIANT_ALPHABOOL), "False");
    EXPECT_EQ(TextOf(MakeBool(true), VARIANT_ALPHABOOL), "True");
}

TEST(VariantChangeType, ParsesAndPrintsText) {
    VARIANT out;
    VARIANT source = Text("  -42 ");
    ASSERT_EQ(Change(source, VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, -42);
    VariantClear(&source);

    source = Text("+1.5e2");
    ASSERT_EQ(Change(source, VT_R8, &out), S_OK);
    EXPECT_EQ(out.dblVal, 150.0);
    VariantClear(&source);

    const char* overflowing[] = {"2147483648", "1e400"};
    for (const char* text : overflowing) {
        source = Text(text);
        EXPECT_EQ(Change(source, VT_I4, &out), DISP_E_OVERFLOW) << text;
        VariantClear(&source);
    }
    const char* notNumbers[] = {"", "  ", "12abc", "inf", "nan", "+-3", "1,5", "0x10", "\xE9"};
    for (const char* text : notNumbers) {
        source = Text(text);
        EXPECT_EQ(Change(source, VT_I4, &out), DISP_E_TYPEMISMATCH) << text;
        VariantClear(&source);
    }

    const char* truths[][2] = {{"True", "t"}, {"false", "f"}, {" TRUE ", "t"}, {"0", "f"}, {"-3", "t"}};
    for (const auto& [text, expected] : truths) {
        source = Text(text);
        ASSERT_EQ(Change(source, VT_BOOL, &out), S_OK) << text;
        EXPECT_EQ(out.boolVal, expected[0] == 't' ? VARIANT_TRUE : VARIANT_FALSE) << text;
        VariantClear(&source);
    }
    source = Text("maybe");
    EXPECT_EQ(Change(source, VT_BOOL, &out), DISP_E_TYPEMISMATCH);
    VariantClear(&source);

    EXPECT_EQ(TextOf(MakeI4(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(TextOf(MakeR8(0.1)), "0.1");
    EXPECT_EQ(TextOf(MakeR8(1e20)), "1E+20");
    EXPECT_EQ(TextOf(MakeR4(0.1f)), "0.1");
    EXPECT_EQ(TextOf(MakeR8(-2.5)), "-2.5");
}

TEST(VariantChangeType, HandlesReferencesEmptyAndImpossibleTypes) {
    VARIANT out;
    int32_t number = 1234;
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_I4;
    byRef.plVal = &number;
    EXPECT_EQ(TextOf(byRef), "1234");

    VARIANT inner = Text("77");
    VARIANT viaVariant;
    VariantInit(&viaVariant);
    viaVariant.vt = VT_BYREF | VT_VARIANT;
    viaVariant.pvarVal = &inner;
    ASSERT_EQ(Change(viaVariant, VT_UI2, &out), S_OK);
    EXPECT_EQ(out.uiVal, 77);
    ASSERT_EQ(Change(viaVariant, VT_VARIANT, &out), S_OK);  // taken as it is, but an owned copy
    EXPECT_EQ(out.vt, VT_BSTR);
    EXPECT_NE(out.bstrVal, inner.bstrVal);
    VariantClear(&out);
    VariantClear(&inner);

    VARIANT empty;
    VariantInit(&empty);
    ASSERT_EQ(Change(empty, VT_I4, &out), S_OK);
    EXPECT_EQ(out.lVal, 0);
    EXPECT_EQ(TextOf(empty), "");

    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(Change(null, VT_I4, &out), DISP_E_TYPEMISMATCH);
    test::CountingUnknown object;
    VARIANT dispatch;
    VariantInit(&dispatch);
    dispatch.vt = VT_DISPATCH;
    dispatch.pdispVal = &object;
    EXPECT_EQ(Change(dispatch, VT_I4, &out), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(object.references, 1u);
    VARIANT bogus;
    VariantInit(&bogus);
    bogus.vt = 0x7F;
    EXPECT_EQ(Change(bogus, VT_I4, &out), DISP_E_BADVARTYPE);
}

TEST(VariantChangeType, ConvertsInPlaceAndKeepsDestinationOnFailure) {
    VARIANT value = Text("12");
    ASSERT_EQ(VariantChangeType(&value, &value, 0, VT_I4), S_OK);  // the string is freed, not leaked
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 12);

    VARIANT dst = Text("keep");
    VARIANT source = MakeI4(300);
    EXPECT_EQ(VariantChangeType(&dst, &source, 0, VT_UI1), DISP_E_OVERFLOW);
    EXPECT_EQ(BstrToAnsi(dst.bstrVal), "keep");
    ASSERT_EQ(VariantChangeType(&dst, &source, 0, VT_BSTR), S_OK);  // the old string is released
    EXPECT_EQ(BstrToAnsi(dst.bstrVal), "300");
    VariantClear(&dst);
}

TEST(VariantClearCopy, ReleasesAndDuplicatesOwnedValues) {
    test::CountingUnknown object;
    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_UNKNOWN;
    holder.punkVal = &object;
    object.AddRef();

    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &holder), S_OK);
    EXPECT_EQ(object.references, 3u);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(VariantClear(&holder), S_OK);
    EXPECT_EQ(object.references, 1u);
    EXPECT_EQ(holder.vt, VT_EMPTY);

    VARIANT text = Text("deep");
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    VariantClear(&text);
    EXPECT_EQ(BstrToAnsi(copy.bstrVal), "deep");  // still valid after the original is gone
    VariantClear(&copy);

    // A reference does not own its target: clearing it frees nothing.
    BSTR target = AnsiToBstr("target");
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_BSTR;
    byRef.pbstrVal = &target;
    EXPECT_EQ(VariantClear(&byRef), S_OK);
    EXPECT_EQ(BstrToAnsi(target), "target");
    SysFreeString(target);

    VARIANT bogus;
    VariantInit(&bogus);
    bogus.vt = VT_VARIANT;  // a VARIANT cannot hold a VARIANT by value
    EXPECT_EQ(VariantClear(&bogus), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantCopy(&copy, &bogus), DISP_E_BADVARTYPE);
}

TEST(VariantClearCopy, DestroysAndCopiesArrays) {
    test::CountingUnknown object;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    ASSERT_NE(array, nullptr);
    VARIANT* items = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&items)), S_OK);
    items[0] = Text("in array");
    items[1].vt = VT_DISPATCH;
    items[1].pdispVal = &object;
    object.AddRef();
    SafeArrayUnaccessData(array);

    VARIANT holder;
    VariantInit(&holder);
    holder.vt = VT_ARRAY | VT_VARIANT;
    holder.parray = array;
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &holder), S_OK);
    EXPECT_NE(copy.parray, array);
    EXPECT_EQ(object.references, 3u);

    SafeArrayAccessData(array, reinterpret_cast<void**>(&items));
    EXPECT_EQ(VariantClear(&holder), DISP_E_ARRAYISLOCKED);  // still held, nothing freed
    EXPECT_EQ(holder.parray, array);
    SafeArrayUnaccessData(array);
    EXPECT_EQ(VariantClear(&holder), S_OK);
    EXPECT_EQ(object.references, 2u);

    VARIANT* copied = nullptr;
    SafeArrayAccessData(copy.parray, reinterpret_cast<void**>(&copied));
    EXPECT_EQ(BstrToAnsi(copied[0].bstrVal), "in array");
    SafeArrayUnaccessData(copy.parray);
    EXPECT_EQ(VariantClear(&copy), S_OK);
    EXPECT_EQ(object.references, 1u);
}

}  // namespace
}  // namespace aldra
