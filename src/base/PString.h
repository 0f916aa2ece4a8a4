// Length-prefixed strings of at most 255 single-byte characters: byte 0 is the length, the
// characters follow without a terminator. Every EPS line is read into one, on the stack, so no
// heap allocation happens per line. `capacity` is always the destination's size in bytes, length
// byte included; what does not fit is cut off without notice. Indices count characters from 1.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace aldra {

using PString = uint8_t[256];
inline constexpr uint32_t kPStringCapacity = 256;

inline uint8_t PStrLength(const uint8_t* s) {
    return s[0];
}
inline const char* PStrChars(const uint8_t* s) {
    return reinterpret_cast<const char*>(s + 1);
}
std::string PStrToString(const uint8_t* s);
std::string_view PStrView(const uint8_t* s);

void PStrFromC(const char* text, uint8_t* dst, uint32_t capacity);
void PStrFromView(std::string_view text, uint8_t* dst, uint32_t capacity);
void PStrToC(const uint8_t* src, char* dst, uint32_t capacity);
// All characters but the last, zero-terminated; dst must hold 256 bytes.
void PStrToCDropLast(const uint8_t* src, char* dst);
void PStrCopy(const uint8_t* src, uint8_t* dst, uint32_t capacity);
void PStrAppend(const uint8_t* src, uint8_t* dst, uint32_t capacity);
// Joins the strings up to the terminating nullptr into dst.
void PStrConcat(uint8_t* dst, uint32_t capacity, ...);
void PStrInsert(const uint8_t* src, uint8_t* dst, int index, uint32_t capacity);
void PStrDelete(uint8_t* s, int index, int count);
void PStrSub(const uint8_t* s, int index, int count, uint8_t* dst, uint32_t capacity);
int PStrCompare(const uint8_t* a, const uint8_t* b);
int PStrFind(const uint8_t* pattern, const uint8_t* s);
int PStrFindNoCase(const uint8_t* pattern, const uint8_t* s);

}  // namespace aldra
