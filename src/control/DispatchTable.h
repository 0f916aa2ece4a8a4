// The dispatch interface _DAldraFilter as one table: a row per member with its name, its DISPID, the
// types of its arguments and of its result, and the function that serves it. Name lookup, Invoke's
// argument checking and the translation of results all read this table and nothing else.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "platform/com/Com.h"

namespace aldra {

class CFilterCtrl;

enum class DispType : uint8_t {
    kNone,     // no argument in this place, or no result
    kLong,     // VT_I4
    kBool,     // VT_BOOL
    kFloat,    // VT_R4 (results only)
    kText,     // a BSTR taken as Windows-1252 text
    kPath,     // a BSTR naming a file, taken as UTF-8 for the file system
    kVariant,  // the argument as the host passed it
    kPicture,  // an IDispatch reference handed to the host (results only)
    kUtf8,     // a BSTR made from UTF-8 text (results only)
};

// The arguments of one call, coerced to their row's types; a property's new value is argument 0.
class DispArguments {
  public:
    static constexpr uint32_t kMax = 4;
    DispArguments();
    ~DispArguments();
    DispArguments(const DispArguments&) = delete;
    DispArguments& operator=(const DispArguments&) = delete;

    // Fetches the declared arguments; a failure is the HRESULT for the host.
    HRESULT Fetch(const std::array<DispType, kMax>& types, const DISPPARAMS* params, uint32_t* argErr);
    HRESULT FetchPut(DispType type, const DISPPARAMS* params, uint32_t* argErr);

    int32_t Long(uint32_t i) const { return values_[i].lVal; }
    bool Bool(uint32_t i) const { return values_[i].boolVal != VARIANT_FALSE; }
    std::string Text(uint32_t i) const;
    // A name that is not valid UTF-16 names no file: it comes back empty.
    const std::string& Path(uint32_t i) const { return paths_[i]; }
    const VARIANT* Raw(uint32_t i) const { return raw_[i]; }

  private:
    HRESULT Take(DispType type, uint32_t i, HRESULT fetched);

    VARIANT values_[kMax];
    std::string paths_[kMax];
    const VARIANT* raw_[kMax] = {};
};

using DispValue = std::variant<std::monostate, int32_t, bool, float, std::string, IDispatch*>;

struct DispatchRow {
    const char* name;
    DISPID id;
    bool property;  // read with DISPATCH_PROPERTYGET, written with DISPATCH_PROPERTYPUT
    std::array<DispType, DispArguments::kMax> args;
    DispType result;  // for a property, also the type of the value it is written with
    DispValue (*serve)(CFilterCtrl& control, const DispArguments& args);
    void (*put)(CFilterCtrl& control, const DispArguments& value);  // properties only

    uint32_t ArgumentCount() const;
};

std::span<const DispatchRow> FilterDispatchTable();
const DispatchRow* FindDispatchRow(DISPID id);  // null for an unknown DISPID

}  // namespace aldra
