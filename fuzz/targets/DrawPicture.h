// QuickDraw pictures drawn by the QuickTime module into worlds of each depth, at the picture's own
// size scale and into a destination that reaches past the world, as DrawPicture is asked to.
#pragma once
#include <vector>

#include "fuzz/targets/Scratch.h"
#include "platform/quicktime/PictDraw.h"

namespace aldra::fuzz {

inline int FuzzDrawPicture(const uint8_t* data, size_t size) {
    struct World {
        uint32_t depth;
        int32_t width, height;
        qt::Box dest;
    } worlds[] = {
        {1, 37, 23, {0, 0, 37, 23}},
        {8, 16, 40, {0, 0, 16, 40}},
        {24, 29, 17, {-5, -3, 40, 30}},
    };
    for (const World& w : worlds) {
        const uint32_t stride = (w.depth * static_cast<uint32_t>(w.width) + 31) / 32 * 4;
        std::vector<uint8_t> bits(static_cast<size_t>(stride) * static_cast<uint32_t>(w.height), 0);
        const qt::PixelTarget target{bits.data(), w.width, w.height, stride, w.depth};
        (void)qt::DrawPict(data, static_cast<uint32_t>(size), target, w.dest);
    }
    return 0;
}

}  // namespace aldra::fuzz
