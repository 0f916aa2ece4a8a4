#include "platform/quicktime/Handles.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_set>

#include "base/Bytes.h"

namespace aldra::qt {

namespace {

// The handles given out and not yet disposed of, for all threads: controls in different threads of
// a host draw pictures at the same time. Goes with the module when it is unloaded; nothing calls in
// after that.
struct LiveSet {
    std::mutex lock;
    std::unordered_set<uintptr_t> handles;
};

LiveSet& LiveHandles() {
    static LiveSet live;
    return live;
}

bool Remember(uintptr_t key) {
    LiveSet& live = LiveHandles();
    std::lock_guard<std::mutex> hold(live.lock);
    try {
        live.handles.insert(key);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
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
    if (!Remember(reinterpret_cast<uintptr_t>(record))) {
        std::free(record->data);
        delete record;
        return nullptr;
    }
    return record;
}

HandleRecord* FindHandleRecord(Handle handle) {
    const auto key = reinterpret_cast<uintptr_t>(handle);
    LiveSet& live = LiveHandles();
    std::lock_guard<std::mutex> hold(live.lock);
    return live.handles.count(key) ? reinterpret_cast<HandleRecord*>(key) : nullptr;
}

void DisposeHandleRecord(HandleRecord* record) {
    {
        LiveSet& live = LiveHandles();
        std::lock_guard<std::mutex> hold(live.lock);
        live.handles.erase(reinterpret_cast<uintptr_t>(record));
    }
    std::free(record->data);
    delete record;
}

}  // namespace aldra::qt
