// Seeds for TIFF previews in the codecs of current writers: Group 4 pages, Deflate in stored
// blocks, and the same strips under the other CCITT numbers, whose codes they are not.
#pragma once
#include <string>
#include <vector>

#include "fixtures/CompressedTiff.h"
#include "fuzz/seeds/Seed.h"

namespace aldra::fuzz::seeds {

inline std::vector<Seed> CompressedTiffs() {
    using namespace aldra::testing;
    std::vector<BlackRun> runs;
    for (uint32_t y = 0; y < 20; ++y) runs.push_back({y, y + 3 + y % 5});
    const std::string g4 = Group4Rows(40, runs);
    std::string grey;
    for (uint32_t i = 0; i < 24 * 10; ++i) grey += static_cast<char>(i * 7);
    return {
        {"g4.tif", TiffWithStrip(40, 20, 1, 1, 0, 4, g4)},
        {"g3.tif", TiffWithStrip(40, 20, 1, 1, 0, 3, g4)},
        {"rle.tif", TiffWithStrip(40, 20, 1, 1, 1, 2, g4)},
        {"deflate.tif", TiffWithStrip(24, 10, 8, 1, 1, 8, StoredDeflate(grey))},
        {"deflate-rgb.tif", TiffWithStrip(8, 10, 8, 3, 2, 32946, StoredDeflate(grey))},
    };
}

}  // namespace aldra::fuzz::seeds
