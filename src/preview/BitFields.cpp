#include "preview/BitFields.h"

#include <bit>

namespace aldra {

namespace {

uint32_t LowMask(uint32_t n) {
    return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1;
}

}  // namespace

uint32_t CountBits(const uint8_t* bytes, uint32_t bitOffset, uint32_t bitCount) {
    uint32_t total = 0;
    while (bitCount > 0) {
        uint32_t n = bitCount < 8 ? bitCount : 8;
        total += static_cast<uint32_t>(std::popcount(GetBits(bytes, bitOffset, n)));
        bitOffset += n;
        bitCount -= n;
    }
    return total;
}

uint32_t GetBits(const uint8_t* bytes, uint32_t bitOffset, uint32_t count) {
    if (count > 32) count = 32;
    const uint8_t* p = bytes + bitOffset / 8;
    uint32_t skip = bitOffset & 7;
    uint64_t value = 0;
    for (uint32_t taken = 0; taken < count; ++p, skip = 0) {
        uint32_t available = 8 - skip;
        uint32_t n = count - taken < available ? count - taken : available;
        value = (value << n) | ((*p >> (available - n)) & LowMask(n));
        taken += n;
    }
    return static_cast<uint32_t>(value);
}

void PutBits(uint32_t value, uint8_t* bytes, uint32_t bitOffset, uint32_t count) {
    if (count > 32) count = 32;
    uint8_t* p = bytes + bitOffset / 8;
    uint32_t skip = bitOffset & 7;
    for (uint32_t remaining = count; remaining > 0; ++p, skip = 0) {
        uint32_t available = 8 - skip;
        uint32_t n = remaining < available ? remaining : available;
        uint32_t bits = (value >> (remaining - n)) & LowMask(n);
        uint32_t shift = available - n;
        auto mask = static_cast<uint8_t>(LowMask(n) << shift);
        *p = static_cast<uint8_t>((*p & ~mask) | (bits << shift));
        remaining -= n;
    }
}

}  // namespace aldra
