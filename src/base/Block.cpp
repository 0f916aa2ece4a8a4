#include "base/Block.h"

#include <cstdlib>
#include <cstring>

namespace aldra {

namespace {
// The size and capacity words sit in a 16-byte header so that the content stays aligned for any
// element type the raster code stores in it.
constexpr size_t kHeader = 16;
constexpr size_t kSizeWord = kHeader - sizeof(uint32_t);
constexpr size_t kCapacityWord = kSizeWord - sizeof(uint32_t);

// 64-bit: the granules of a size near 4 GB cover 4 GB exactly.
size_t AreaBytes(uint32_t granules) {
    return static_cast<size_t>(granules) * kBlockGranule;
}

// The capacity is kept in granules, which fit the word even for the largest size.
uint8_t* StartBlock(uint8_t* raw, uint32_t size, uint32_t granules) {
    std::memcpy(raw + kSizeWord, &size, sizeof size);
    std::memcpy(raw + kCapacityWord, &granules, sizeof granules);
    return raw + kHeader;
}
}  // namespace

uint32_t BlockGranules(uint32_t size) {
    uint64_t area = size < 4 ? 4 : size;
    return static_cast<uint32_t>((area + kBlockGranule - 1) / kBlockGranule);
}

Status AllocBlock(uint32_t size, BlockPtr* block) {
    return AllocBlockWithCapacity(size, 0, block);
}

Status AllocBlockWithCapacity(uint32_t size, uint32_t capacity, BlockPtr* block) {
    block->reset();
    uint32_t granules = BlockGranules(capacity > size ? capacity : size);
    auto* raw = static_cast<uint8_t*>(std::calloc(1, kHeader + AreaBytes(granules)));
    if (raw == nullptr) return kErrMemory;
    block->reset(StartBlock(raw, size, granules));
    return kOk;
}

Status AllocBlockForOverwrite(uint32_t size, BlockPtr* block) {
    block->reset();
    uint32_t granules = BlockGranules(size);
    size_t area = AreaBytes(granules);
    auto* raw = static_cast<uint8_t*>(std::malloc(kHeader + area));
    if (raw == nullptr) return kErrMemory;
    std::memset(raw + kHeader + size, 0, area - size);
    block->reset(StartBlock(raw, size, granules));
    return kOk;
}

void FreeBlock(uint8_t* content) {
    if (content != nullptr) std::free(content - kHeader);
}

uint32_t BlockSize(const uint8_t* content) {
    uint32_t size;
    std::memcpy(&size, content - kHeader + kSizeWord, sizeof size);
    return size;
}

uint64_t BlockCapacity(const uint8_t* content) {
    uint32_t granules;
    std::memcpy(&granules, content - kHeader + kCapacityWord, sizeof granules);
    return AreaBytes(granules);
}

void SetBlockSizeWord(uint8_t* content, uint32_t size) {
    std::memcpy(content - kHeader + kSizeWord, &size, sizeof size);
}

}  // namespace aldra
