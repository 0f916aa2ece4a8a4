#include "platform/quicktime/PixelTarget.h"

#include <cstring>

namespace aldra::qt {

namespace {

uint8_t* RowOf(const PixelTarget& t, int32_t y) {
    return t.bits + static_cast<uint64_t>(t.height - 1 - y) * t.stride;
}

uint32_t Luminance(const uint8_t rgb[3]) {
    return (rgb[0] * 30u + rgb[1] * 59u + rgb[2] * 11u) / 100u;
}

}  // namespace

void PutPixel(const PixelTarget& t, int32_t x, int32_t y, const uint8_t rgb[3]) {
    uint8_t* row = RowOf(t, y);
    switch (t.depth) {
        case 1: {
            const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
            if (Luminance(rgb) < 128)
                row[x >> 3] |= bit;
            else
                row[x >> 3] &= static_cast<uint8_t>(~bit);
            break;
        }
        case 8:
            row[x] = static_cast<uint8_t>(255 - Luminance(rgb));
            break;
        case 24:
            row[3 * x] = rgb[2];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[0];
            break;
        default:
            break;
    }
}

void EraseBox(const PixelTarget& t, const Box& box) {
    static const uint8_t kWhite[3] = {255, 255, 255};
    const Box b = Intersect(box, WholeTarget(t));
    if (b.Empty()) return;
    const auto width = static_cast<size_t>(b.right - b.left);
    for (int32_t y = b.top; y < b.bottom; ++y) {
        uint8_t* row = RowOf(t, y);
        if (t.depth == 8) {
            std::memset(row + b.left, 0, width);  // no ink
        } else if (t.depth == 24) {
            std::memset(row + 3 * static_cast<size_t>(b.left), 0xFF, 3 * width);
        } else {
            for (int32_t x = b.left; x < b.right; ++x) PutPixel(t, x, y, kWhite);
        }
    }
}

}  // namespace aldra::qt
