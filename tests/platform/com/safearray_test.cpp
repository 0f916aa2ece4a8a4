#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/Com.h"
#include "platform/com/CountingUnknown.h"

namespace aldra {
namespace {

TEST(SafeArray, DescribesAZeroFilledVector) {
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 1, 5);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(SafeArrayGetDim(bytes), 1u);
    EXPECT_EQ(SafeArrayGetElemsize(bytes), 1u);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(bytes, &vt), S_OK);
    EXPECT_EQ(vt, VT_UI1);
    int32_t low = 0, high = 0;
    EXPECT_EQ(SafeArrayGetLBound(bytes, 1, &low), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(bytes, 1, &high), S_OK);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 5);
    EXPECT_EQ(SafeArrayGetLBound(bytes, 0, &low), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(bytes, 2, &high), DISP_E_BADINDEX);
    uint8_t* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(bytes, reinterpret_cast<void**>(&data)), S_OK);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(data[i], 0);
    SafeArrayUnaccessData(bytes);
    EXPECT_EQ(SafeArrayDestroy(bytes), S_OK);

    SAFEARRAY* longs = SafeArrayCreateVector(VT_I4, 0, 3);
    EXPECT_EQ(SafeArrayGetElemsize(longs), 4u);
    EXPECT_EQ(SafeArrayDestroy(longs), S_OK);

    SAFEARRAY* empty = SafeArrayCreateVector(VT_I4, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SafeArrayGetUBound(empty, 1, &high), S_OK);
    EXPECT_EQ(high, -1);
    void* none = nullptr;
    EXPECT_EQ(SafeArrayAccessData(empty, &none), S_OK);
    EXPECT_NE(none, nullptr);  // safe to hand to memcpy with a zero size
    SafeArrayUnaccessData(empty);
    EXPECT_EQ(SafeArrayDestroy(empty), S_OK);

    EXPECT_EQ(SafeArrayCreateVector(VT_NULL, 0, 1), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
}

TEST(SafeArray, LockingGuardsDestruction) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(array->cLocks, 2u);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);  // unbalanced
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, RefusesNullArguments) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 1);
    int32_t bound = 0;
    VARTYPE vt = 0;
    SAFEARRAY* copy = nullptr;
    void* data = nullptr;
    EXPECT_EQ(SafeArrayDestroy(nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayAccessData(nullptr, &data), E_INVALIDARG);
    EXPECT_EQ(SafeArrayAccessData(array, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayUnaccessData(nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &bound), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetUBound(array, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetVartype(nullptr, &vt), E_INVALIDARG);
    EXPECT_EQ(SafeArrayCopy(nullptr, &copy), E_INVALIDARG);
    EXPECT_EQ(SafeArrayCopy(array, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
    EXPECT_EQ(SafeArrayGetElemsize(nullptr), 0u);
    SafeArrayDestroy(array);
}

TEST(SafeArray, CopiesDeeply) {
    SAFEARRAY* bytes = SafeArrayCreateVector(VT_UI1, 3, 4);
    uint8_t* data = nullptr;
    SafeArrayAccessData(bytes, reinterpret_cast<void**>(&data));
    std::memcpy(data, "EPSF", 4);
    SafeArrayUnaccessData(bytes);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(bytes, &copy), S_OK);
    SafeArrayDestroy(bytes);
    int32_t low = 0;
    SafeArrayGetLBound(copy, 1, &low);
    EXPECT_EQ(low, 3);
    EXPECT_EQ(copy->cLocks, 0u);
    SafeArrayAccessData(copy, reinterpret_cast<void**>(&data));
    EXPECT_EQ(std::memcmp(data, "EPSF", 4), 0);
    SafeArrayUnaccessData(copy);
    SafeArrayDestroy(copy);

    test::CountingUnknown object;
    SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 2);
    SAFEARRAY* objects = SafeArrayCreateVector(VT_DISPATCH, 0, 1);
    BSTR* texts = nullptr;
    SafeArrayAccessData(strings, reinterpret_cast<void**>(&texts));
    texts[0] = AnsiToBstr("first");  // texts[1] stays null
    SafeArrayUnaccessData(strings);
    IDispatch** pointers = nullptr;
    SafeArrayAccessData(objects, reinterpret_cast<void**>(&pointers));
    pointers[0] = &object;
    object.AddRef();
    SafeArrayUnaccessData(objects);

    SAFEARRAY* stringCopy = nullptr;
    SAFEARRAY* objectCopy = nullptr;
    ASSERT_EQ(SafeArrayCopy(strings, &stringCopy), S_OK);
    ASSERT_EQ(SafeArrayCopy(objects, &objectCopy), S_OK);
    EXPECT_EQ(object.references, 3u);
    SafeArrayDestroy(strings);
    SafeArrayDestroy(objects);
    EXPECT_EQ(object.references, 2u);
    SafeArrayAccessData(stringCopy, reinterpret_cast<void**>(&texts));
    EXPECT_EQ(BstrToAnsi(texts[0]), "first");
    EXPECT_EQ(texts[1], nullptr);
    SafeArrayUnaccessData(stringCopy);
    SafeArrayDestroy(stringCopy);
    SafeArrayDestroy(objectCopy);
    EXPECT_EQ(object.references, 1u);
}

}  // namespace
}  // namespace aldra
