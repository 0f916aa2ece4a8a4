// Work done in a child process of its own, for the peak memory of one thumbnail: a child starts with
// its parent's resident pages, so the benchmarks take their peaks before they grow, and write their
// large files in a child too, so that what the writer held never counts.
#pragma once
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "control/FilterCtrl.h"

namespace aldra::bench {

// Runs `work` in a child process and returns its answer, or -1 when it failed.
template <typename Work>
double InChild(Work work) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        double answer = work();
        _exit(write(pipeEnds[1], &answer, sizeof answer) == sizeof answer ? 0 : 1);
    }
    close(pipeEnds[1]);
    double answer = -1;
    if (read(pipeEnds[0], &answer, sizeof answer) != sizeof answer) answer = -1;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : -1;
}

inline double PeakMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The peak of a process that attaches the file and, when asked, draws one 256-pixel thumbnail
// (`preferStored` as the host asks); -1 when no thumbnail came.
inline double MeasurePeak(const std::string& path, bool thumbnail, bool preferStored = true) {
    return InChild([&] {
        auto* control = new CFilterCtrl();
        control->CreateWindow();
        bool ok = control->AttachFile(path);
        if (ok && thumbnail) {
            IDispatch* picture = control->GetThumbnail(256, 256, preferStored);
            ok = picture != nullptr;
            if (picture) picture->Release();
        }
        control->DestroyWindow();
        control->Release();
        return ok ? PeakMB() : -1.0;
    });
}

}  // namespace aldra::bench
