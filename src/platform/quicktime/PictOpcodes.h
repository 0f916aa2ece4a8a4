// Passing over the opcodes a preview does not draw, by the length each one documents: fixed sizes,
// a size word or long that counts the data, the size word of a region or polygon, a count before a
// text, a pixel pattern's own layout. Version 1 pictures know only the opcodes of their time.
#pragma once
#include <cstdint>

#include "platform/quicktime/PictStream.h"

namespace aldra::qt {

inline constexpr uint32_t kOpNop = 0x0000;
inline constexpr uint32_t kOpClip = 0x0001;
inline constexpr uint32_t kOpVersion = 0x0011;
inline constexpr uint32_t kOpEnd = 0x00FF;
inline constexpr uint32_t kOpHeader = 0x0C00;

// False when the opcode's length cannot be known (or its data run past the end): the picture ends
// there.
bool SkipOpcode(PictStream* s, uint32_t op, int version);

}  // namespace aldra::qt
