// Byte operations on raw memory, and the one place where multi-byte fields of file data are put
// together in their byte order. The callers pass lengths and pointers they have already bounded.
#pragma once
#include <cstdint>

namespace aldra {

void ZeroBytes(void* p, int64_t n);
// -1, 0 or 1 as the first differing byte (unsigned) of a is smaller, equal or greater.
int CompareBytes(const void* a, const void* b, int64_t n);
// Copies n bytes from src to dst; overlapping ranges are handled. Note the argument order: source first.
void MoveBytes(const void* src, void* dst, int64_t n);
void InvertBytes(void* p, int64_t n);

// Photoshop resources, IPTC records and Motorola TIFF files are big-endian; DOS EPS headers, Intel
// TIFF files, bitmap files and registry values little-endian.
inline uint16_t LoadBe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t LoadBe32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
inline uint16_t LoadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[1] << 8 | p[0]);
}
inline uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}
inline void StoreBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
inline void StoreLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace aldra
