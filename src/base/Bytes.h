// Byte operations on raw memory. The callers pass lengths they have already bounded.
#pragma once
#include <cstdint>

namespace aldra {

void ZeroBytes(void* p, int64_t n);
// -1, 0 or 1 as the first differing byte (unsigned) of a is smaller, equal or greater.
int CompareBytes(const void* a, const void* b, int64_t n);
// Copies n bytes from src to dst; overlapping ranges are handled. Note the argument order: source first.
void MoveBytes(const void* src, void* dst, int64_t n);
void InvertBytes(void* p, int64_t n);

inline int32_t Min(int32_t a, int32_t b) {
    return a < b ? a : b;
}
inline int32_t Max(int32_t a, int32_t b) {
    return a > b ? a : b;
}
inline uint16_t Swap16(uint16_t v) {
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}
inline uint32_t Swap32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

}  // namespace aldra
