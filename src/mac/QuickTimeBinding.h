// The run-time binding of QuickTime ("QuickTime.qts"): found and loaded when the first control
// starts it, initialised once per process, ended and unloaded when the last one stops it. Every
// routine reaches the module through its dispatcher (QuickTimeRoutines.h). The state is
// process-wide and unlocked: starts and stops come from the host's thread.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/quicktime/QuickTime.h"

namespace aldra {

// 0 when QuickTime is bound and initialised (again counted when it already was); -2093 when no
// library loads, -2094 when one lacks an entry point (it is unloaded again), or the result of
// QuickTime's initialisation.
qt::OSErr StartQuickTime(int32_t flags);
// Balances one successful StartQuickTime; the last one ends QuickTime and unloads it.
void StopQuickTime();
// Looks the entry points up in the loaded module: 0, or -2094 when one is missing or no module is
// loaded.
qt::OSErr BindQuickTime();
// The loaded module, found in this order: a "QuickTime.qts" the process has loaded already (a
// second reference to it), the one beside the host executable, the one in the system folder. Null
// when none loads.
void* FindQuickTimeLibrary();

// Hands one routine's selector and arguments to the dispatcher; -2095 while QuickTime is not bound.
intptr_t CallQuickTime(uint32_t selector, std::initializer_list<uintptr_t> args);

int32_t QuickTimeUseCount();

// Where FindQuickTimeLibrary looks besides the loaded modules: the host executable (by default
// /proc/self/exe) and the system folder (by default the folder of the filter's own module, where
// the installation puts "QuickTime.qts" beside it). Tests point them elsewhere; empty strings
// restore the defaults.
void SetQuickTimeSearchPlaces(const std::string& executablePath, const std::string& systemFolder);

}  // namespace aldra
