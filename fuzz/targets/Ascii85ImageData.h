// %ImageData pictures whose samples are ASCII85 text: the comment, the groups, "z" and the end
// mark, rows that end inside a group, in every mode, drawn into targets of both depths.
#pragma once
#include "fuzz/targets/Pictures.h"
#include "preview/ImageData.h"

namespace aldra::fuzz {

inline int FuzzAscii85ImageData(const uint8_t* data, size_t size) {
    DecodeIntoTargets("ascii85/input.eps", data, size,
                      [](EpsReader* eps, RowSink* sink) { return DecodeAscii85ImageData(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
