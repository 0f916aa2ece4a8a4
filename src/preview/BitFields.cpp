#include "preview/BitFields.h"

#include <bit>
#include <cstddef>

namespace aldra {

namespace {

constexpr uint32_t kPiece = 32;

uint32_t LowMask(uint32_t n) {
    return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1;
}

// True when the bit at (b, bOffset) lies after the bit at (a, aOffset) in memory.
bool LiesAfter(const uint8_t* a, uint32_t aOffset, const uint8_t* b, uint32_t bOffset) {
    auto aByte = reinterpret_cast<uintptr_t>(a) + aOffset / 8;
    auto bByte = reinterpret_cast<uintptr_t>(b) + bOffset / 8;
    if (aByte != bByte) return bByte > aByte;
    return (bOffset & 7) > (aOffset & 7);
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

void CopyBits(const uint8_t* source, uint32_t sourceBitOffset, uint8_t* destination,
              uint32_t destinationBitOffset, uint32_t count) {
    if (LiesAfter(source, sourceBitOffset, destination, destinationBitOffset)) {
        for (uint32_t remaining = count; remaining > 0;) {
            uint32_t n = remaining < kPiece ? remaining : kPiece;
            remaining -= n;
            PutBits(GetBits(source, sourceBitOffset + remaining, n), destination,
                    destinationBitOffset + remaining, n);
        }
        return;
    }
    for (uint32_t done = 0; done < count;) {
        uint32_t n = count - done < kPiece ? count - done : kPiece;
        PutBits(GetBits(source, sourceBitOffset + done, n), destination, destinationBitOffset + done, n);
        done += n;
    }
}

}  // namespace aldra
