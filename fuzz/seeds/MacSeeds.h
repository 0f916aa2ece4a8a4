// Seeds of the QuickTime module's targets: resource forks in each container the module reads, and
// pictures with each raster opcode among other opcodes.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "fixtures/Bytes.h"
#include "fixtures/MacFork.h"

namespace aldra::fuzz::seeds {

using NamedBytes = std::vector<std::pair<std::string, std::string>>;

inline testing::PictRaster SeedRaster(int width, int height, int pixelSize, bool pixMap, int packType) {
    testing::PictRaster r{
        width, height, pixelSize, pixMap, packType, {}, {0xFFFFFF, 0xFF0000, 0x00FF00, 0x000000}};
    const uint32_t colours = pixelSize > 8 ? 0xFFFFFF : (pixMap ? (pixelSize == 1 ? 2u : 4u) : 2u);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            r.pixels.push_back(pixelSize > 8 ? uint32_t(x * 40503u + y * 977u) & colours
                                             : uint32_t(x + y) % colours);
    return r;
}

inline NamedBytes PictureSeeds() {
    using testing::PictBuilder;
    const testing::PictRect frame{0, 0, 6, 20};
    const testing::PictRect half{0, 0, 6, 10};
    auto v2 = [&] { return PictBuilder::Version2(frame); };
    NamedBytes out = {
        {"v1-bits",
         PictBuilder::Version1(frame).Raster(0x90, SeedRaster(20, 6, 1, false, 0), frame, frame).End()},
        {"v1-packbits-rgn", PictBuilder::Version1(frame)
                                .Raster(0x99, SeedRaster(80, 6, 1, false, 0), frame, frame, &half)
                                .End()},
        {"v2-indexed8", v2().Raster(0x98, SeedRaster(20, 6, 8, true, 0), frame, frame).End()},
        {"v2-indexed2-rgn", v2().Raster(0x99, SeedRaster(40, 6, 2, true, 0), frame, frame, &half).End()},
        {"v2-direct32", v2().Raster(0x9A, SeedRaster(20, 6, 32, true, 4), frame, frame).End()},
        {"v2-direct32-nopad", v2().Raster(0x9A, SeedRaster(20, 6, 32, true, 2), frame, frame).End()},
        {"v2-direct16", v2().Raster(0x9B, SeedRaster(20, 6, 16, true, 3), frame, frame, &half).End()},
        {"v2-vector-and-clip", v2().Op(0x0001, testing::RectRegion(half))
                                   .Op(0x0030, std::string(8, '\0'))
                                   .Op(0x00A1, testing::Be16(100) + testing::Be16(2) + "ab")
                                   .Op(0x0012, testing::Be16(2) + std::string(14, '\0'))
                                   .Raster(0x9A, SeedRaster(20, 6, 32, true, 1), frame, frame)
                                   .End()},
    };
    return out;
}

inline NamedBytes MacForkSeeds() {
    std::vector<testing::MacResource> resources = {{"PICT", 256, PictureSeeds()[2].second},
                                                   {"PICT", 130, PictureSeeds()[0].second},
                                                   {"Thmb", 256, std::string(110, '\0')}};
    const std::string fork = testing::MakeResourceFork(resources);
    return {
        {"appledouble", testing::MakeAppleDouble(fork)},
        {"macbinary", testing::MakeMacBinary("art.eps", "%!PS-Adobe-3.0\n", fork)},
        {"bare-fork", fork},
    };
}

}  // namespace aldra::fuzz::seeds
