#include "control/ClassFactory.h"

#include <new>

#include "aldra/Guids.h"
#include "control/FilterCtrl.h"
#include "platform/com/Guarded.h"

namespace aldra {

namespace {

// Factories are static: their reference count never frees them, but a host's lock keeps the
// module loaded (DllCanUnloadNow).
class ClassFactory : public IClassFactory {
  public:
    using Create = HRESULT (*)(REFIID iid, void** out);
    ClassFactory(const CLSID& clsid, Create create) : clsid_(clsid), create_(create) {}

    const CLSID& clsid() const { return clsid_; }

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }

    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return Guarded([&] { return create_(iid, out); });
    }
    HRESULT LockServer(int32_t lock) override {
        if (lock) {
            ModuleLock::Add();
        } else {
            ModuleLock::Remove();
        }
        return S_OK;
    }

  private:
    CLSID clsid_;
    Create create_;
};

HRESULT CreateControl(REFIID iid, void** out) {
    CFilterCtrl* control = new (std::nothrow) CFilterCtrl();
    if (control == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = control->QueryInterface(iid, out);
    control->Release();
    return hr;
}

// The property pages live in the dialogs module, which is loaded only when a page is shown;
// without it no page can be made, and the property frame that asks for one fails.
HRESULT CreatePropertyPage(REFIID, void**) {
    return CLASS_E_CLASSNOTAVAILABLE;
}

ClassFactory gControlFactory{CLSID_AldraFilter, CreateControl};
ClassFactory gGeneralPageFactory{CLSID_FilterMediaProperty, CreatePropertyPage};
ClassFactory gOpiPageFactory{CLSID_FilterMediaOPIProperty, CreatePropertyPage};
ClassFactory gLinksPageFactory{CLSID_FilterMediaLinksProperties, CreatePropertyPage};

ClassFactory* const kFactories[] = {&gControlFactory, &gGeneralPageFactory, &gOpiPageFactory,
                                    &gLinksPageFactory};

}  // namespace

HRESULT GetClassFactory(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    for (ClassFactory* factory : kFactories) {
        if (factory->clsid() == clsid) return factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace aldra
