// The module's only exports: self-registration and the class-object lookup a host loads it by.
#include "control/ClassFactory.h"
#include "control/Module.h"
#include "control/Registration.h"
#include "platform/com/Com.h"
#include "platform/com/Guarded.h"

using aldra::HRESULT;

namespace {

__attribute__((constructor)) void StartModule() {
    aldra::StartFilterModule();
}

__attribute__((destructor)) void StopModule() {
    aldra::StopFilterModule();
}

}  // namespace

extern "C" {

HRESULT DllRegisterServer() {
    return aldra::Guarded([] { return aldra::RegisterFilterModule(aldra::ModuleFilePath()); });
}

HRESULT DllUnregisterServer() {
    return aldra::Guarded([] {
        HRESULT hr = aldra::UnregisterFilterModule();
        aldra::UnloadLocalResourceModule();
        return hr;
    });
}

HRESULT DllGetClassObject(aldra::REFCLSID clsid, aldra::REFIID iid, void** out) {
    return aldra::Guarded([&] { return aldra::GetClassFactory(clsid, iid, out); });
}

HRESULT DllCanUnloadNow() {
    return aldra::ModuleLock::Count() == 0 ? aldra::S_OK : aldra::S_FALSE;
}

}  // extern "C"
