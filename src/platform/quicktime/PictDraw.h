// Drawing a QuickDraw picture (version 1 or 2) stretched from its frame into a rectangle of a
// pixel target. The raster opcodes are drawn; clip regions limit them; the header, comments and
// every other opcode are passed over by their documented lengths, so that a picture whose vector
// drawing is not drawn still shows its bitmaps. An opcode whose length cannot be known ends the
// picture, as does the end of the data.
#pragma once
#include <cstdint>

#include "platform/quicktime/PixelTarget.h"
#include "platform/quicktime/QuickTime.h"

namespace aldra::qt {

// Opcodes after this many are not looked at.
inline constexpr uint32_t kMaxOpcodes = 1u << 20;

// False when the bytes are not a picture: shorter than its header, or neither version 1 nor 2.
bool DrawPict(const uint8_t* pict, uint32_t size, const PixelTarget& target, const Box& dest);

}  // namespace aldra::qt
