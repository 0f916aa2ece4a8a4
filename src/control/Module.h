// The filter module: its one-time start (choosing the resource module, with an optional localisation
// library), its exit, and where the module's own file lies.
#pragma once
#include <string>

#include "platform/resources/Resources.h"

namespace aldra {

// The localisation library is looked up under this environment variable first, then under the
// registry value of the same name in HKEY_CURRENT_USER\Software\Aldra\FilterManager. Its entry
// "AldraLocal_1" receives the module's base address, 1, 0 and the filter manager's registry location,
// and returns the resource module to use, or null to keep the filter's own.
inline constexpr const char* kLocalModuleVariable = "ALDRA_LOCAL_MODULE";
inline constexpr const char* kLocalModuleEntry = "AldraLocal_1";
inline constexpr const char* kFilterManagerLocation = "HKEY_CURRENT_USER\\Software\\Aldra\\FilterManager";
using LocalModuleEntry = const ResourceModule* (*)(void* instance, int one, int zero, const char* location);

// Runs once per process, on the first call; later calls do nothing.
void StartFilterModule();
// Puts the filter's own resources back and forgets the localisation module (which stays loaded).
void StopFilterModule();
// Unloads the localisation library, if one was loaded (unregistration does this).
void UnloadLocalResourceModule();
bool HasLocalResourceModule();

// The absolute path of the file this code was loaded from (the shared module, or the program it is
// linked into); empty when the system cannot tell.
std::string ModuleFilePath();
// A module that ships beside this one: the file the environment variable names when it is set,
// else `file` in this module's folder; empty when that folder cannot be told.
std::string CompanionModulePath(const char* variable, const char* file);

}  // namespace aldra
