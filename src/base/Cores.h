// The processor cores this process may run on, for work that only pays on two or more.
#pragma once
#include <thread>

namespace aldra {

// Cores in the process's affinity mask (a container or `taskset` may allow fewer than the machine
// has); at least 1.
int UsableCores();
// Lets the thread run on every usable core but the caller's: a thread woken beside its waker (as
// the scheduler is apt to place it) would take turns with the waker instead of running beside it.
// Nothing when fewer than two cores are usable.
void KeepOffCallersCore(std::thread& thread);

}  // namespace aldra
