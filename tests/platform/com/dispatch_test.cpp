// The dispatch plumbing under the control: names to identifiers, arguments and byte arrays.
#include <gtest/gtest.h>

#include <array>
#include <vector>

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

// The host hands the first bytes over in a vector of bytes, the control reads its size and data.
TEST(SafeArray, AVectorIsZeroFilledAndAnEmptyOneHasData) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 1, 5);
    EXPECT_EQ(std::pair(SafeArrayGetDim(array), SafeArrayGetElemsize(array)), std::pair(1u, 4u));
    int32_t* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
    EXPECT_EQ(std::vector<int32_t>(data, data + 5), std::vector<int32_t>(5, 0));
    SafeArrayUnaccessData(array);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    SAFEARRAY* empty = SafeArrayCreateVector(VT_UI1, 0, 0);
    void* none = nullptr;
    EXPECT_EQ(SafeArrayAccessData(empty, &none), S_OK);
    EXPECT_NE(none, nullptr);  // safe to hand to memcpy with a zero size
    SafeArrayUnaccessData(empty);
    SafeArrayDestroy(empty);
    EXPECT_EQ(SafeArrayCreateVector(VT_NULL, 0, 1), nullptr);
}

TEST(SafeArray, LockingGuardsDestructionOfTheArrayAndOfAVariantHoldingIt) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, 1);
    BSTR* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
    ASSERT_EQ(SafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
    data[0] = AnsiToBstr("freed with the array");  // (ASan)
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    VARIANT holder = MakeI4(0);
    holder.vt = VT_ARRAY | VT_BSTR;
    holder.parray = array;
    EXPECT_EQ(VariantClear(&holder), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(holder.parray, array);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);  // unbalanced
    EXPECT_EQ(VariantClear(&holder), S_OK);
}

}  // namespace
}  // namespace aldra
