// The tagged value a dispatch host passes arguments and results in. A VARIANT owns what it holds
// (a BSTR, an interface reference, an array) unless VT_BYREF is set, in which case it only points
// at a value someone else owns.
#pragma once
#include <cstdint>

#include "platform/com/HResult.h"

namespace aldra {

class IUnknown;
class IDispatch;
struct SAFEARRAY;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_I1 = 16;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_UI2 = 18;
constexpr VARTYPE VT_UI4 = 19;
constexpr VARTYPE VT_INT = 22;
constexpr VARTYPE VT_UINT = 23;
constexpr VARTYPE VT_ARRAY = 0x2000;
constexpr VARTYPE VT_BYREF = 0x4000;

// VariantChangeType flags. Only the two that choose how a BOOL is written as text matter here;
// without them a BOOL prints as "-1" or "0", as OLE does.
constexpr uint16_t VARIANT_NOVALUEPROP = 0x01;
constexpr uint16_t VARIANT_ALPHABOOL = 0x02;
constexpr uint16_t VARIANT_LOCALBOOL = 0x10;

struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1, wReserved2, wReserved3;
    union {
        int32_t lVal;
        uint8_t bVal;
        int16_t iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        uint16_t uiVal;
        uint32_t ulVal;
        int32_t intVal;
        uint32_t uintVal;
        int8_t cVal;
        VARIANT* pvarVal;
        int32_t* plVal;
        BSTR* pbstrVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* value);
// Frees what the value owns and leaves it VT_EMPTY. A locked array is left in place
// (DISP_E_ARRAYISLOCKED); an unknown type is refused (DISP_E_BADVARTYPE).
HRESULT VariantClear(VARIANT* value);
// Clears *dst, then makes it an independent copy of *src: strings and arrays duplicated,
// interfaces AddRef'ed. A VT_BYREF source is copied as the reference it is.
HRESULT VariantCopy(VARIANT* dst, const VARIANT* src);
// Converts *src (VT_BYREF followed) to `vt` into *dst; dst may be src. *dst is only cleared and
// replaced when the conversion succeeds. DISP_E_OVERFLOW when the value does not fit,
// DISP_E_TYPEMISMATCH when the types do not convert.
HRESULT VariantChangeType(VARIANT* dst, const VARIANT* src, uint16_t flags, VARTYPE vt);

VARIANT MakeI4(int32_t value);
VARIANT MakeR4(float value);
VARIANT MakeR8(double value);
VARIANT MakeBool(bool value);
VARIANT MakeBstr(BSTR owned);

}  // namespace aldra
