#include <gtest/gtest.h>

#include <array>

#include "platform/com/Com.h"

namespace aldra {
namespace {

constexpr DispatchMember kMembers[] = {{"QuickTest", 1}, {"Width", 7}};

TEST(LookUpDispIds, MatchesNamesWithoutCaseAndRefusesParameterNames) {
    DISPID ids[2] = {0, 0};
    const OLECHAR* names[] = {u"quicktest"};
    EXPECT_EQ(LookUpDispIds(kMembers, names, 1, ids), S_OK);
    EXPECT_EQ(ids[0], 1);
    const OLECHAR* prefix[] = {u"Widt"};
    EXPECT_EQ(LookUpDispIds(kMembers, prefix, 1, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    const OLECHAR* withParameter[] = {u"WIDTH", u"value"};
    EXPECT_EQ(LookUpDispIds(kMembers, withParameter, 2, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 7);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(LookUpDispIds(kMembers, nullptr, 1, ids), E_INVALIDARG);
}

TEST(GetArgument, ReadsPositionsFromTheBackAndReportsTheBadIndex) {
    // Declared order (I4 10, BSTR "12", R8 2.5) is stored last first.
    std::array<VARIANT, 3> args = {MakeR8(2.5), MakeBstr(AnsiToBstr("12")), MakeI4(10)};
    DISPPARAMS params{args.data(), nullptr, 3, 0};
    VARIANT out;
    VariantInit(&out);
    uint32_t argErr = 99;
    ASSERT_EQ(GetArgument(&params, 0, VT_I4, &out, &argErr), S_OK);
    EXPECT_EQ(out.lVal, 10);
    ASSERT_EQ(GetArgument(&params, 1, VT_I4, &out, &argErr), S_OK);
    EXPECT_EQ(out.lVal, 12);
    EXPECT_EQ(GetArgument(&params, 3, VT_I4, &out, &argErr), DISP_E_PARAMNOTFOUND);
    VariantClear(&args[1]);
    args[1] = MakeBstr(AnsiToBstr("twelve"));
    EXPECT_EQ(GetArgument(&params, 1, VT_I4, &out, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    VariantClear(&out);
    VariantClear(&args[1]);
    DISPPARAMS broken{nullptr, nullptr, 1, 0};
    EXPECT_EQ(GetArgument(&broken, 0, VT_I4, &out, &argErr), E_INVALIDARG);
}

TEST(GetPutValue, TakesTheNamedPropertyPutArgumentOrTheOnlyOne) {
    std::array<VARIANT, 2> args = {MakeI4(5), MakeI4(6)};
    DISPID named[] = {DISPID_PROPERTYPUT};
    DISPPARAMS params{args.data(), named, 2, 1};
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(GetPutValue(&params, VT_I4, &out, nullptr), S_OK);
    EXPECT_EQ(out.lVal, 5);
    DISPPARAMS single{args.data() + 1, nullptr, 1, 0};
    ASSERT_EQ(GetPutValue(&single, VT_I4, &out, nullptr), S_OK);
    EXPECT_EQ(out.lVal, 6);
    DISPPARAMS two{args.data(), nullptr, 2, 0};
    EXPECT_EQ(GetPutValue(&two, VT_I4, &out, nullptr), DISP_E_PARAMNOTFOUND);
}

TEST(FillExcepInfo, KeepsEitherCodeOrScodeAndCopiesTheTexts) {
    EXCEPINFO info;
    FillExcepInfo({E_FAIL, 0, u"Aldra", u"The file is damaged."}, &info);
    EXPECT_EQ(info.scode, E_FAIL);
    EXPECT_EQ(info.wCode, 0);
    EXPECT_EQ(std::u16string(info.bstrDescription, SysStringLen(info.bstrDescription)),
              u"The file is damaged.");
    ClearExcepInfo(&info);
    EXPECT_EQ(info.bstrSource, nullptr);
    FillExcepInfo({E_FAIL, 1001, u"", u""}, &info);
    EXPECT_EQ(info.scode, 0);
    EXPECT_EQ(info.wCode, 1001);
    EXPECT_EQ(info.bstrDescription, nullptr);
    ClearExcepInfo(&info);
    FillExcepInfo({E_FAIL, 0, u"", u""}, nullptr);
}

}  // namespace
}  // namespace aldra
