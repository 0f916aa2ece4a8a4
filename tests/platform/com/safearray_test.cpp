#include <gtest/gtest.h>

#include "platform/com/Com.h"

namespace aldra {
namespace {

TEST(SafeArray, AVectorIsZeroFilledWithItsBounds) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 1, 5);
    int32_t low = 0, high = 0;
    EXPECT_EQ(std::pair(SafeArrayGetDim(array), SafeArrayGetElemsize(array)), std::pair(1u, 4u));
    EXPECT_EQ(SafeArrayGetLBound(array, 1, &low), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, &high), S_OK);
    EXPECT_EQ(std::pair(low, high), std::pair(1, 5));
    EXPECT_EQ(SafeArrayGetLBound(array, 2, &low), DISP_E_BADINDEX);
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
