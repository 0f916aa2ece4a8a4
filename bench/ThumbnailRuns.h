// The host's thumbnail request timed: one control attached to one file, one 256-pixel thumbnail
// (stored pictures preferred, as the host asks by default) per benchmark iteration.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "control/FilterCtrl.h"

namespace aldra::bench {

// The number of thumbnails drawn; the run is marked failed unless every iteration drew one.
inline int64_t DrawThumbnails(benchmark::State& state, const std::string& path) {
    auto* control = new CFilterCtrl();
    control->CreateWindow();
    if (!control->AttachFile(path)) state.SkipWithError("not attached");
    int64_t made = 0;
    for (auto _ : state) {
        IDispatch* picture = control->GetThumbnail(256, 256, true);
        if (picture) {
            picture->Release();
            ++made;
        }
    }
    if (made != static_cast<int64_t>(state.iterations())) state.SkipWithError("no thumbnail");
    control->DestroyWindow();
    control->Release();
    return made;
}

// For every case (a struct with name, path, fileMB, peakMB and attachedMB): its peaks, each in a
// fresh child taken before this process grows (a child starts with its parent's pages), then the
// benchmark `run` as the median of 5 repetitions, then a table of the peaks. `verdict` adds a note
// to a case's row.
template <typename Case, typename Run, typename Verdict>
void RunThumbnailCases(std::vector<Case>& cases, Run run, Verdict verdict) {
    for (Case& c : cases) {
        c.peakMB = MeasurePeak(c.path, true);
        c.attachedMB = MeasurePeak(c.path, false);
    }
    // CPU time of the whole process: a large drawing is drawn on a second thread.
    for (const Case& c : cases)
        benchmark::RegisterBenchmark(c.name, run, &c)
            ->MeasureProcessCPUTime()
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\npeak memory of one thumbnail in a fresh process (attach only in brackets):\n");
    for (const Case& c : cases)
        std::printf("  %-28s %7.2f MB file  %6.2f MB peak  (%.2f MB)%s\n", c.name, c.fileMB, c.peakMB,
                    c.attachedMB, verdict(c));
}

}  // namespace aldra::bench
