// The host boundary: the dispatch table of _DAldraFilter, and Invoke, which checks a call against its
// row, turns the VARIANT arguments into the control's C++ arguments and the answer back into a
// VARIANT. It is the only place where a DispatchException raised by a method is caught and becomes
// DISP_E_EXCEPTION with its exception record; any other exception stops here as an HRESULT.
#include <iterator>
#include <new>

#include "control/DispatchTable.h"
#include "control/FilterCtrl.h"

namespace aldra {

namespace {

using T = DispType;
using A = const DispArguments&;
using C = CFilterCtrl&;
constexpr std::array<DispType, DispArguments::kMax> kNoArgs = {};
constexpr DISPID kAboutBoxId = -552;  // the standard about-box DISPID

// clang-format off
constexpr DispatchRow kRows[] = {
    {"PostScriptVersion", 1, true, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.postScriptVersion; },
     [](C c, A v) { c.postScriptVersion = v.Text(0); }},
    {"EPSFVersion", 2, true, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.epsfVersion; },
     [](C c, A v) { c.epsfVersion = v.Text(0); }},
    {"EPSFType", 3, true, kNoArgs, T::kLong, [](C c, A) -> DispValue { return c.epsfType; },
     [](C c, A v) { c.epsfType = v.Long(0); }},
    {"Fonts", 4, true, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.fonts; },
     [](C c, A v) { c.fonts = v.Text(0); }},
    {"Colors", 5, true, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.colors; },
     [](C c, A v) { c.colors = v.Text(0); }},
    {"Links", 6, true, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.links; },
     [](C c, A v) { c.links = v.Text(0); }},
    {"OPISystem", 7, true, kNoArgs, T::kLong, [](C c, A) -> DispValue { return c.opiSystem; },
     [](C c, A v) { c.opiSystem = v.Long(0); }},
    {"OPIHiResFileName", 8, true, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.opiHiResFileName; },
     [](C c, A v) { c.opiHiResFileName = v.Text(0); }},
    {"InfoGetWidth", 1000, false, kNoArgs, T::kFloat, [](C c, A) -> DispValue { return c.InfoGetWidth(); }, nullptr},
    {"InfoGetHeight", 1001, false, kNoArgs, T::kFloat, [](C c, A) -> DispValue { return c.InfoGetHeight(); }, nullptr},
    {"InfoGetKind", 1002, false, kNoArgs, T::kLong, [](C c, A) -> DispValue { return c.InfoGetKind(); }, nullptr},
    {"GetThumbnail", 1003, false, {T::kLong, T::kLong, T::kBool}, T::kPicture,
     [](C c, A a) -> DispValue { return c.GetThumbnail(a.Long(0), a.Long(1), a.Bool(2)); }, nullptr},
    {"InfoGetHResolution", 1004, false, kNoArgs, T::kFloat, [](C c, A) -> DispValue { return c.InfoGetHResolution(); }, nullptr},
    {"InfoGetVResolution", 1005, false, kNoArgs, T::kFloat, [](C c, A) -> DispValue { return c.InfoGetVResolution(); }, nullptr},
    {"InfoGetCategories", 1006, false, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.InfoGetCategories(); }, nullptr},
    {"InfoGetNotes", 1007, false, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.InfoGetNotes(); }, nullptr},
    {"InfoGetMacSignature", 1008, false, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.InfoGetMacSignature(); }, nullptr},
    {"InfoGetCreatingSoftware", 1009, false, kNoArgs, T::kText,
     [](C c, A) -> DispValue { return c.InfoGetCreatingSoftware(); }, nullptr},
    {"InfoGetImageName", 1010, false, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.InfoGetImageName(); }, nullptr},
    {"InfoGetUser", 1011, false, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.InfoGetUser(); }, nullptr},
    {"InfoGetMacType", 1012, false, kNoArgs, T::kText, [](C c, A) -> DispValue { return c.InfoGetMacType(); }, nullptr},
    {"AttachFile", 1013, false, {T::kPath}, T::kBool, [](C c, A a) -> DispValue { return c.AttachFile(a.Path(0)); }, nullptr},
    {"DetachFile", 1014, false, kNoArgs, T::kNone, [](C c, A) -> DispValue { c.DetachFile(); return {}; }, nullptr},
    {"ConvertTo", 1015, false, {T::kPath, T::kText}, T::kBool,
     [](C c, A a) -> DispValue { return c.ConvertTo(a.Path(0), a.Text(1)); }, nullptr},
    {"QuickTest", 1016, false, {T::kPath, T::kVariant}, T::kText,
     [](C c, A a) -> DispValue { return c.QuickTest(a.Path(0), a.Raw(1)); }, nullptr},
    {"ShowProperties", 1017, false, kNoArgs, T::kBool, [](C c, A) -> DispValue { return c.ShowProperties(); }, nullptr},
    {"HasSetup", 1018, false, kNoArgs, T::kBool, [](C c, A) -> DispValue { return c.HasSetup(); }, nullptr},
    {"Setup", 1019, false, kNoArgs, T::kBool, [](C c, A) -> DispValue { return c.Setup(); }, nullptr},
    {"ConvertToSize", 1020, false, {T::kPath, T::kText, T::kLong, T::kLong}, T::kBool,
     [](C c, A a) -> DispValue { return c.ConvertToSize(a.Path(0), a.Text(1), a.Long(2), a.Long(3)); }, nullptr},
    {"GetDefaultExtension", 1021, false, kNoArgs, T::kText,
     [](C c, A) -> DispValue { return c.GetDefaultExtension(); }, nullptr},
    {"FactNames", 1022, false, kNoArgs, T::kUtf8, [](C c, A) -> DispValue { return c.FactNames(); }, nullptr},
    {"GetFact", 1023, false, {T::kText}, T::kUtf8, [](C c, A a) -> DispValue { return c.GetFact(a.Text(0)); }, nullptr},
    {"GetRecord", 1024, false, {T::kBool}, T::kUtf8, [](C c, A a) -> DispValue { return c.GetRecord(a.Bool(0)); }, nullptr},
    {"AboutBox", kAboutBoxId, false, kNoArgs, T::kNone, [](C c, A) -> DispValue { c.AboutBox(); return {}; }, nullptr},
};
// clang-format on

VARTYPE CoercedType(DispType type) {
    switch (type) {
        case DispType::kLong:
            return VT_I4;
        case DispType::kBool:
            return VT_BOOL;
        default:
            return VT_BSTR;
    }
}

// An answer the host does not take is released here, so that no picture leaks.
void SetResult(DispType type, DispValue value, VARIANT* result) {
    if (type == DispType::kPicture && result == nullptr) {
        if (IDispatch* picture = std::get<IDispatch*>(value)) picture->Release();
        return;
    }
    if (result == nullptr) return;
    switch (type) {
        case DispType::kNone:
            return;
        case DispType::kLong:
            result->vt = VT_I4;
            result->lVal = std::get<int32_t>(value);
            return;
        case DispType::kBool:
            result->vt = VT_BOOL;
            result->boolVal = std::get<bool>(value) ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        case DispType::kFloat:
            result->vt = VT_R4;
            result->fltVal = std::get<float>(value);
            return;
        case DispType::kPicture:
            result->vt = VT_DISPATCH;
            result->pdispVal = std::get<IDispatch*>(value);
            return;
        case DispType::kUtf8:
            result->vt = VT_BSTR;
            result->bstrVal = Utf8ToBstr(std::get<std::string>(value));
            if (result->bstrVal == nullptr) throw std::bad_alloc();
            return;
        default:
            result->vt = VT_BSTR;
            result->bstrVal = AnsiToBstr(std::get<std::string>(value));
            if (result->bstrVal == nullptr) throw std::bad_alloc();
            return;
    }
}

HRESULT InvokeProperty(CFilterCtrl& control, const DispatchRow& row, uint16_t flags, DISPPARAMS* params,
                       VARIANT* result, uint32_t* argErr) {
    DispArguments args;
    if (flags & DISPATCH_PROPERTYPUT) {
        HRESULT hr = args.FetchPut(row.result, params, argErr);
        if (FAILED(hr)) return hr;
        row.put(control, args);
        return S_OK;
    }
    if ((flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    SetResult(row.result, row.serve(control, args), result);
    return S_OK;
}

HRESULT InvokeMethod(CFilterCtrl& control, const DispatchRow& row, uint16_t flags, DISPPARAMS* params,
                     VARIANT* result, uint32_t* argErr) {
    if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs != row.ArgumentCount()) return DISP_E_BADPARAMCOUNT;
    DispArguments args;
    HRESULT hr = args.Fetch(row.args, params, argErr);
    if (FAILED(hr)) return hr;
    SetResult(row.result, row.serve(control, args), result);
    return S_OK;
}

}  // namespace

DispArguments::DispArguments() {
    for (VARIANT& v : values_) VariantInit(&v);
}

DispArguments::~DispArguments() {
    for (VARIANT& v : values_) VariantClear(&v);
}

std::string DispArguments::Text(uint32_t i) const {
    return BstrToAnsi(values_[i].bstrVal);
}

HRESULT DispArguments::Take(DispType type, uint32_t i, HRESULT fetched) {
    if (FAILED(fetched)) return fetched;
    if (type == DispType::kPath && !BstrToUtf8Path(values_[i].bstrVal, &paths_[i])) paths_[i].clear();
    return S_OK;
}

HRESULT DispArguments::Fetch(const std::array<DispType, kMax>& types, const DISPPARAMS* params,
                             uint32_t* argErr) {
    for (uint32_t i = 0; i < kMax && types[i] != DispType::kNone; ++i) {
        if (types[i] == DispType::kVariant) {
            raw_[i] = &params->rgvarg[params->cArgs - 1 - i];
            continue;
        }
        HRESULT hr = Take(types[i], i, GetArgument(params, i, CoercedType(types[i]), &values_[i], argErr));
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT DispArguments::FetchPut(DispType type, const DISPPARAMS* params, uint32_t* argErr) {
    return Take(type, 0, GetPutValue(params, CoercedType(type), &values_[0], argErr));
}

uint32_t DispatchRow::ArgumentCount() const {
    uint32_t count = 0;
    while (count < args.size() && args[count] != DispType::kNone) ++count;
    return count;
}

std::span<const DispatchRow> FilterDispatchTable() {
    return kRows;
}

const DispatchRow* FindDispatchRow(DISPID id) {
    for (const DispatchRow& row : kRows) {
        if (row.id == id) return &row;
    }
    return nullptr;
}

HRESULT CFilterCtrl::GetIDsOfNames(REFIID, const OLECHAR* const* names, uint32_t count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    return LookUpDispIdsOf(FilterDispatchTable(), names, count, ids);
}

HRESULT CFilterCtrl::Invoke(DISPID id, REFIID, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, uint32_t* argErr) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (params == nullptr) params = &none;
    if (result != nullptr) VariantInit(result);
    uint32_t ignoredArgErr = 0;
    if (argErr == nullptr) argErr = &ignoredArgErr;
    try {
        const DispatchRow* row = FindDispatchRow(id);
        if (row == nullptr) return DISP_E_MEMBERNOTFOUND;
        if (row->property) return InvokeProperty(*this, *row, flags, params, result, argErr);
        return InvokeMethod(*this, *row, flags, params, result, argErr);
    } catch (const DispatchException& raised) {
        if (result != nullptr) VariantClear(result);
        if (excep != nullptr) FillExcepInfo(raised, excep);
        return DISP_E_EXCEPTION;
    } catch (const std::bad_alloc&) {
        if (result != nullptr) VariantClear(result);
        return E_OUTOFMEMORY;
    } catch (...) {
        if (result != nullptr) VariantClear(result);
        return E_UNEXPECTED;
    }
}

}  // namespace aldra
