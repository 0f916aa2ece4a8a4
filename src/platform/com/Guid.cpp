#include "platform/com/Guid.h"

#include <cstdio>

namespace aldra {
namespace {

constexpr size_t kGuidTextLength = 38;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at `pos`; false if any is not hex.
bool ReadHex(std::string_view text, size_t pos, size_t digits, uint32_t* value) {
    uint32_t result = 0;
    for (size_t i = 0; i < digits; ++i) {
        int nibble = HexValue(text[pos + i]);
        if (nibble < 0) return false;
        result = (result << 4) | static_cast<uint32_t>(nibble);
    }
    *value = result;
    return true;
}

bool HasPunctuation(std::string_view text) {
    return text.size() == kGuidTextLength && text[0] == '{' && text[9] == '-' && text[14] == '-' &&
           text[19] == '-' && text[24] == '-' && text[37] == '}';
}

}  // namespace

bool ParseGuid(std::string_view text, GUID* out) {
    if (out == nullptr || !HasPunctuation(text)) return false;
    GUID guid{};
    uint32_t value = 0;
    if (!ReadHex(text, 1, 8, &value)) return false;
    guid.Data1 = value;
    if (!ReadHex(text, 10, 4, &value)) return false;
    guid.Data2 = static_cast<uint16_t>(value);
    if (!ReadHex(text, 15, 4, &value)) return false;
    guid.Data3 = static_cast<uint16_t>(value);
    // Data4 is the last two groups read as a plain byte sequence.
    constexpr size_t kBytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ReadHex(text, kBytePositions[i], 2, &value)) return false;
        guid.Data4[i] = static_cast<uint8_t>(value);
    }
    *out = guid;
    return true;
}

std::string FormatGuid(const GUID& guid) {
    char text[kGuidTextLength + 1];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                  guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                  guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return std::string(text, kGuidTextLength);
}

}  // namespace aldra
