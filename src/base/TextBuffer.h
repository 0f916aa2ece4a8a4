// A growable run of bytes that can be locked in place. It holds text, decoded hex data, image rows
// and resource data alike. A new buffer holds its size rounded up to 256-byte granules; one that
// outgrows its room moves into twice the room, and shrinking keeps the room. While locked the
// content never moves, so pointers a caller took into it stay valid, and a resize that would move
// it fails. Bytes a resize adds are zero. A buffer is owned by a BufferPtr, which disposes of it
// when it goes; the operations take the buffer itself.
#pragma once
#include <cstdint>
#include <memory>

#include "base/Block.h"
#include "base/Result.h"

namespace aldra {

inline constexpr uint32_t kBufferLocked = 1;

struct TextBuffer {
    BlockPtr content;    // the logical size is the block's size word
    uint32_t flags = 0;  // bit 0: locked
};

void DisposeBuffer(TextBuffer* buffer);  // null is allowed; only the owner below calls it

struct BufferDispose {
    void operator()(TextBuffer* buffer) const { DisposeBuffer(buffer); }
};
// The owner of a buffer: moves, never copies, and disposes of the buffer when it goes.
using BufferPtr = std::unique_ptr<TextBuffer, BufferDispose>;

// On failure *buffer is left empty.
Status NewBuffer(uint32_t size, BufferPtr* buffer);
uint32_t GetBufferSize(const TextBuffer* buffer);
uint8_t* BufferData(TextBuffer* buffer);
const uint8_t* BufferData(const TextBuffer* buffer);
Status SetBufferSize(TextBuffer* buffer, uint32_t newSize);
// Sets or clears the lock and returns whether it was set before, so the caller can put it back.
bool LockBuffer(TextBuffer* buffer, bool lock);
Status CopyBuffer(const TextBuffer* src, TextBuffer* dst);
Status DuplicateBuffer(const TextBuffer* src, BufferPtr* copy);
Status InsertBytes(const void* bytes, uint32_t count, TextBuffer* buffer, uint32_t offset);
Status AppendBytes(const void* bytes, uint32_t count, TextBuffer* buffer);
Status AppendBuffer(const TextBuffer* src, TextBuffer* dst);

}  // namespace aldra
