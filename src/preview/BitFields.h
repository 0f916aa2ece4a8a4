// Bit fields in byte arrays, as the decoders pack and unpack sub-byte samples. Bits are numbered from
// the most significant bit of the first byte. Only the bytes that hold the named bits are touched.
#pragma once
#include <cstdint>

namespace aldra {

// Number of set bits among bitCount bits from bitOffset on.
uint32_t CountBits(const uint8_t* bytes, uint32_t bitOffset, uint32_t bitCount);
// Up to 32 bits (more are cut to 32), right-aligned.
uint32_t GetBits(const uint8_t* bytes, uint32_t bitOffset, uint32_t count);
// Writes the low `count` bits of value (at most 32); the neighbouring bits keep their values.
void PutBits(uint32_t value, uint8_t* bytes, uint32_t bitOffset, uint32_t count);

}  // namespace aldra
