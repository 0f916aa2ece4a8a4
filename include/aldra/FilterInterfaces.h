// The custom interfaces of the control. IAldraFilterInfo is the one every host's filter manager queries to
// learn what a filter is and which formats it handles, without any file attached. Slot order matters to
// vtable hosts: keep it.
#pragma once
#include "platform/com/Com.h"

namespace aldra {

class IAldraFilterInfo : public IUnknown {
  public:
    virtual HRESULT GetFilterName(BSTR* pbsFilterName) = 0;
    virtual HRESULT GetFilterVersion(int32_t* plVersion) = 0;
    virtual HRESULT CountFormats(int32_t* plNumEntries) = 0;
    virtual HRESULT GetIndExtension(int32_t lIndex, BSTR* pbsExtension) = 0;
    virtual HRESULT GetIndFormat(int32_t lIndex, BSTR* pbsFormat) = 0;
    virtual HRESULT GetIndNeedsExtension(int32_t lIndex, VARIANT_BOOL* pbNeedsExtension) = 0;
    virtual HRESULT GetIndDefaultBitmap(int32_t lIndex, BSTR* pbsPathName) = 0;
    virtual HRESULT GetIndDefaultMacType(int32_t lIndex, BSTR* pbsFileType) = 0;
    virtual HRESULT GetIndDefaultMacSignature(int32_t lIndex, BSTR* pbsSignature) = 0;
};

// The control's window, which hosts on this platform create and destroy explicitly around their use of
// the control (settings are loaded when it is created). CreateControlWindow answers E_FAIL when the
// window cannot be made; both may be called again and do nothing then.
class IAldraControlWindow : public IUnknown {
  public:
    virtual HRESULT CreateControlWindow() = 0;
    virtual HRESULT DestroyControlWindow() = 0;
};

// The attached file's further facts for hosts that call through vtables: the answers of the dispatch
// methods FactNames and GetFact, as wide text. A name the file lacks, and a control without a file,
// answer S_OK with "". A new interface of its own, so that IAldraFilterInfo's slots stay as they are.
class IAldraFilterFacts : public IUnknown {
  public:
    virtual HRESULT FactNames(BSTR* pbsNames) = 0;
    virtual HRESULT GetFact(BSTR bsName, BSTR* pbsValue) = 0;
};

// The attached file's whole record in one call for hosts that call through vtables: the answer of
// the dispatch method GetRecord. A new interface, so that IAldraFilterFacts' slots stay as they are;
// a filter without it answers E_NOINTERFACE, and its host asks for the facts one by one.
class IAldraFilterRecord : public IAldraFilterFacts {
  public:
    virtual HRESULT GetRecord(VARIANT_BOOL bWithFacts, BSTR* pbsRecord) = 0;
};

}  // namespace aldra
