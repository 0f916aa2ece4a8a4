// Raw blocks: a 32-bit size word followed by the content. Callers hold the content pointer and
// find the size in front of it, so a block can be handed around as a plain pointer. The content
// area is max(size, 4) rounded up to 256 bytes and zero-filled when the block is made.
#pragma once
#include <cstdint>

#include "base/Result.h"

namespace aldra {

inline constexpr uint32_t kBlockGranule = 256;

// Number of 256-byte granules a block of `size` bytes occupies.
uint32_t BlockGranules(uint32_t size);

Status AllocBlock(uint32_t size, uint8_t** content);
void FreeBlock(uint8_t* content);  // null is allowed
uint32_t BlockSize(const uint8_t* content);
// Rewrites the size word only; the caller keeps the size inside the block's granules.
void SetBlockSizeWord(uint8_t* content, uint32_t size);

}  // namespace aldra
