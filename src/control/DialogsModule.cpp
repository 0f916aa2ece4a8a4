#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "control/Module.h"
#include "control/UiHooks.h"

namespace aldra {

namespace {

bool HooksInstalled() {
    const UiHooks& hooks = CurrentUiHooks();
    return hooks.runSetupSheet != nullptr && hooks.showPropertyFrame != nullptr;
}

}  // namespace

// Tried once: a module that is missing or lacks its entry stays missing for the process. The module
// stays loaded, as the toolkit it brings cannot be unloaded.
bool LoadUiModule() {
    static bool tried = false;
    if (HooksInstalled() || tried) return HooksInstalled();
    tried = true;
    std::string path = CompanionModulePath(kUiModuleVariable, kUiModuleFile);
    if (path.empty()) return false;
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return false;
    auto install = reinterpret_cast<InstallUiHooks>(dlsym(module, kUiModuleEntry));
    if (install == nullptr) return false;
    install(&CurrentUiHooks(), &GetResourceHandle);
    return HooksInstalled();
}

}  // namespace aldra
