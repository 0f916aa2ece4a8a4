// The pixels a picture is drawn into: the bits of a graphics world, rows bottom-up as a DIB section
// keeps them. Depth 1: a set bit is black; depth 8: the index is the amount of ink (the world's
// table maps index i to grey 255 - i); depth 24: blue, green, red.
#pragma once
#include <cstdint>

namespace aldra::qt {

struct PixelTarget {
    uint8_t* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
    uint32_t depth = 0;
};

// A rectangle in target pixels, right and bottom excluded.
struct Box {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};

inline Box Intersect(const Box& a, const Box& b) {
    return {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

inline Box WholeTarget(const PixelTarget& t) {
    return {0, 0, t.width, t.height};
}

// x and y inside the target; the colour goes in as the target's depth can show it.
void PutPixel(const PixelTarget& target, int32_t x, int32_t y, const uint8_t rgb[3]);
// White, clipped to the target.
void EraseBox(const PixelTarget& target, const Box& box);

}  // namespace aldra::qt
