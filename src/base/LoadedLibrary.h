// Libraries that only some runs need (SQLite, libpq, libtiff, FreeType and fontconfig) are loaded at
// their first use through a table of the entry points the system calls: a process that never needs
// one neither maps it nor binds its symbols.
#pragma once
#include <dlfcn.h>

namespace aldra {

template <typename Call>
bool TakeEntry(void* library, const char* name, Call* call) {
    *call = reinterpret_cast<Call>(dlsym(library, name));
    return *call != nullptr;
}

// Opens `file` and lets `takeAll` fill `calls` from it. A library that lacks one of the entry points
// is closed again and the table cleared. A complete one stays loaded for the life of the process:
// what it hands out (connections, handles, faces) may outlive any one caller.
template <typename Calls, typename TakeAll>
bool LoadEntries(const char* file, Calls* calls, TakeAll takeAll) {
    void* library = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return false;
    if (takeAll(library, calls)) return true;
    dlclose(library);
    *calls = Calls{};
    return false;
}

}  // namespace aldra
