// What a host pays to start the filter: loading the module, creating the control and asking it one
// question (QuickTest on a file's first bytes), each time in a fresh process, as a thumbnailer or a
// catalogue worker starts. The dialogs module, which brings Qt, must not be part of that; the second
// row shows what loading it costs the first time a dialog is asked for.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "fixtures/DispatchHost.h"
#include "support/TempDir.h"

namespace {

using aldra::IDispatch;
using aldra::testing::ByteArray;
using aldra::testing::CreateFilterControl;
using aldra::testing::Invoke;
using aldra::testing::Str;

constexpr int kRuns = 21;

struct Times {
    double startWall, startCpu, dialogsWall, dialogsCpu;  // milliseconds
};

double Now(clockid_t clock) {
    timespec time{};
    clock_gettime(clock, &time);
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
}

bool StartFilter() {
    void* module = dlopen(ALDRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return false;
    IDispatch* control = CreateFilterControl(module);
    if (control == nullptr) return false;
    std::string head = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 72 72\n";
    bool answered = !Invoke(control, "QuickTest", {Str("a.eps"), ByteArray(head)}).Text().empty();
    control->Release();
    return answered;
}

Times MeasureOnce() {
    Times times{};
    double wall = Now(CLOCK_MONOTONIC), cpu = Now(CLOCK_PROCESS_CPUTIME_ID);
    if (!StartFilter()) std::_Exit(1);
    times.startWall = Now(CLOCK_MONOTONIC) - wall;
    times.startCpu = Now(CLOCK_PROCESS_CPUTIME_ID) - cpu;
    wall = Now(CLOCK_MONOTONIC), cpu = Now(CLOCK_PROCESS_CPUTIME_ID);
    if (dlopen(ALDRA_UI_MODULE_PATH, RTLD_NOW | RTLD_LOCAL) == nullptr) std::_Exit(1);
    times.dialogsWall = Now(CLOCK_MONOTONIC) - wall;
    times.dialogsCpu = Now(CLOCK_PROCESS_CPUTIME_ID) - cpu;
    return times;
}

bool MeasureInChild(Times* times) {
    int ends[2];
    if (pipe(ends) != 0) return false;
    pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        Times measured = MeasureOnce();
        std::_Exit(write(ends[1], &measured, sizeof measured) == sizeof measured ? 0 : 1);
    }
    close(ends[1]);
    bool read_ = read(ends[0], times, sizeof *times) == sizeof *times;
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return read_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    aldra::testing::TempDir registry;
    setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1);
    std::vector<double> startWall, startCpu, dialogsWall, dialogsCpu;
    for (int run = 0; run < kRuns; ++run) {
        Times times{};
        if (!MeasureInChild(&times)) {
            std::fprintf(stderr, "bench_module_start: a run failed\n");
            return 1;
        }
        startWall.push_back(times.startWall);
        startCpu.push_back(times.startCpu);
        dialogsWall.push_back(times.dialogsWall);
        dialogsCpu.push_back(times.dialogsCpu);
    }
    std::printf("fresh process, median of %d | wall | CPU\n", kRuns);
    std::printf("filter module: dlopen, control, QuickTest | %.2f ms | %.2f ms\n", Median(startWall),
                Median(startCpu));
    std::printf("dialogs module with Qt, loaded on a first dialog | %.2f ms | %.2f ms\n", Median(dialogsWall),
                Median(dialogsCpu));
    return 0;
}
