// The raster opcodes of a picture (BitsRect, BitsRgn, PackBitsRect, PackBitsRgn, DirectBitsRect,
// DirectBitsRgn) and the pixel patterns, whose data are laid out the same way: a bitmap or pixel
// map header, a colour table for indexed pixel maps, and rows, packed or not.
#pragma once
#include <cstdint>

#include "platform/quicktime/PictCanvas.h"
#include "platform/quicktime/PictStream.h"

namespace aldra::qt {

inline constexpr uint32_t kOpBitsRect = 0x90;
inline constexpr uint32_t kOpBitsRgn = 0x91;
inline constexpr uint32_t kOpPackBitsRect = 0x98;
inline constexpr uint32_t kOpPackBitsRgn = 0x99;
inline constexpr uint32_t kOpDirectBitsRect = 0x9A;
inline constexpr uint32_t kOpDirectBitsRgn = 0x9B;

inline bool IsRasterOpcode(uint32_t op) {
    return op == kOpBitsRect || op == kOpBitsRgn || op == kOpPackBitsRect || op == kOpPackBitsRgn ||
           op == kOpDirectBitsRect || op == kOpDirectBitsRgn;
}

// Draws the opcode's pixels (its data follow in s) stretched from its source rectangle into its
// destination rectangle. False when the data are not as the opcode says, which ends the picture.
bool DrawRasterOpcode(PictStream* s, uint32_t op, PictCanvas* canvas);

// Passes over a pixel pattern (BkPixPat, PnPixPat, FillPixPat); false for a pattern type that
// gives no length.
bool SkipPixPat(PictStream* s);

}  // namespace aldra::qt
