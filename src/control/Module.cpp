#include "control/Module.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <cstdlib>
#include <mutex>

#include "platform/registry/Registry.h"

namespace aldra {

namespace {

constexpr const char* kFilterManagerKey = "Software\\Aldra\\FilterManager";

struct ModuleState {
    std::once_flag started;
    void* localLibrary = nullptr;
    const ResourceModule* localResourceModule = nullptr;
    const ResourceModule* savedResourceHandle = nullptr;
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

void* ModuleBase() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleBase), &info) == 0) return nullptr;
    return info.dli_fbase;
}

std::string LocalLibraryPath() {
    const char* named = std::getenv(kLocalModuleVariable);
    if (named != nullptr && named[0] != 0) return named;
    HKEY key = nullptr;
    std::string path;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kFilterManagerKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegGetString(key, kLocalModuleVariable, &path);
        RegCloseKey(key);
    }
    return path;
}

// A missing or unusable library leaves the filter with its own resources: a user without the
// language pack still gets a working filter.
void LoadLocalisation(ModuleState* state) {
    std::string path = LocalLibraryPath();
    if (path.empty()) return;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return;
    auto entry = reinterpret_cast<LocalModuleEntry>(dlsym(library, kLocalModuleEntry));
    const ResourceModule* module = entry ? entry(ModuleBase(), 1, 0, kFilterManagerLocation) : nullptr;
    if (module == nullptr) {
        dlclose(library);
        return;
    }
    state->localLibrary = library;
    state->localResourceModule = module;
    state->savedResourceHandle = GetResourceHandle();
    SetResourceHandle(module);
}

}  // namespace

void StartFilterModule() {
    ModuleState& state = State();
    std::call_once(state.started, [&] { LoadLocalisation(&state); });
}

void StopFilterModule() {
    ModuleState& state = State();
    if (state.localResourceModule == nullptr) return;
    if (state.savedResourceHandle != nullptr) SetResourceHandle(state.savedResourceHandle);
    state.localResourceModule = nullptr;
    state.savedResourceHandle = nullptr;
}

void UnloadLocalResourceModule() {
    ModuleState& state = State();
    // Nothing may point into the library once it is gone, so the own resources come back first.
    StopFilterModule();
    if (state.localLibrary != nullptr) dlclose(state.localLibrary);
    state.localLibrary = nullptr;
}

bool HasLocalResourceModule() {
    return State().localResourceModule != nullptr;
}

std::string ModuleFilePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) == 0 || info.dli_fname == nullptr) return {};
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved) == nullptr) return info.dli_fname;
    return resolved;
}

std::string CompanionModulePath(const char* variable, const char* file) {
    const char* named = std::getenv(variable);
    if (named != nullptr && named[0] != '\0') return named;
    std::string own = ModuleFilePath();
    size_t slash = own.rfind('/');
    if (slash == std::string::npos) return {};
    return own.substr(0, slash + 1) + file;
}

}  // namespace aldra
