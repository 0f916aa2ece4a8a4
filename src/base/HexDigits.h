// Hexadecimal digits as EPS files carry them: Photoshop and 9 Bits comment blocks, %ImageData rows.
// Such data runs to hundreds of megabytes, so digits are looked up in a table, and whole runs of
// sixteen are decoded at once where SSE2 is there (every x86-64).
#pragma once
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aldra {

namespace detail {
struct HexDigitTable {
    int8_t value[256];
    constexpr HexDigitTable() : value() {
        for (int c = 0; c < 256; ++c) value[c] = -1;
        for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<int8_t>(c - '0');
        for (int c = 'A'; c <= 'F'; ++c) value[c] = static_cast<int8_t>(c - 'A' + 10);
        for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<int8_t>(c - 'a' + 10);
    }
};
inline constexpr HexDigitTable kHexDigitTable;
}  // namespace detail

// 0 to 15 for a digit (either case), -1 for any other byte.
inline int HexDigitValue(uint8_t c) {
    return detail::kHexDigitTable.value[c];
}

inline constexpr uint32_t kHexRun = 16;

// Sixteen digits into eight bytes, the first digit of each pair the high half, and kHexRun back.
// When any of the sixteen is not a digit, nothing is written and the index of the first such byte
// comes back, so that the caller can pass it one at a time and try again behind it. Inline: it
// runs once per sixteen digits of pictures hundreds of megabytes long.
#if defined(__SSE2__)
inline uint32_t DecodeSixteenHexDigits(const uint8_t* digits, uint8_t* bytes) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(digits));
    const __m128i digit = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    // Setting bit 5 folds 'A'-'F' onto 'a'-'f' and nothing else onto them.
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    const auto valid = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)));
    if (valid != 0xFFFF) return static_cast<uint32_t>(__builtin_ctz(~valid));
    const __m128i value = _mm_or_si128(_mm_and_si128(isDigit, digit),
                                       _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    // Each 16-bit lane holds a pair: the high digit in its low byte, the low digit in its high byte.
    const __m128i high = _mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0x00FF)), 4);
    const __m128i pairs = _mm_or_si128(high, _mm_srli_epi16(value, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes), _mm_packus_epi16(pairs, pairs));
    return kHexRun;
}
#else
inline uint32_t DecodeSixteenHexDigits(const uint8_t* digits, uint8_t* bytes) {
    for (uint32_t i = 0; i < kHexRun; ++i) {
        if (HexDigitValue(digits[i]) < 0) return i;
    }
    for (uint32_t k = 0; k < kHexRun / 2; ++k)
        bytes[k] = static_cast<uint8_t>(HexDigitValue(digits[2 * k]) << 4 | HexDigitValue(digits[2 * k + 1]));
    return kHexRun;
}
#endif

}  // namespace aldra
