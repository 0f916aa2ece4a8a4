// Arrays passed through VARIANTs. Only vectors (one dimension) are ever created here, but the
// layout is the OLE one so code reading rgsabound works unchanged.
#pragma once
#include <cstdint>

#include "platform/com/HResult.h"

namespace aldra {

struct SAFEARRAYBOUND {
    uint32_t cElements;
    int32_t lLbound;
};

struct SAFEARRAY {
    uint16_t cDims;
    uint16_t fFeatures;
    uint32_t cbElements;
    uint32_t cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

// fFeatures bits, as OLE sets them, telling what the elements own.
constexpr uint16_t FADF_HAVEVARTYPE = 0x0080;
constexpr uint16_t FADF_BSTR = 0x0100;
constexpr uint16_t FADF_UNKNOWN = 0x0200;
constexpr uint16_t FADF_DISPATCH = 0x0400;
constexpr uint16_t FADF_VARIANT = 0x0800;

// Elements of any scalar type, BSTR, interface or VARIANT; zero-filled. Null on failure.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lbound, uint32_t count);
// Frees the elements' strings, references and values, then the array.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, uint32_t dim, int32_t* out);  // dim counts from 1
HRESULT SafeArrayGetUBound(SAFEARRAY* array, uint32_t dim, int32_t* out);
uint32_t SafeArrayGetDim(SAFEARRAY* array);       // 0 for null
uint32_t SafeArrayGetElemsize(SAFEARRAY* array);  // 0 for null
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// A deep copy: strings duplicated, references AddRef'ed, VARIANT elements copied.
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** out);

}  // namespace aldra
