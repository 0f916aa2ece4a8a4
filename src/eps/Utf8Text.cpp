#include "eps/Utf8Text.h"

#include <cstdint>

#include "base/Windows1252.h"

namespace aldra {

namespace {

// The length of the sequence a lead byte opens, or 0 for a byte that opens none.
int SequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Overlong forms, surrogates and code points past U+10FFFF are refused by the second byte's range.
bool SecondByteFits(uint8_t lead, uint8_t second) {
    if (lead == 0xE0) return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED) return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0) return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4) return second >= 0x80 && second <= 0x8F;
    return second >= 0x80 && second <= 0xBF;
}

void AppendUtf16Unit(char16_t unit, std::string* out) {
    if (unit < 0x80) {
        *out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        *out += static_cast<char>(0xC0 | unit >> 6);
        *out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        *out += static_cast<char>(0xE0 | unit >> 12);
        *out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        const int length = SequenceLength(lead);
        if (length == 0 || bytes.size() - i < static_cast<size_t>(length)) return false;
        if (length > 1 && !SecondByteFits(lead, static_cast<uint8_t>(bytes[i + 1]))) return false;
        for (int k = 2; k < length; ++k) {
            if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += static_cast<size_t>(length);
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) AppendUtf16Unit(Windows1252ToUtf16(static_cast<uint8_t>(c)), &out);
    return out;
}

std::string Utf8OrWindows1252(std::string_view bytes) {
    return IsValidUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

}  // namespace aldra
