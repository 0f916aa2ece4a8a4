// Drives an IDispatch the way a host does: names looked up with GetIDsOfNames, arguments passed as
// VARIANTs last first, results and exception records taken apart.
#pragma once
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/com/Com.h"

namespace aldra::testing {

struct Answer {
    HRESULT hr = E_FAIL;
    VARIANT value;
    uint16_t code = 0;        // the exception's error code
    std::string description;  // the exception's text (ANSI)
    Answer() { VariantInit(&value); }
    ~Answer() { VariantClear(&value); }
    Answer(const Answer&) = delete;
    Answer& operator=(const Answer&) = delete;
    Answer(Answer&& other) noexcept
        : hr(other.hr), value(other.value), code(other.code), description(other.description) {
        VariantInit(&other.value);
    }

    std::string Text() const { return value.vt == VT_BSTR ? BstrToAnsi(value.bstrVal) : "<not text>"; }
    float Float() const { return value.vt == VT_R4 ? value.fltVal : -1.0f; }
    int32_t Long() const { return value.vt == VT_I4 ? value.lVal : -1; }
    bool Bool() const { return value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE; }
};

inline DISPID DispIdOf(IDispatch* target, const std::string& name) {
    std::u16string wide(name.begin(), name.end());
    const OLECHAR* names[] = {wide.c_str()};
    DISPID id = DISPID_UNKNOWN;
    target->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
}

// The arguments are in declared order and owned by the call, which clears them.
inline Answer Invoke(IDispatch* target, const std::string& name, std::vector<VARIANT> args = {},
                     uint16_t flags = DISPATCH_METHOD) {
    Answer answer;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &putId : nullptr,
                      static_cast<uint32_t>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO excep{};
    uint32_t argErr = 0;
    answer.hr = target->Invoke(DispIdOf(target, name), IID_NULL, 0, flags, &params,
                               flags == DISPATCH_PROPERTYPUT ? nullptr : &answer.value, &excep, &argErr);
    if (answer.hr == DISP_E_EXCEPTION) {
        answer.code = excep.wCode;
        answer.description = BstrToAnsi(excep.bstrDescription);
    }
    ClearExcepInfo(&excep);
    for (VARIANT& v : args) VariantClear(&v);
    return answer;
}

inline VARIANT Str(const std::string& ansi) {
    return MakeBstr(AnsiToBstr(ansi));
}

// The first bytes of a file as the host hands them to QuickTest.
inline VARIANT ByteArray(const std::string& bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<uint32_t>(bytes.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = array;
    return v;
}

}  // namespace aldra::testing
