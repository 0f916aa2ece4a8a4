#include "base/Cores.h"

#include <pthread.h>
#include <sched.h>

namespace aldra {

int UsableCores() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        const unsigned n = std::thread::hardware_concurrency();
        return n > 0 ? static_cast<int>(n) : 1;
    }
    const int n = CPU_COUNT(&allowed);
    return n > 0 ? n : 1;
}

CoresApart::CoresApart(std::thread& thread) {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2) return;
    const int here = sched_getcpu();
    if (here < 0 || here >= CPU_SETSIZE || !CPU_ISSET(here, &allowed)) return;
    callers_ = allowed;
    cpu_set_t others = allowed;
    CPU_CLR(here, &others);
    if (pthread_setaffinity_np(thread.native_handle(), sizeof others, &others) != 0) return;
    cpu_set_t mine;
    CPU_ZERO(&mine);
    CPU_SET(here, &mine);
    pinned_ = sched_setaffinity(0, sizeof mine, &mine) == 0;
}

CoresApart::~CoresApart() {
    if (pinned_) (void)sched_setaffinity(0, sizeof callers_, &callers_);
}

}  // namespace aldra
