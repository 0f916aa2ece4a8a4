// The thumbnail Illustrator keeps among its header comments: the size comment, the colour table, the
// marker and the run-length code in hex comment lines, drawn into targets of both depths; and the
// run-length code on its own over the raw input.
#pragma once
#include <vector>

#include "fuzz/targets/Pictures.h"
#include "preview/Ai7Thumbnail.h"

namespace aldra::fuzz {

inline int FuzzAi7Thumbnail(const uint8_t* data, size_t size) {
    std::vector<uint8_t> pixels(size < 64 ? 64 : size);
    ALDRA_FUZZ_CHECK(DecodeThumbnailRuns(data, size, pixels.data(), pixels.size()) <= pixels.size());
    DecodeIntoTargets("ai7/input.ai", data, size,
                      [](EpsReader* eps, RowSink* sink) { return DecodeAi7Thumbnail(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
