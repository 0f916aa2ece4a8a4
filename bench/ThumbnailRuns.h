// The host's thumbnail request timed: one control attached to one file, one 256-pixel thumbnail
// (stored pictures preferred, as the host asks by default) per benchmark iteration.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

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

}  // namespace aldra::bench
