#include "base/Block.h"

#include <cstdlib>
#include <cstring>

namespace aldra {

namespace {
// The size word sits in a 16-byte header so that the content stays aligned for any element type
// the raster code stores in it.
constexpr size_t kHeader = 16;
}  // namespace

uint32_t BlockGranules(uint32_t size) {
    uint64_t area = size < 4 ? 4 : size;
    return static_cast<uint32_t>((area + kBlockGranule - 1) / kBlockGranule);
}

Status AllocBlock(uint32_t size, uint8_t** content) {
    *content = nullptr;
    size_t area = static_cast<size_t>(BlockGranules(size)) * kBlockGranule;
    auto* raw = static_cast<uint8_t*>(std::calloc(1, kHeader + area));
    if (raw == nullptr) return kErrMemory;
    std::memcpy(raw + kHeader - sizeof(uint32_t), &size, sizeof(uint32_t));
    *content = raw + kHeader;
    return kOk;
}

void FreeBlock(uint8_t* content) {
    if (content != nullptr) std::free(content - kHeader);
}

uint32_t BlockSize(const uint8_t* content) {
    uint32_t size;
    std::memcpy(&size, content - sizeof(uint32_t), sizeof(uint32_t));
    return size;
}

void SetBlockSizeWord(uint8_t* content, uint32_t size) {
    std::memcpy(content - sizeof(uint32_t), &size, sizeof(uint32_t));
}

}  // namespace aldra
