#include "platform/com/SafeArray.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/com/Bstr.h"
#include "platform/com/Interfaces.h"
#include "platform/com/ValueSize.h"
#include "platform/com/Variant.h"

namespace aldra {
namespace {

// The element type lives just after the descriptor, so the descriptor itself keeps the OLE layout;
// it is the first member, so a SAFEARRAY* converts back to the whole block.
struct ArrayBlock {
    SAFEARRAY array;
    VARTYPE vartype;
};

ArrayBlock* BlockOf(SAFEARRAY* array) {
    return reinterpret_cast<ArrayBlock*>(array);
}

uint16_t FeaturesFor(VARTYPE vt) {
    switch (vt) {
        case VT_BSTR:
            return FADF_HAVEVARTYPE | FADF_BSTR;
        case VT_UNKNOWN:
            return FADF_HAVEVARTYPE | FADF_UNKNOWN;
        case VT_DISPATCH:
            return FADF_HAVEVARTYPE | FADF_DISPATCH;
        case VT_VARIANT:
            return FADF_HAVEVARTYPE | FADF_VARIANT;
        default:
            return FADF_HAVEVARTYPE;
    }
}

uint32_t ElementCount(const SAFEARRAY* array) {
    return array->cDims == 0 ? 0 : array->rgsabound[0].cElements;
}

// Releases what each element owns; the storage itself stays.
void ReleaseElements(SAFEARRAY* array, VARTYPE vt) {
    uint32_t count = ElementCount(array);
    for (uint32_t i = 0; i < count; ++i) {
        if (vt == VT_BSTR) {
            SysFreeString(static_cast<BSTR*>(array->pvData)[i]);
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            IUnknown* unknown = static_cast<IUnknown**>(array->pvData)[i];
            if (unknown != nullptr) unknown->Release();
        } else if (vt == VT_VARIANT) {
            VariantClear(&static_cast<VARIANT*>(array->pvData)[i]);
        }
    }
}

HRESULT CopyElement(VARTYPE vt, const void* from, void* to, uint32_t index) {
    if (vt == VT_BSTR) {
        BSTR source = static_cast<const BSTR*>(from)[index];
        if (source == nullptr) return S_OK;
        BSTR copy = SysAllocStringLen(source, SysStringLen(source));
        if (copy == nullptr) return E_OUTOFMEMORY;
        static_cast<BSTR*>(to)[index] = copy;
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        IUnknown* unknown = static_cast<IUnknown* const*>(from)[index];
        if (unknown != nullptr) unknown->AddRef();
        static_cast<IUnknown**>(to)[index] = unknown;
    } else {
        return VariantCopy(&static_cast<VARIANT*>(to)[index], &static_cast<const VARIANT*>(from)[index]);
    }
    return S_OK;
}

HRESULT CopyElements(const SAFEARRAY* from, SAFEARRAY* to, VARTYPE vt) {
    uint32_t count = ElementCount(from);
    if (vt != VT_BSTR && vt != VT_UNKNOWN && vt != VT_DISPATCH && vt != VT_VARIANT) {
        std::memcpy(to->pvData, from->pvData, static_cast<size_t>(count) * from->cbElements);
        return S_OK;
    }
    for (uint32_t i = 0; i < count; ++i) {
        HRESULT hr = CopyElement(vt, from->pvData, to->pvData, i);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

bool ValidDimension(const SAFEARRAY* array, uint32_t dim) {
    return dim >= 1 && dim <= array->cDims;
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lbound, uint32_t count) {
    uint32_t size = ValueSize(vt);
    if (size == 0) return nullptr;
    auto* block = new (std::nothrow) ArrayBlock{};
    if (block == nullptr) return nullptr;
    // At least one element's worth, so pvData is never null even for an empty vector.
    size_t bytes = static_cast<size_t>(count == 0 ? 1 : count) * size;
    block->array.pvData = std::calloc(1, bytes);
    if (block->array.pvData == nullptr) {
        delete block;
        return nullptr;
    }
    block->vartype = vt;
    block->array.cDims = 1;
    block->array.fFeatures = FeaturesFor(vt);
    block->array.cbElements = size;
    block->array.rgsabound[0] = SAFEARRAYBOUND{count, lbound};
    return &block->array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (array == nullptr) return E_INVALIDARG;
    if (array->cLocks != 0) return DISP_E_ARRAYISLOCKED;
    ArrayBlock* block = BlockOf(array);
    ReleaseElements(array, block->vartype);
    std::free(array->pvData);
    delete block;
    return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (array == nullptr || data == nullptr) return E_INVALIDARG;
    ++array->cLocks;
    *data = array->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    if (array == nullptr) return E_INVALIDARG;
    if (array->cLocks == 0) return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, uint32_t dim, int32_t* out) {
    if (array == nullptr || out == nullptr) return E_INVALIDARG;
    if (!ValidDimension(array, dim)) return DISP_E_BADINDEX;
    *out = array->rgsabound[dim - 1].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, uint32_t dim, int32_t* out) {
    if (array == nullptr || out == nullptr) return E_INVALIDARG;
    if (!ValidDimension(array, dim)) return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& bound = array->rgsabound[dim - 1];
    // Wraps as OLE does: an empty vector's upper bound is one below its lower bound.
    *out = static_cast<int32_t>(static_cast<int64_t>(bound.lLbound) + bound.cElements - 1);
    return S_OK;
}

uint32_t SafeArrayGetDim(SAFEARRAY* array) {
    return array == nullptr ? 0 : array->cDims;
}

uint32_t SafeArrayGetElemsize(SAFEARRAY* array) {
    return array == nullptr ? 0 : array->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
    if (array == nullptr || vt == nullptr) return E_INVALIDARG;
    *vt = BlockOf(array)->vartype;
    return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** out) {
    if (out != nullptr) *out = nullptr;
    if (array == nullptr || out == nullptr || array->cDims != 1) return E_INVALIDARG;
    VARTYPE vt = BlockOf(array)->vartype;
    SAFEARRAY* copy = SafeArrayCreateVector(vt, array->rgsabound[0].lLbound, ElementCount(array));
    if (copy == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = CopyElements(array, copy, vt);
    if (FAILED(hr)) {
        SafeArrayDestroy(copy);
        return hr;
    }
    *out = copy;
    return S_OK;
}

}  // namespace aldra
