// Raw blocks: a 32-bit size word followed by the content. A block is owned by a BlockPtr, which
// frees it when it goes; code that only reads or writes it takes the content pointer and finds the
// size in front of it. The content area is max(size, 4) rounded up to 256 bytes. AllocBlock zero-fills all of
// it; AllocBlockForOverwrite leaves the first `size` bytes for the caller to write and zero-fills only the
// rest, so that no byte of the area is ever undefined once the caller has written its part.
#pragma once
#include <cstdint>
#include <memory>

#include "base/Result.h"

namespace aldra {

inline constexpr uint32_t kBlockGranule = 256;

// Number of 256-byte granules a block of `size` bytes occupies.
uint32_t BlockGranules(uint32_t size);

void FreeBlock(uint8_t* content);  // null is allowed; only the owner below calls it

struct BlockFree {
    void operator()(uint8_t* content) const { FreeBlock(content); }
};
// The owner of a block's content: moves, never copies, and frees the block when it goes.
using BlockPtr = std::unique_ptr<uint8_t[], BlockFree>;

// On failure *block is left empty.
Status AllocBlock(uint32_t size, BlockPtr* block);
// For content that is written in full at once (a read window filled by a read): clearing it first
// would cost as much as the read itself.
Status AllocBlockForOverwrite(uint32_t size, BlockPtr* block);
// A block whose content area holds `capacity` bytes (at least the granules of `size`), all zero.
Status AllocBlockWithCapacity(uint32_t size, uint32_t capacity, BlockPtr* block);
uint32_t BlockSize(const uint8_t* content);
// The bytes of the content area, a multiple of the granule and at least the size (4 GB for the
// largest size, hence 64 bits).
uint64_t BlockCapacity(const uint8_t* content);
// Rewrites the size word only; the caller keeps the size inside the block's capacity.
void SetBlockSizeWord(uint8_t* content, uint32_t size);

}  // namespace aldra
