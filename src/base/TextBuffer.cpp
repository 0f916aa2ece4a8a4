#include "base/TextBuffer.h"

#include <new>
#include <utility>

#include "base/Block.h"
#include "base/Bytes.h"

namespace aldra {

Status NewBuffer(uint32_t size, BufferPtr* buffer) {
    buffer->reset();
    BlockPtr content;
    if (AllocBlock(size, &content) != kOk) return kErrMemory;
    auto* header = new (std::nothrow) TextBuffer{std::move(content)};
    if (header == nullptr) return kErrMemory;
    buffer->reset(header);
    return kOk;
}

void DisposeBuffer(TextBuffer* buffer) {
    delete buffer;
}

uint32_t GetBufferSize(const TextBuffer* buffer) {
    return BlockSize(buffer->content.get());
}

uint8_t* BufferData(TextBuffer* buffer) {
    return buffer->content.get();
}

const uint8_t* BufferData(const TextBuffer* buffer) {
    return buffer->content.get();
}

namespace {
// A buffer that has to move takes twice the room it had, so that appending entry by entry copies
// each byte a bounded number of times instead of once per granule.
uint32_t GrownCapacity(uint64_t capacity, uint32_t newSize) {
    uint64_t doubled = capacity * 2;
    if (doubled < newSize) doubled = newSize;
    return doubled > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(doubled);
}
}  // namespace

Status SetBufferSize(TextBuffer* buffer, uint32_t newSize) {
    uint32_t oldSize = GetBufferSize(buffer);
    uint8_t* content = BufferData(buffer);
    uint64_t capacity = BlockCapacity(content);
    if (newSize <= capacity) {
        // Bytes past the size are kept zero, so that growing in place shows zeros as a new block does.
        if (newSize < oldSize) ZeroBytes(content + newSize, oldSize - newSize);
        SetBlockSizeWord(content, newSize);
        return kOk;
    }
    if (buffer->flags & kBufferLocked) return kErrMemory;
    BlockPtr moved;
    if (AllocBlockWithCapacity(newSize, GrownCapacity(capacity, newSize), &moved) != kOk) return kErrMemory;
    MoveBytes(content, moved.get(), oldSize);
    buffer->content = std::move(moved);
    return kOk;
}

bool LockBuffer(TextBuffer* buffer, bool lock) {
    bool was = (buffer->flags & kBufferLocked) != 0;
    if (lock) {
        buffer->flags |= kBufferLocked;
    } else {
        buffer->flags &= ~kBufferLocked;
    }
    return was;
}

Status CopyBuffer(const TextBuffer* src, TextBuffer* dst) {
    uint32_t size = GetBufferSize(src);
    Status status = SetBufferSize(dst, size);
    if (status != kOk) return status;
    MoveBytes(BufferData(src), BufferData(dst), size);
    return kOk;
}

Status DuplicateBuffer(const TextBuffer* src, BufferPtr* copy) {
    Status status = NewBuffer(GetBufferSize(src), copy);
    if (status != kOk) return status;
    MoveBytes(BufferData(src), BufferData(copy->get()), GetBufferSize(src));
    return kOk;
}

namespace {
// Size after growing by count, or false when it would not fit in 32 bits.
bool GrownSize(uint32_t size, uint32_t count, uint32_t* grown) {
    if (count > UINT32_MAX - size) return false;
    *grown = size + count;
    return true;
}
}  // namespace

Status InsertBytes(const void* bytes, uint32_t count, TextBuffer* buffer, uint32_t offset) {
    if (count == 0) return kOk;
    uint32_t size = GetBufferSize(buffer);
    if (offset > size) return kErrParam;
    uint32_t grown;
    if (!GrownSize(size, count, &grown)) return kErrMemory;
    Status status = SetBufferSize(buffer, grown);
    if (status != kOk) return status;
    uint8_t* content = BufferData(buffer);
    MoveBytes(content + offset, content + offset + count, size - offset);
    MoveBytes(bytes, content + offset, count);
    return kOk;
}

Status AppendBytes(const void* bytes, uint32_t count, TextBuffer* buffer) {
    uint32_t size = GetBufferSize(buffer);
    uint32_t grown;
    if (!GrownSize(size, count, &grown)) return kErrMemory;
    Status status = SetBufferSize(buffer, grown);
    if (status != kOk) return status;
    MoveBytes(bytes, BufferData(buffer) + size, count);
    return kOk;
}

Status AppendBuffer(const TextBuffer* src, TextBuffer* dst) {
    // src may be dst itself: take the size first and copy from the (possibly moved) content.
    uint32_t count = GetBufferSize(src);
    uint32_t size = GetBufferSize(dst);
    uint32_t grown;
    if (!GrownSize(size, count, &grown)) return kErrMemory;
    Status status = SetBufferSize(dst, grown);
    if (status != kOk) return status;
    MoveBytes(BufferData(src), BufferData(dst) + size, count);
    return kOk;
}

}  // namespace aldra
