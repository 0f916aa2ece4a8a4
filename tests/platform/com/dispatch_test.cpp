#include <gtest/gtest.h>

#include <array>

#include "platform/com/Com.h"

namespace aldra {
namespace {

constexpr DispatchMember kMembers[] = {{"QuickTest", 1}, {"Width", 7}};

TEST(LookUpDispIds, MatchesNamesWithoutCaseAndRefusesParameterNames) {
    DISPID ids[2] = {0, 0};
    const OLECHAR* withParameter[] = {u"WIDTH", u"value"};
    EXPECT_EQ(LookUpDispIds(kMembers, withParameter, 2, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(std::pair(ids[0], ids[1]), std::pair(DISPID{7}, DISPID_UNKNOWN));
    const OLECHAR* prefix[] = {u"Widt"};
    EXPECT_EQ(LookUpDispIds(kMembers, prefix, 1, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(LookUpDispIds(kMembers, nullptr, 1, ids), E_INVALIDARG);
}

// Reading positions from the back and converting them is shown by the control's members; here the
// refusals, and the index of the argument that would not convert.
TEST(GetArgument, ReportsTheBadIndex) {
    std::array<VARIANT, 3> args = {MakeR8(2.5), MakeBstr(AnsiToBstr("twelve")), MakeI4(10)};
    DISPPARAMS params{args.data(), nullptr, 3, 0}, broken{nullptr, nullptr, 1, 0};
    VARIANT out;
    VariantInit(&out);
    uint32_t argErr = 99;
    EXPECT_EQ(GetArgument(&params, 3, VT_I4, &out, &argErr), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(GetArgument(&params, 1, VT_I4, &out, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 1u);
    EXPECT_EQ(GetArgument(&broken, 0, VT_I4, &out, &argErr), E_INVALIDARG);
    VariantClear(&args[1]);
}

}  // namespace
}  // namespace aldra
