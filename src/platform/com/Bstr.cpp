#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>

namespace aldra {
namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);
constexpr size_t kTerminatorBytes = sizeof(OLECHAR);
// The byte count must fit the 32-bit prefix together with the prefix and the terminator.
constexpr uint32_t kMaxChars = (UINT32_MAX - kPrefixBytes - kTerminatorBytes) / sizeof(OLECHAR);

uint8_t* AllocationOf(BSTR text) {
    return reinterpret_cast<uint8_t*>(text) - kPrefixBytes;
}

size_t TerminatedLength(const OLECHAR* text) {
    size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    size_t length = TerminatedLength(text);
    if (length > kMaxChars) return nullptr;
    return SysAllocStringLen(text, static_cast<uint32_t>(length));
}

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t chars) {
    if (chars > kMaxChars) return nullptr;
    uint32_t byteCount = chars * static_cast<uint32_t>(sizeof(OLECHAR));
    auto* memory = static_cast<uint8_t*>(std::malloc(kPrefixBytes + byteCount + kTerminatorBytes));
    if (memory == nullptr) return nullptr;
    std::memcpy(memory, &byteCount, kPrefixBytes);
    auto* characters = reinterpret_cast<OLECHAR*>(memory + kPrefixBytes);
    if (text != nullptr) {
        std::memcpy(characters, text, byteCount);
    } else {
        std::memset(characters, 0, byteCount);
    }
    characters[chars] = 0;
    return characters;
}

void SysFreeString(BSTR text) {
    if (text != nullptr) std::free(AllocationOf(text));
}

uint32_t SysStringByteLen(BSTR text) {
    if (text == nullptr) return 0;
    uint32_t byteCount = 0;
    std::memcpy(&byteCount, AllocationOf(text), kPrefixBytes);
    return byteCount;
}

uint32_t SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

}  // namespace aldra
