#include "base/Bytes.h"

#include <cstring>

namespace aldra {

void ZeroBytes(void* p, int64_t n) {
    if (n > 0) std::memset(p, 0, static_cast<size_t>(n));
}

int CompareBytes(const void* a, const void* b, int64_t n) {
    if (n <= 0) return 0;
    int c = std::memcmp(a, b, static_cast<size_t>(n));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void MoveBytes(const void* src, void* dst, int64_t n) {
    if (n > 0) std::memmove(dst, src, static_cast<size_t>(n));
}

void InvertBytes(void* p, int64_t n) {
    auto* bytes = static_cast<uint8_t*>(p);
    for (int64_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(~bytes[i]);
}

}  // namespace aldra
