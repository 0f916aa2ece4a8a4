// Files with resource forks for the tests: a fork of given resources written where the module
// looks for it, and the pictures the tests draw (a pattern of known colours).
#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fixtures/MacFork.h"
#include "support/TempDir.h"

namespace aldra::testing {

// Colours whose components are all 0 or 255: every pixel format keeps them exactly.
inline const std::vector<uint32_t> kPureColours = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00,
                                                   0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};

inline PictRaster PatternRaster(int width, int height, int pixelSize, bool pixMap, int packType = 0) {
    PictRaster r{width, height, pixelSize, pixMap, packType, {}, {}};
    const uint32_t n = pixelSize > 8 ? 8 : std::min<uint32_t>(8, 1u << pixelSize);
    r.palette.assign(kPureColours.begin(), kPureColours.begin() + n);
    if (!pixMap) r.palette = {0xFFFFFF, 0x000000};  // a bitmap's 1 is black
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t i = static_cast<uint32_t>(x * 3 + y) % n;  // neighbours differ across and down
            r.pixels.push_back(pixelSize > 8 ? kPureColours[i] : i);
        }
    return r;
}

// The colour the pattern shows at (x, y).
inline uint32_t PatternColour(const PictRaster& r, int x, int y) {
    const uint32_t v = r.pixels[static_cast<size_t>(y * r.width + x)];
    return r.pixelSize > 8 ? v : r.palette[v];
}

// A version 2 picture of the whole raster, drawn by a DirectBitsRect (32 bits) or the opcode given.
inline std::string PatternPict(const PictRaster& r, uint32_t op = 0x9A) {
    const PictRect frame{0, 0, static_cast<int16_t>(r.height), static_cast<int16_t>(r.width)};
    return PictBuilder::Version2(frame).Raster(op, r, frame, frame).End();
}

// The fork's resources written as dir/._name, the companion macOS and unpacked archives leave.
inline void WriteCompanion(const TempDir& dir, const std::string& name,
                           const std::vector<MacResource>& resources) {
    dir.Write("._" + name, MakeAppleDouble(MakeResourceFork(resources)));
}

}  // namespace aldra::testing
