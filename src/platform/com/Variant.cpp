#include "platform/com/Variant.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/com/Ansi.h"
#include "platform/com/Bstr.h"
#include "platform/com/Interfaces.h"
#include "platform/com/SafeArray.h"
#include "platform/com/ValueSize.h"

namespace aldra {
namespace {

constexpr VARTYPE kTypeMask = 0x0FFF;

bool IsValidVartype(VARTYPE vt) {
    if ((vt & ~(VT_BYREF | VT_ARRAY | kTypeMask)) != 0) return false;
    VARTYPE base = vt & kTypeMask;
    if (base == VT_EMPTY || base == VT_NULL) return vt == base;
    if (base == VT_VARIANT) return vt != base;
    return ValueSize(base) != 0;
}

bool IsInterface(VARTYPE vt) {
    return vt == VT_UNKNOWN || vt == VT_DISPATCH;
}

// Replaces the owned parts of a shallow copy by its own copies. On failure *value is left empty.
HRESULT DuplicateOwned(VARIANT* value) {
    if (value->vt & VT_BYREF) return S_OK;
    if (value->vt & VT_ARRAY) {
        if (value->parray == nullptr) return S_OK;
        HRESULT hr = SafeArrayCopy(value->parray, &value->parray);
        if (FAILED(hr)) VariantInit(value);
        return hr;
    }
    if (value->vt == VT_BSTR && value->bstrVal != nullptr) {
        value->bstrVal = SysAllocStringLen(value->bstrVal, SysStringLen(value->bstrVal));
        if (value->bstrVal != nullptr) return S_OK;
        VariantInit(value);
        return E_OUTOFMEMORY;
    }
    if (IsInterface(value->vt) && value->punkVal != nullptr) value->punkVal->AddRef();
    return S_OK;
}

// A shallow view of the value a VT_BYREF variant points at; the view owns nothing.
HRESULT Dereference(const VARIANT& source, VARIANT* view, int depth = 0) {
    if ((source.vt & VT_BYREF) == 0) {
        *view = source;
        return S_OK;
    }
    if (source.byref == nullptr) return E_INVALIDARG;
    VARTYPE base = source.vt & ~VT_BYREF;
    if (base == VT_VARIANT) {
        // A reference to a variant may hold one more reference, never a chain of them.
        if (depth > 0) return DISP_E_BADVARTYPE;
        return Dereference(*source.pvarVal, view, depth + 1);
    }
    VariantInit(view);
    view->vt = base;
    if (base & VT_ARRAY) {
        std::memcpy(&view->parray, source.byref, sizeof(SAFEARRAY*));
    } else {
        std::memcpy(&view->byref, source.byref, ValueSize(base));
    }
    return S_OK;
}

bool IsNumberType(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UINT:
        case VT_R4:
        case VT_R8:
            return true;
        default:
            return false;
    }
}

bool IsConvertibleSource(VARTYPE vt) {
    return vt == VT_EMPTY || vt == VT_BOOL || vt == VT_BSTR || IsNumberType(vt);
}
bool IsConvertibleTarget(VARTYPE vt) {
    return vt == VT_BOOL || vt == VT_BSTR || IsNumberType(vt);
}

// A source value on its way to a numeric type.
struct Number {
    bool isReal = false;
    bool fromBool = false;
    int64_t integer = 0;
    double real = 0;
};

std::string TrimmedAscii(const VARIANT& text, bool* ascii) {
    std::u16string_view view(text.bstrVal, SysStringLen(text.bstrVal));
    size_t first = view.find_first_not_of(u" \t");
    size_t last = view.find_last_not_of(u" \t");
    std::string out;
    *ascii = true;
    if (first == std::u16string_view::npos) return out;
    for (char16_t c : view.substr(first, last - first + 1)) {
        if (c > 0x7F) *ascii = false;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

// Decimal text: optional sign, digits with an optional fraction and exponent, blanks around.
HRESULT ParseDecimal(const VARIANT& text, double* out) {
    bool ascii = false;
    std::string digits = TrimmedAscii(text, &ascii);
    if (!ascii || digits.empty()) return DISP_E_TYPEMISMATCH;
    bool negative = digits[0] == '-';
    size_t start = (digits[0] == '-' || digits[0] == '+') ? 1 : 0;
    // from_chars would also take "inf", "nan" and a second sign; none of those is a number here.
    if (start >= digits.size() ||
        !(std::isdigit(static_cast<unsigned char>(digits[start])) || digits[start] == '.'))
        return DISP_E_TYPEMISMATCH;
    double value = 0;
    const char* end = digits.data() + digits.size();
    auto [stop, error] = std::from_chars(digits.data() + start, end, value);
    if (error == std::errc::result_out_of_range) return DISP_E_OVERFLOW;
    if (error != std::errc() || stop != end) return DISP_E_TYPEMISMATCH;
    *out = negative ? -value : value;
    return S_OK;
}

HRESULT ReadNumber(const VARIANT& value, Number* out) {
    switch (value.vt) {
        case VT_EMPTY:
            out->integer = 0;
            return S_OK;
        case VT_I1:
            out->integer = value.cVal;
            return S_OK;
        case VT_UI1:
            out->integer = value.bVal;
            return S_OK;
        case VT_I2:
            out->integer = value.iVal;
            return S_OK;
        case VT_UI2:
            out->integer = value.uiVal;
            return S_OK;
        case VT_I4:
            out->integer = value.lVal;
            return S_OK;
        case VT_INT:
            out->integer = value.intVal;
            return S_OK;
        case VT_UI4:
            out->integer = value.ulVal;
            return S_OK;
        case VT_UINT:
            out->integer = value.uintVal;
            return S_OK;
        case VT_BOOL:
            out->fromBool = true;
            out->integer = value.boolVal != VARIANT_FALSE ? -1 : 0;
            return S_OK;
        case VT_R4:
            out->isReal = true;
            out->real = value.fltVal;
            return S_OK;
        case VT_R8:
            out->isReal = true;
            out->real = value.dblVal;
            return S_OK;
        case VT_BSTR:
            out->isReal = true;
            return ParseDecimal(value, &out->real);
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

// Halves go to the even neighbour, as OLE's conversions round.
double RoundHalfEven(double value) {
    double lower = std::floor(value);
    double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

struct IntegerRange {
    int64_t min;
    int64_t max;
};

IntegerRange RangeOf(VARTYPE vt) {
    switch (vt) {
        case VT_I1:
            return {INT8_MIN, INT8_MAX};
        case VT_UI1:
            return {0, UINT8_MAX};
        case VT_I2:
            return {INT16_MIN, INT16_MAX};
        case VT_UI2:
            return {0, UINT16_MAX};
        case VT_UI4:
        case VT_UINT:
            return {0, UINT32_MAX};
        default:
            return {INT32_MIN, INT32_MAX};
    }
}

HRESULT ToInteger(const Number& number, VARTYPE vt, int64_t* out) {
    IntegerRange range = RangeOf(vt);
    // OLE carries a true BOOL's all-ones bit pattern into unsigned types rather than failing.
    if (number.fromBool && range.min == 0) {
        *out = number.integer != 0 ? range.max : 0;
        return S_OK;
    }
    if (number.isReal) {
        if (!std::isfinite(number.real)) return DISP_E_OVERFLOW;
        double rounded = RoundHalfEven(number.real);
        if (rounded < static_cast<double>(range.min) || rounded > static_cast<double>(range.max))
            return DISP_E_OVERFLOW;
        *out = static_cast<int64_t>(rounded);
        return S_OK;
    }
    if (number.integer < range.min || number.integer > range.max) return DISP_E_OVERFLOW;
    *out = number.integer;
    return S_OK;
}

void StoreInteger(int64_t value, VARTYPE vt, VARIANT* out) {
    out->vt = vt;
    switch (vt) {
        case VT_I1:
            out->cVal = static_cast<int8_t>(value);
            break;
        case VT_UI1:
            out->bVal = static_cast<uint8_t>(value);
            break;
        case VT_I2:
            out->iVal = static_cast<int16_t>(value);
            break;
        case VT_UI2:
            out->uiVal = static_cast<uint16_t>(value);
            break;
        case VT_UI4:
            out->ulVal = static_cast<uint32_t>(value);
            break;
        case VT_UINT:
            out->uintVal = static_cast<uint32_t>(value);
            break;
        case VT_INT:
            out->intVal = static_cast<int32_t>(value);
            break;
        default:
            out->lVal = static_cast<int32_t>(value);
            break;
    }
}

HRESULT StoreNumber(const Number& number, VARTYPE vt, VARIANT* out) {
    double real = number.isReal ? number.real : static_cast<double>(number.integer);
    if (vt == VT_R8) {
        out->vt = VT_R8;
        out->dblVal = real;
        return S_OK;
    }
    if (vt == VT_R4) {
        if (std::isfinite(real) && std::fabs(real) > FLT_MAX) return DISP_E_OVERFLOW;
        out->vt = VT_R4;
        out->fltVal = static_cast<float>(real);
        return S_OK;
    }
    int64_t integer = 0;
    HRESULT hr = ToInteger(number, vt, &integer);
    if (SUCCEEDED(hr)) StoreInteger(integer, vt, out);
    return hr;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

HRESULT ToBool(const VARIANT& value, VARIANT* out) {
    bool truth = false;
    bool ascii = false;
    std::string word = value.vt == VT_BSTR ? TrimmedAscii(value, &ascii) : std::string();
    if (EqualsIgnoringCase(word, "True")) {
        truth = true;
    } else if (!EqualsIgnoringCase(word, "False")) {
        Number number;
        HRESULT hr = ReadNumber(value, &number);
        if (FAILED(hr)) return hr;
        truth = number.isReal ? number.real != 0 : number.integer != 0;
    }
    out->vt = VT_BOOL;
    out->boolVal = truth ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// Fifteen significant digits for doubles and seven for floats, as OLE prints them.
std::string FormatReal(double value, int digits) {
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    if (error != std::errc()) return "0";
    std::string out(text, end);
    for (char& c : out) {
        if (c == 'e') c = 'E';
    }
    return out;
}

std::string FormatValue(const VARIANT& value, uint16_t flags) {
    switch (value.vt) {
        case VT_EMPTY:
            return "";
        case VT_BOOL:
            if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) return value.boolVal ? "True" : "False";
            return value.boolVal ? "-1" : "0";
        case VT_R4:
            return FormatReal(value.fltVal, 7);
        case VT_R8:
            return FormatReal(value.dblVal, 15);
        default: {
            Number number;
            ReadNumber(value, &number);
            return std::to_string(number.integer);
        }
    }
}

HRESULT ToText(const VARIANT& value, uint16_t flags, VARIANT* out) {
    BSTR text = AnsiToBstr(FormatValue(value, flags));
    if (text == nullptr) return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
    out->bstrVal = text;
    return S_OK;
}

HRESULT Convert(const VARIANT& value, uint16_t flags, VARTYPE vt, VARIANT* out) {
    if (value.vt == vt || vt == VT_VARIANT) return VariantCopy(out, &value);
    if (!IsConvertibleSource(value.vt) || !IsConvertibleTarget(vt)) return DISP_E_TYPEMISMATCH;
    if (vt == VT_BSTR) return ToText(value, flags, out);
    if (vt == VT_BOOL) return ToBool(value, out);
    Number number;
    HRESULT hr = ReadNumber(value, &number);
    return FAILED(hr) ? hr : StoreNumber(number, vt, out);
}

}  // namespace

void VariantInit(VARIANT* value) {
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    VARTYPE vt = value->vt;
    if (!IsValidVartype(vt)) return DISP_E_BADVARTYPE;
    if (vt & VT_BYREF) {
        // The referenced value belongs to whoever made the reference.
    } else if (vt & VT_ARRAY) {
        if (value->parray != nullptr) {
            HRESULT hr = SafeArrayDestroy(value->parray);
            if (FAILED(hr)) return hr;
        }
    } else if (vt == VT_BSTR) {
        SysFreeString(value->bstrVal);
    } else if (IsInterface(vt) && value->punkVal != nullptr) {
        value->punkVal->Release();
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dst, const VARIANT* src) {
    if (dst == nullptr || src == nullptr) return E_INVALIDARG;
    if (dst == src) return S_OK;
    if (!IsValidVartype(src->vt)) return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(dst);
    if (FAILED(hr)) return hr;
    VARIANT copy = *src;
    hr = DuplicateOwned(&copy);
    *dst = copy;
    return hr;
}

HRESULT VariantChangeType(VARIANT* dst, const VARIANT* src, uint16_t flags, VARTYPE vt) {
    if (dst == nullptr || src == nullptr) return E_INVALIDARG;
    if (!IsValidVartype(src->vt)) return DISP_E_BADVARTYPE;
    VARIANT view;
    HRESULT hr = Dereference(*src, &view);
    if (FAILED(hr)) return hr;
    VARIANT converted;
    VariantInit(&converted);
    hr = Convert(view, flags, vt, &converted);
    if (FAILED(hr)) return hr;
    hr = VariantClear(dst);
    if (FAILED(hr)) {
        VariantClear(&converted);
        return hr;
    }
    *dst = converted;
    return S_OK;
}

VARIANT MakeI4(int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT MakeR4(float value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R4;
    v.fltVal = value;
    return v;
}

VARIANT MakeR8(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT MakeBool(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT MakeBstr(BSTR owned) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = owned;
    return v;
}

}  // namespace aldra
