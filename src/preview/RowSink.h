// How every picture decoder hands over what it decoded: bands of whole rows, top band first, in
// the picture's natural pixel order and in the format the samples come in. The decoder knows
// nothing of the target; the sink turns the rows into the target's pixels (light values into ink,
// CMYK and CIELAB through the colour tables) and places them. A band counts as used up once it is
// handed over: the sink may convert or re-stride its bytes in place, within its capacity.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/Raster.h"

namespace aldra {

enum class RowFormat : uint8_t {
    kInk,      // 1, 4 or 8 bits: amounts of ink (1 bit: set is black), shown through the grey table
    kLight,    // 1, 4 or 8 bits: the same with light values (1 bit: set is white; 8 bits: 255 white)
    kIndexed,  // 1, 4 or 8 bits: entries of the band's colour table (the grey table when it has none)
    kRgb,      // 24 bits: red, green, blue
    kBgr,      // 24 bits: blue, green, red
    kCmyk,     // 32 bits: cyan, magenta, yellow, black as amounts of ink
    kLab,      // 24 bits: L* scaled to 0..255, a* + 128, b* + 128
};

struct RowBand {
    RowFormat format = RowFormat::kInk;
    uint32_t bitsPerPixel = 8;
    uint32_t width = 0;   // of the picture and of every row, in pixels
    uint32_t height = 0;  // of the whole picture
    uint32_t top = 0;     // the band's first row in the picture
    uint32_t rows = 0;
    uint32_t rowBytes = 0;
    uint8_t* pixels = nullptr;
    uint32_t capacity = 0;  // bytes at pixels the sink may use, at least rowBytes x rows
    const ColourRef* colours = nullptr;
    uint32_t colourCount = 0;
};

class RowSink {
  public:
    // 0 to go on; any other status ends the decoding with it.
    virtual Status TakeRows(const RowBand& band) = 0;

  protected:
    ~RowSink() = default;
};

}  // namespace aldra
