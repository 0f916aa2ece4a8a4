#include "mac/QuickTimeBinding.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstring>

#include "platform/gdi/Gdi.h"

#ifndef ALDRA_QUICKTIME_SYSTEM_FOLDER
#define ALDRA_QUICKTIME_SYSTEM_FOLDER "/usr/local/lib/aldra"
#endif

namespace aldra {

namespace {

using qt::OSErr;

intptr_t UnboundDispatcher(qt::QtCall*) {
    return qt::kErrNotBound;
}
intptr_t UnboundComponent(void*, void*) {
    return qt::kErrNotBound;
}

struct Binding {
    void* module = nullptr;
    int32_t useCount = 0;
    qt::QtDispatcherEntry dispatcher = UnboundDispatcher;
    qt::QtComponentEntry callComponent = UnboundComponent;
    qt::QtComponentEntry callComponentWithStorage = UnboundComponent;
    // Nothing is bound before the first start, and a call then fails without loading anything.
    OSErr (*pendingBinder)() = nullptr;
    std::string executablePath;
    std::string systemFolder;
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

// The module's worlds are made of the caller's GDI (see QuickTime.h).
const qt::QtGdi kCallerGdi = {&CreateDIBSection, &DeleteObject};

void Unbind(Binding* b) {
    b->dispatcher = UnboundDispatcher;
    b->callComponent = UnboundComponent;
    b->callComponentWithStorage = UnboundComponent;
    b->pendingBinder = BindQuickTime;
}

void Unload(Binding* b) {
    if (b->module != nullptr) dlclose(b->module);
    b->module = nullptr;
}

void* Load(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

int FindLoadedModule(dl_phdr_info* info, size_t, void* data) {
    const char* name = info->dlpi_name;
    if (name == nullptr || name[0] == '\0') return 0;
    const char* slash = std::strrchr(name, '/');
    if (std::strcmp(slash ? slash + 1 : name, qt::kLibraryName) != 0) return 0;
    *static_cast<std::string*>(data) = name;
    return 1;
}

// Both places are looked up once: neither the running program nor the folder of a loaded module
// changes, and a host without the module looks for it again at every attach.
std::string ExecutablePath() {
    const std::string& chosen = TheBinding().executablePath;
    if (!chosen.empty()) return chosen;
    static const std::string running = [] {
        char path[4096];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        return n <= 0 ? std::string() : std::string(path, static_cast<size_t>(n));
    }();
    return running;
}

// The folder the filter is installed in: that of the module holding this code, wherever the
// installation's prefix put it; the configured library folder when the loader cannot tell.
std::string SystemFolder() {
    const std::string& chosen = TheBinding().systemFolder;
    if (!chosen.empty()) return chosen;
    static const std::string installed = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&FindQuickTimeLibrary), &info) != 0 && info.dli_fname != nullptr) {
            const char* slash = std::strrchr(info.dli_fname, '/');
            if (slash != nullptr) return std::string(info.dli_fname, slash);
        }
        return std::string(ALDRA_QUICKTIME_SYSTEM_FOLDER);
    }();
    return installed;
}

template <class Entry>
bool LookUp(void* module, const char* name, Entry* entry) {
    void* address = dlsym(module, name);
    if (address == nullptr) return false;
    *entry = reinterpret_cast<Entry>(address);
    return true;
}

}  // namespace

void* FindQuickTimeLibrary() {
    std::string loaded;
    dl_iterate_phdr(FindLoadedModule, &loaded);
    if (!loaded.empty()) {
        if (void* module = Load(loaded)) return module;
    }
    const std::string executable = ExecutablePath();
    const size_t slash = executable.rfind('/');
    if (slash != std::string::npos) {
        if (void* module = Load(executable.substr(0, slash + 1) + qt::kLibraryName)) return module;
    }
    return Load(SystemFolder() + "/" + qt::kLibraryName);
}

OSErr BindQuickTime() {
    Binding& b = TheBinding();
    qt::QtComponentEntry withStorage, component;
    qt::QtDispatcherEntry dispatcher;
    if (b.module == nullptr || !LookUp(b.module, qt::kCallComponentWithStorageName, &withStorage) ||
        !LookUp(b.module, qt::kCallComponentName, &component) ||
        !LookUp(b.module, qt::kDispatcherName, &dispatcher)) {
        return qt::kErrMissingEntry;
    }
    b.callComponentWithStorage = withStorage;
    b.callComponent = component;
    b.dispatcher = dispatcher;
    b.pendingBinder = nullptr;
    return qt::noErr;
}

intptr_t CallQuickTime(uint32_t selector, std::initializer_list<uintptr_t> args) {
    Binding& b = TheBinding();
    if (b.pendingBinder != nullptr) (void)b.pendingBinder();  // a failed binding leaves the stub
    qt::QtCall call{selector, &kCallerGdi, {}};
    size_t i = 0;
    for (uintptr_t a : args)
        if (i < qt::kMaxCallArgs) call.args[i++] = a;
    return b.dispatcher(&call);
}

OSErr StartQuickTime(int32_t flags) {
    Binding& b = TheBinding();
    if (b.useCount >= 1) {
        ++b.useCount;
        return qt::noErr;
    }
    b.module = FindQuickTimeLibrary();
    if (b.module == nullptr) return qt::kErrCannotLoad;
    OSErr result = BindQuickTime();
    if (result == qt::noErr)
        result = static_cast<OSErr>(CallQuickTime(qt::kSelInitialize, {static_cast<uintptr_t>(flags)}));
    if (result == qt::noErr) {
        ++b.useCount;
        return qt::noErr;
    }
    Unload(&b);
    Unbind(&b);
    return result;
}

void StopQuickTime() {
    Binding& b = TheBinding();
    if (b.useCount <= 0) return;
    if (--b.useCount > 0) return;
    (void)CallQuickTime(qt::kSelTerminate, {});  // ending has no failure to act on
    Unbind(&b);
    Unload(&b);
}

int32_t QuickTimeUseCount() {
    return TheBinding().useCount;
}

void SetQuickTimeSearchPlaces(const std::string& executablePath, const std::string& systemFolder) {
    TheBinding().executablePath = executablePath;
    TheBinding().systemFolder = systemFolder;
}

}  // namespace aldra
