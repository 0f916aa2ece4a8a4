// An IDispatch that only counts references, so tests can see exactly when the COM layer AddRefs
// and Releases what it holds. It lives on the stack; the count never frees it.
#pragma once
#include "platform/com/Com.h"

namespace aldra::test {

class CountingUnknown : public IDispatch {
  public:
    HRESULT QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetTypeInfoCount(uint32_t* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(uint32_t, LCID, void**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, const OLECHAR* const*, uint32_t, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT Invoke(DISPID, REFIID, LCID, uint16_t, DISPPARAMS*, VARIANT*, EXCEPINFO*, uint32_t*) override {
        return E_NOTIMPL;
    }

    ULONG references = 1;
};

}  // namespace aldra::test
