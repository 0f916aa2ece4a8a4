#include "base/PString.h"

#include <cstdarg>
#include <cstring>

namespace aldra {

namespace {

uint32_t Fit(uint32_t wanted, uint32_t capacity) {
    uint32_t room = capacity == 0 ? 0 : capacity - 1;
    if (room > 255) room = 255;
    return wanted < room ? wanted : room;
}

uint8_t UpperAscii(uint8_t c) {
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

template <typename Equal>
int FindWith(const uint8_t* pattern, const uint8_t* s, Equal equal) {
    int n = pattern[0];
    int len = s[0];
    if (n == 0) return 1;
    for (int start = 1; start + n - 1 <= len; ++start) {
        int i = 0;
        while (i < n && equal(s[start + i], pattern[1 + i])) ++i;
        if (i == n) return start;
    }
    return 0;
}

}  // namespace

std::string PStrToString(const uint8_t* s) {
    return std::string(PStrChars(s), s[0]);
}

std::string_view PStrView(const uint8_t* s) {
    return std::string_view(PStrChars(s), s[0]);
}

void PStrFromC(const char* text, uint8_t* dst, uint32_t capacity) {
    uint32_t room = Fit(255, capacity);
    uint32_t n = 0;
    while (n < room && text[n] != 0) ++n;
    std::memmove(dst + 1, text, n);
    dst[0] = static_cast<uint8_t>(n);
}

void PStrFromView(std::string_view text, uint8_t* dst, uint32_t capacity) {
    uint32_t n = Fit(text.size() > 255 ? 255 : static_cast<uint32_t>(text.size()), capacity);
    std::memmove(dst + 1, text.data(), n);
    dst[0] = static_cast<uint8_t>(n);
}

void PStrToC(const uint8_t* src, char* dst, uint32_t capacity) {
    if (capacity == 0) return;
    uint32_t n = Fit(src[0], capacity);
    std::memmove(dst, src + 1, n);
    dst[n] = 0;
}

void PStrToCDropLast(const uint8_t* src, char* dst) {
    uint32_t n = src[0] > 0 ? src[0] - 1u : 0u;
    std::memmove(dst, src + 1, n);
    dst[n] = 0;
}

void PStrCopy(const uint8_t* src, uint8_t* dst, uint32_t capacity) {
    uint32_t n = Fit(src[0], capacity);
    std::memmove(dst + 1, src + 1, n);
    dst[0] = static_cast<uint8_t>(n);
}

void PStrAppend(const uint8_t* src, uint8_t* dst, uint32_t capacity) {
    uint32_t have = dst[0];
    uint32_t room = Fit(255, capacity);
    if (have >= room) return;
    uint32_t n = src[0] < room - have ? src[0] : room - have;
    std::memmove(dst + 1 + have, src + 1, n);
    dst[0] = static_cast<uint8_t>(have + n);
}

void PStrConcat(uint8_t* dst, uint32_t capacity, ...) {
    PString scratch;
    scratch[0] = 0;
    va_list args;
    va_start(args, capacity);
    while (const uint8_t* piece = va_arg(args, const uint8_t*)) PStrAppend(piece, scratch, kPStringCapacity);
    va_end(args);
    PStrCopy(scratch, dst, capacity);
}

void PStrInsert(const uint8_t* src, uint8_t* dst, int index, uint32_t capacity) {
    int len = dst[0];
    if (index < 1) index = 1;
    if (index > len + 1) index = len + 1;
    PString head, tail;
    PStrSub(dst, 1, index - 1, head, kPStringCapacity);
    PStrSub(dst, index, len - index + 1, tail, kPStringCapacity);
    PStrCopy(head, dst, capacity);
    PStrAppend(src, dst, capacity);
    PStrAppend(tail, dst, capacity);
}

void PStrDelete(uint8_t* s, int index, int count) {
    int len = s[0];
    if (len == 0) return;
    if (index < 1) index = 1;
    if (index > len) index = len;
    if (count < 0) count = 0;
    if (count > len - index + 1) count = len - index + 1;
    std::memmove(s + index, s + index + count, static_cast<size_t>(len - index - count + 1));
    s[0] = static_cast<uint8_t>(len - count);
}

void PStrSub(const uint8_t* s, int index, int count, uint8_t* dst, uint32_t capacity) {
    int len = s[0];
    if (index < 1) index = 1;
    if (index > len + 1) index = len + 1;
    int available = len - index + 1;
    if (count < 0) count = 0;
    if (count > available) count = available;
    uint32_t n = Fit(static_cast<uint32_t>(count), capacity);
    std::memmove(dst + 1, s + index, n);
    dst[0] = static_cast<uint8_t>(n);
}

int PStrCompare(const uint8_t* a, const uint8_t* b) {
    int common = a[0] < b[0] ? a[0] : b[0];
    for (int i = 1; i <= common; ++i) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    if (a[0] == b[0]) return 0;
    return a[0] < b[0] ? -1 : 1;
}

int PStrFind(const uint8_t* pattern, const uint8_t* s) {
    return FindWith(pattern, s, [](uint8_t x, uint8_t y) { return x == y; });
}

int PStrFindNoCase(const uint8_t* pattern, const uint8_t* s) {
    return FindWith(pattern, s, [](uint8_t x, uint8_t y) { return UpperAscii(x) == UpperAscii(y); });
}

}  // namespace aldra
