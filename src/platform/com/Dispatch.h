// Helpers for implementing IDispatch from a table of members: name lookup, fetching and coercing
// arguments, and the exception record a failed call reports to the host.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "platform/com/Interfaces.h"

namespace aldra {

struct DispatchMember {
    const char* name;
    DISPID id;
};

// names[0] is the member, compared without regard to ASCII case as OLE does; names[1..] would be
// parameter names, which no member here has, so they always come back DISPID_UNKNOWN with
// DISP_E_UNKNOWNNAME overall.
HRESULT LookUpDispIds(std::span<const DispatchMember> table, const OLECHAR* const* names, uint32_t count,
                      DISPID* ids);

// The same over a table of any row type that has a `name` and an `id`.
bool DispatchNameMatches(const char* name, const OLECHAR* wanted);
HRESULT FinishDispIds(DISPID member, uint32_t count, DISPID* ids);
template <class Row>
HRESULT LookUpDispIdsOf(std::span<const Row> table, const OLECHAR* const* names, uint32_t count,
                        DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    DISPID member = DISPID_UNKNOWN;
    for (const Row& row : table) {
        if (names[0] != nullptr && DispatchNameMatches(row.name, names[0])) {
            member = row.id;
            break;
        }
    }
    return FinishDispIds(member, count, ids);
}

// Declared argument `position` (0 = first) coerced to `vt` into *out, which must be initialised and
// is replaced by an owned copy. VT_VARIANT takes the argument as it is, references followed.
// A value that will not coerce sets *argErr to its rgvarg index and gives DISP_E_TYPEMISMATCH.
HRESULT GetArgument(const DISPPARAMS* params, uint32_t position, VARTYPE vt, VARIANT* out, uint32_t* argErr);
// The new value of a DISPATCH_PROPERTYPUT: the argument named DISPID_PROPERTYPUT, or the only
// argument when the host names none.
HRESULT GetPutValue(const DISPPARAMS* params, VARTYPE vt, VARIANT* out, uint32_t* argErr);

// What a dispatch method raises to fail with a message; only Invoke catches it.
struct DispatchException {
    HRESULT scode;
    uint16_t code;
    std::u16string source;
    std::u16string description;
};

// Fills every field of *info (null is allowed). OLE wants either wCode or scode, so a non-zero
// code leaves scode 0.
void FillExcepInfo(const DispatchException& raised, EXCEPINFO* info);

}  // namespace aldra
