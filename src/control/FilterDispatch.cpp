// The dispatch interface _DAldraFilter: names and identifiers as the type library declares them, and
// the translation between VARIANT arguments and the control's C++ methods. This is the host boundary:
// the only place where a DispatchException raised by a method is caught and turned into
// DISP_E_EXCEPTION with its exception record.
#include <iterator>

#include "control/FilterCtrl.h"

namespace aldra {

namespace {

constexpr DispatchMember kMembers[] = {
    {"PostScriptVersion", kDispPostScriptVersion},
    {"EPSFVersion", kDispEPSFVersion},
    {"EPSFType", kDispEPSFType},
    {"Fonts", kDispFonts},
    {"Colors", kDispColors},
    {"Links", kDispLinks},
    {"OPISystem", kDispOPISystem},
    {"OPIHiResFileName", kDispOPIHiResFileName},
    {"InfoGetWidth", kDispInfoGetWidth},
    {"InfoGetHeight", kDispInfoGetHeight},
    {"InfoGetKind", kDispInfoGetKind},
    {"GetThumbnail", kDispGetThumbnail},
    {"InfoGetHResolution", kDispInfoGetHResolution},
    {"InfoGetVResolution", kDispInfoGetVResolution},
    {"InfoGetCategories", kDispInfoGetCategories},
    {"InfoGetNotes", kDispInfoGetNotes},
    {"InfoGetMacSignature", kDispInfoGetMacSignature},
    {"InfoGetCreatingSoftware", kDispInfoGetCreatingSoftware},
    {"InfoGetImageName", kDispInfoGetImageName},
    {"InfoGetUser", kDispInfoGetUser},
    {"InfoGetMacType", kDispInfoGetMacType},
    {"AttachFile", kDispAttachFile},
    {"DetachFile", kDispDetachFile},
    {"ConvertTo", kDispConvertTo},
    {"QuickTest", kDispQuickTest},
    {"ShowProperties", kDispShowProperties},
    {"HasSetup", kDispHasSetup},
    {"Setup", kDispSetup},
    {"ConvertToSize", kDispConvertToSize},
    {"GetDefaultExtension", kDispGetDefaultExtension},
    {"AboutBox", kDispAboutBox},
};

// How many arguments each method takes.
int ArgumentCount(DISPID id) {
    switch (id) {
        case kDispGetThumbnail:
            return 3;
        case kDispAttachFile:
            return 1;
        case kDispConvertTo:
        case kDispQuickTest:
            return 2;
        case kDispConvertToSize:
            return 4;
        default:
            return 0;
    }
}

bool IsProperty(DISPID id) {
    return id >= kDispPostScriptVersion && id <= kDispOPIHiResFileName;
}

bool IsMethod(DISPID id) {
    return (id >= kDispInfoGetWidth && id <= kDispGetDefaultExtension) || id == kDispAboutBox;
}

void SetText(VARIANT* result, const std::string& ansi) {
    if (result == nullptr) return;
    result->vt = VT_BSTR;
    result->bstrVal = AnsiToBstr(ansi);
}

void SetFloat(VARIANT* result, float value) {
    if (result == nullptr) return;
    result->vt = VT_R4;
    result->fltVal = value;
}

void SetLong(VARIANT* result, int32_t value) {
    if (result == nullptr) return;
    result->vt = VT_I4;
    result->lVal = value;
}

void SetBool(VARIANT* result, bool value) {
    if (result == nullptr) return;
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// An owned, coerced copy of one argument; cleared when it goes out of scope.
class Argument {
  public:
    Argument() { VariantInit(&value_); }
    ~Argument() { VariantClear(&value_); }
    Argument(const Argument&) = delete;
    Argument& operator=(const Argument&) = delete;
    HRESULT Fetch(const DISPPARAMS* params, uint32_t position, VARTYPE vt, uint32_t* argErr) {
        return GetArgument(params, position, vt, &value_, argErr);
    }
    HRESULT FetchPut(const DISPPARAMS* params, VARTYPE vt, uint32_t* argErr) {
        return GetPutValue(params, vt, &value_, argErr);
    }
    std::string Text() const { return BstrToAnsi(value_.bstrVal); }
    int32_t Long() const { return value_.lVal; }
    bool Bool() const { return value_.boolVal != VARIANT_FALSE; }

  private:
    VARIANT value_;
};

// The raw (uncoerced) argument at a declared position, for the VARIANT parameter of QuickTest.
const VARIANT* RawArgument(const DISPPARAMS* params, uint32_t position) {
    return &params->rgvarg[params->cArgs - 1 - position];
}

}  // namespace

HRESULT CFilterCtrl::GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    return LookUpDispIds(std::span<const DispatchMember>(kMembers, std::size(kMembers)), names, count, ids);
}

HRESULT CFilterCtrl::Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, uint32_t* argErr) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (params == nullptr) params = &none;
    if (result != nullptr) VariantInit(result);
    uint32_t ignoredArgErr = 0;
    if (argErr == nullptr) argErr = &ignoredArgErr;
    try {
        if (IsProperty(id)) return InvokeProperty(id, flags, params, result, argErr);
        if (!IsMethod(id)) return DISP_E_MEMBERNOTFOUND;
        if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (params->cArgs != static_cast<uint32_t>(ArgumentCount(id))) return DISP_E_BADPARAMCOUNT;
        return InvokeMethod(id, params, result, argErr);
    } catch (const DispatchException& raised) {
        if (result != nullptr) VariantClear(result);
        if (excep != nullptr) FillExcepInfo(raised, excep);
        return DISP_E_EXCEPTION;
    }
}

HRESULT CFilterCtrl::InvokeProperty(DISPID id, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                                    uint32_t* argErr) {
    std::string* texts[] = {&postScriptVersion, &epsfVersion, nullptr, &fonts, &colors, &links, nullptr,
                            &opiHiResFileName};
    int32_t* longs[] = {nullptr, nullptr, &epsfType, nullptr, nullptr, nullptr, &opiSystem, nullptr};
    std::string* text = texts[id - 1];
    int32_t* number = longs[id - 1];
    if (flags & DISPATCH_PROPERTYPUT) {
        Argument value;
        HRESULT hr = value.FetchPut(params, text ? VT_BSTR : VT_I4, argErr);
        if (FAILED(hr)) return hr;
        if (text) {
            *text = value.Text();
        } else {
            *number = value.Long();
        }
        return S_OK;
    }
    if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (text) {
        SetText(result, *text);
    } else {
        SetLong(result, *number);
    }
    return S_OK;
}

HRESULT CFilterCtrl::InvokeMethod(DISPID id, DISPPARAMS* params, VARIANT* result, uint32_t* argErr) {
    Argument a0, a1, a2, a3;
    HRESULT hr = S_OK;
    switch (id) {
        case kDispInfoGetWidth:
            SetFloat(result, InfoGetWidth());
            return S_OK;
        case kDispInfoGetHeight:
            SetFloat(result, InfoGetHeight());
            return S_OK;
        case kDispInfoGetKind:
            SetLong(result, InfoGetKind());
            return S_OK;
        case kDispGetThumbnail: {
            if (FAILED(hr = a0.Fetch(params, 0, VT_I4, argErr)) ||
                FAILED(hr = a1.Fetch(params, 1, VT_I4, argErr)) ||
                FAILED(hr = a2.Fetch(params, 2, VT_BOOL, argErr)))
                return hr;
            IDispatch* picture = GetThumbnail(a0.Long(), a1.Long(), a2.Bool());
            if (result != nullptr) {
                result->vt = VT_DISPATCH;
                result->pdispVal = picture;
            } else if (picture != nullptr) {
                picture->Release();
            }
            return S_OK;
        }
        case kDispInfoGetHResolution:
            SetFloat(result, InfoGetHResolution());
            return S_OK;
        case kDispInfoGetVResolution:
            SetFloat(result, InfoGetVResolution());
            return S_OK;
        case kDispInfoGetCategories:
            SetText(result, InfoGetCategories());
            return S_OK;
        case kDispInfoGetNotes:
            SetText(result, InfoGetNotes());
            return S_OK;
        case kDispInfoGetMacSignature:
            SetText(result, InfoGetMacSignature());
            return S_OK;
        case kDispInfoGetCreatingSoftware:
            SetText(result, InfoGetCreatingSoftware());
            return S_OK;
        case kDispInfoGetImageName:
            SetText(result, InfoGetImageName());
            return S_OK;
        case kDispInfoGetUser:
            SetText(result, InfoGetUser());
            return S_OK;
        case kDispInfoGetMacType:
            SetText(result, InfoGetMacType());
            return S_OK;
        case kDispAttachFile:
            if (FAILED(hr = a0.Fetch(params, 0, VT_BSTR, argErr))) return hr;
            SetBool(result, AttachFile(a0.Text()));
            return S_OK;
        case kDispDetachFile:
            DetachFile();
            return S_OK;
        case kDispConvertTo:
            if (FAILED(hr = a0.Fetch(params, 0, VT_BSTR, argErr)) ||
                FAILED(hr = a1.Fetch(params, 1, VT_BSTR, argErr)))
                return hr;
            SetBool(result, ConvertTo(a0.Text(), a1.Text()));
            return S_OK;
        case kDispQuickTest:
            if (FAILED(hr = a0.Fetch(params, 0, VT_BSTR, argErr))) return hr;
            SetText(result, QuickTest(a0.Text(), RawArgument(params, 1)));
            return S_OK;
        case kDispShowProperties:
            SetBool(result, ShowProperties());
            return S_OK;
        case kDispHasSetup:
            SetBool(result, HasSetup());
            return S_OK;
        case kDispSetup:
            SetBool(result, Setup());
            return S_OK;
        case kDispConvertToSize:
            if (FAILED(hr = a0.Fetch(params, 0, VT_BSTR, argErr)) ||
                FAILED(hr = a1.Fetch(params, 1, VT_BSTR, argErr)) ||
                FAILED(hr = a2.Fetch(params, 2, VT_I4, argErr)) ||
                FAILED(hr = a3.Fetch(params, 3, VT_I4, argErr)))
                return hr;
            SetBool(result, ConvertToSize(a0.Text(), a1.Text(), a2.Long(), a3.Long()));
            return S_OK;
        case kDispGetDefaultExtension:
            SetText(result, GetDefaultExtension());
            return S_OK;
        case kDispAboutBox:
            AboutBox();
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace aldra
