// The three interfaces a dispatch host talks to an in-process control through, and the records
// IDispatch::Invoke exchanges.
#pragma once
#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/Variant.h"

namespace aldra {

class IUnknown {
  public:
    virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

struct EXCEPINFO {
    uint16_t wCode;
    uint16_t wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    uint32_t dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    HRESULT scode;
};

// Frees the strings and zeroes every field; null is allowed.
void ClearExcepInfo(EXCEPINFO* info);

// rgvarg holds the arguments last first; named arguments, if any, come before the positional ones.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    uint32_t cArgs;
    uint32_t cNamedArgs;
};

constexpr uint16_t DISPATCH_METHOD = 1;
constexpr uint16_t DISPATCH_PROPERTYGET = 2;
constexpr uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr uint16_t DISPATCH_PROPERTYPUTREF = 8;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_PROPERTYPUT = -3;

class IDispatch : public IUnknown {
  public:
    virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
    virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, void** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, const OLECHAR* const* names, uint32_t count, LCID lcid,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excep, uint32_t* argErr) = 0;

  protected:
    ~IDispatch() override = default;
};

class IClassFactory : public IUnknown {
  public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) = 0;
    virtual HRESULT LockServer(int32_t lock) = 0;

  protected:
    ~IClassFactory() override = default;
};

}  // namespace aldra
