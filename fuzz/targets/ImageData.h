// The %ImageData picture of a whole file: the comment's parameters, the search for the start word,
// and binary, hexadecimal and JPEG data, drawn into targets of both depths.
#pragma once
#include "fuzz/targets/Pictures.h"
#include "preview/ImageData.h"

namespace aldra::fuzz {

inline int FuzzImageData(const uint8_t* data, size_t size) {
    DecodeIntoTargets("imagedata/input.eps", data, size,
                      [](EpsReader* eps, RowSink* sink) { return DecodeImageData(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
