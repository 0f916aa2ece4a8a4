// Raw blocks: a 32-bit size word followed by the content. Callers hold the content pointer and
// find the size in front of it, so a block can be handed around as a plain pointer. The content
// area is max(size, 4) rounded up to 256 bytes. AllocBlock zero-fills all of it;
// AllocBlockForOverwrite leaves the first `size` bytes for the caller to write and zero-fills only
// the rest, so that no byte of the area is ever undefined once the caller has written its part.
#pragma once
#include <cstdint>

#include "base/Result.h"

namespace aldra {

inline constexpr uint32_t kBlockGranule = 256;

// Number of 256-byte granules a block of `size` bytes occupies.
uint32_t BlockGranules(uint32_t size);

Status AllocBlock(uint32_t size, uint8_t** content);
// For content that is written in full at once (a read window filled by a read): clearing it first
// would cost as much as the read itself.
Status AllocBlockForOverwrite(uint32_t size, uint8_t** content);
// A block whose content area holds `capacity` bytes (at least the granules of `size`), all zero.
Status AllocBlockWithCapacity(uint32_t size, uint32_t capacity, uint8_t** content);
void FreeBlock(uint8_t* content);  // null is allowed
uint32_t BlockSize(const uint8_t* content);
// The bytes of the content area, a multiple of the granule and at least the size (4 GB for the
// largest size, hence 64 bits).
uint64_t BlockCapacity(const uint8_t* content);
// Rewrites the size word only; the caller keeps the size inside the block's capacity.
void SetBlockSizeWord(uint8_t* content, uint32_t size);

}  // namespace aldra
