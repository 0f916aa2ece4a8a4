// The EPSI preview of a whole file: the search for "%%BeginPreview:", its numbers, and the
// hexadecimal comment lines, drawn into targets of both depths.
#pragma once
#include "fuzz/targets/Pictures.h"
#include "preview/EpsiPreview.h"

namespace aldra::fuzz {

inline int FuzzEpsi(const uint8_t* data, size_t size) {
    DecodeIntoTargets("epsi/input.eps", data, size,
                      [](EpsReader* eps, RowSink* sink) { return DecodeEpsiPreview(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
