#include "platform/com/Dispatch.h"

#include "platform/com/Bstr.h"

namespace aldra {
namespace {

char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool HasConsistentShape(const DISPPARAMS* params) {
    if (params == nullptr || params->cNamedArgs > params->cArgs) return false;
    if (params->cArgs != 0 && params->rgvarg == nullptr) return false;
    return params->cNamedArgs == 0 || params->rgdispidNamedArgs != nullptr;
}

HRESULT CoerceArgument(const DISPPARAMS* params, uint32_t index, VARTYPE vt, VARIANT* out, uint32_t* argErr) {
    HRESULT hr = VariantChangeType(out, &params->rgvarg[index], 0, vt);
    if (SUCCEEDED(hr) || hr == E_OUTOFMEMORY) return hr;
    if (argErr != nullptr) *argErr = index;
    return DISP_E_TYPEMISMATCH;
}

BSTR CopyToBstr(const std::u16string& text) {
    if (text.empty()) return nullptr;
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace

bool DispatchNameMatches(const char* name, const OLECHAR* wanted) {
    size_t i = 0;
    for (; name[i] != 0 && wanted[i] != 0; ++i) {
        if (AsciiLower(static_cast<unsigned char>(name[i])) != AsciiLower(wanted[i])) return false;
    }
    return name[i] == 0 && wanted[i] == 0;
}

HRESULT LookUpDispIds(std::span<const DispatchMember> table, const OLECHAR* const* names, uint32_t count,
                      DISPID* ids) {
    return LookUpDispIdsOf(table, names, count, ids);
}

HRESULT FinishDispIds(DISPID member, uint32_t count, DISPID* ids) {
    ids[0] = member;
    HRESULT hr = member == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    for (uint32_t i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT GetArgument(const DISPPARAMS* params, uint32_t position, VARTYPE vt, VARIANT* out, uint32_t* argErr) {
    if (!HasConsistentShape(params) || out == nullptr) return E_INVALIDARG;
    if (position >= params->cArgs) return DISP_E_PARAMNOTFOUND;
    return CoerceArgument(params, params->cArgs - 1 - position, vt, out, argErr);
}

HRESULT GetPutValue(const DISPPARAMS* params, VARTYPE vt, VARIANT* out, uint32_t* argErr) {
    if (!HasConsistentShape(params) || out == nullptr) return E_INVALIDARG;
    // Named arguments occupy the front of rgvarg, in the order of their names.
    for (uint32_t i = 0; i < params->cNamedArgs; ++i) {
        if (params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT)
            return CoerceArgument(params, i, vt, out, argErr);
    }
    if (params->cArgs == 1 && params->cNamedArgs == 0) return CoerceArgument(params, 0, vt, out, argErr);
    return DISP_E_PARAMNOTFOUND;
}

void FillExcepInfo(const DispatchException& raised, EXCEPINFO* info) {
    if (info == nullptr) return;
    *info = EXCEPINFO{};
    info->wCode = raised.code;
    info->scode = raised.code != 0 ? 0 : raised.scode;
    info->bstrSource = CopyToBstr(raised.source);
    info->bstrDescription = CopyToBstr(raised.description);
}

}  // namespace aldra
