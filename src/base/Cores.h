// The processor cores this process may run on, for work that only pays on two or more.
#pragma once
#include <sched.h>

#include <thread>

namespace aldra {

// Cores in the process's affinity mask (a container or `taskset` may allow fewer than the machine
// has); at least 1.
int UsableCores();
// Keeps a thread and its caller apart for the life of this object: the thread runs on every usable
// core but the caller's, and the caller stays on its core, which it gets back the run of when this
// goes. A thread woken beside its waker (as the scheduler is apt to place it), or a waker moved onto
// its thread's core, would take turns with the other instead of running beside it. Nothing when
// fewer than two cores are usable.
class CoresApart {
  public:
    explicit CoresApart(std::thread& thread);
    ~CoresApart();
    CoresApart(const CoresApart&) = delete;
    CoresApart& operator=(const CoresApart&) = delete;

  private:
    bool pinned_ = false;
    cpu_set_t callers_{};  // the caller's own mask, given back at the end
};

}  // namespace aldra
