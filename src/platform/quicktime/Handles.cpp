#include "platform/quicktime/Handles.h"

#include <cstdlib>
#include <new>
#include <unordered_set>

#include "base/Bytes.h"

namespace aldra::qt {

namespace {

std::unordered_set<uintptr_t>& LiveHandles() {
    // Goes with the module when it is unloaded; nothing calls in after that.
    static std::unordered_set<uintptr_t> live;
    return live;
}

}  // namespace

HandleRecord* NewHandleRecord(const uint8_t* bytes, uint32_t size, int16_t owner, const void* entry) {
    auto* record = new (std::nothrow) HandleRecord{nullptr, size, owner, entry};
    if (record == nullptr) return nullptr;
    // One byte more, so that an empty resource still has data to point at.
    record->data = static_cast<uint8_t*>(std::malloc(uint64_t{size} + 1));
    if (record->data == nullptr) {
        delete record;
        return nullptr;
    }
    if (size > 0) MoveBytes(bytes, record->data, size);
    LiveHandles().insert(reinterpret_cast<uintptr_t>(record));
    return record;
}

HandleRecord* FindHandleRecord(Handle handle) {
    const auto key = reinterpret_cast<uintptr_t>(handle);
    return LiveHandles().count(key) ? reinterpret_cast<HandleRecord*>(key) : nullptr;
}

void DisposeHandleRecord(HandleRecord* record) {
    LiveHandles().erase(reinterpret_cast<uintptr_t>(record));
    std::free(record->data);
    delete record;
}

}  // namespace aldra::qt
