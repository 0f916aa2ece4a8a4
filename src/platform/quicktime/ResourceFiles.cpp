#include "platform/quicktime/ResourceFiles.h"

#include <map>
#include <vector>

#include "base/Block.h"
#include "platform/quicktime/ForkLocator.h"
#include "platform/quicktime/Handles.h"
#include "platform/quicktime/ResourceMap.h"

namespace aldra::qt {

namespace {

constexpr OSErr resNotResource = -194;
constexpr int16_t kFirstRefNum = 100;

struct ResourceFile {
    BlockPtr fork;
    uint32_t size = 0;
    std::vector<ResourceEntry> entries;
    std::vector<HandleRecord*> loaded;  // handles the file still owns
};

struct Manager {
    std::map<int16_t, ResourceFile> files;
    int16_t current = 0;
    int16_t next = kFirstRefNum;
    OSErr lastError = noErr;
};

Manager& TheManager() {
    static Manager manager;
    return manager;
}

OSErr SetError(OSErr error) {
    TheManager().lastError = error;
    return error;
}

OSErr ForkError(Status status) {
    if (status == kErrFileNotFound) return eofErr;  // the file has no resource fork
    if (status == kErrMemory) return memFullErr;
    return mapReadErr;
}

int16_t NextFreeRefNum() {
    Manager& m = TheManager();
    for (int tries = 0; tries < 0x8000; ++tries) {
        int16_t candidate = m.next;
        m.next = static_cast<int16_t>(m.next == INT16_MAX ? kFirstRefNum : m.next + 1);
        if (!m.files.count(candidate)) return candidate;
    }
    return -1;
}

ResourceFile* CurrentFile() {
    Manager& m = TheManager();
    auto it = m.files.find(m.current);
    return it == m.files.end() ? nullptr : &it->second;
}

// The file's handle for an entry: the one it already holds, or a new copy of the data.
Handle LoadEntry(ResourceFile* file, const ResourceEntry* entry) {
    for (HandleRecord* record : file->loaded)
        if (record->entry == entry) return HandleOf(record);
    HandleRecord* record =
        NewHandleRecord(file->fork.get() + entry->offset, entry->length, TheManager().current, entry);
    if (record == nullptr) {
        SetError(memFullErr);
        return nullptr;
    }
    file->loaded.push_back(record);
    SetError(noErr);
    return HandleOf(record);
}

Handle LoadFromCurrent(const ResourceEntry* (*find)(const std::vector<ResourceEntry>&, OSType, int32_t),
                       OSType type, int32_t key) {
    ResourceFile* file = CurrentFile();
    const ResourceEntry* entry = file ? find(file->entries, type, key) : nullptr;
    if (entry == nullptr) {
        SetError(resNotFound);
        return nullptr;
    }
    return LoadEntry(file, entry);
}

const ResourceEntry* ById(const std::vector<ResourceEntry>& entries, OSType type, int32_t id) {
    return FindResourceEntry(entries, type, static_cast<int16_t>(id));
}

// Takes the record out of its file's list; it then belongs to nobody.
void Unown(HandleRecord* record) {
    auto it = TheManager().files.find(record->owner);
    if (it != TheManager().files.end()) std::erase(it->second.loaded, record);
    record->owner = 0;
    record->entry = nullptr;
}

}  // namespace

int16_t OpenResFile(const FSSpec* spec, int16_t) {
    if (spec == nullptr || spec->path[0] == '\0') {
        SetError(fnfErr);
        return -1;
    }
    ResourceFile file;
    Status status = ReadResourceFork(spec->path, spec->plainFile, &file.fork, &file.size);
    if (status == kOk) status = ParseResourceMap(file.fork.get(), file.size, &file.entries);
    if (status != kOk) {
        SetError(ForkError(status));
        return -1;
    }
    const int16_t refNum = NextFreeRefNum();
    if (refNum < 0) {
        SetError(memFullErr);
        return -1;
    }
    Manager& m = TheManager();
    m.files.emplace(refNum, std::move(file));
    m.current = refNum;
    SetError(noErr);
    return refNum;
}

void CloseResFile(int16_t refNum) {
    Manager& m = TheManager();
    auto it = m.files.find(refNum);
    if (it == m.files.end()) {
        SetError(resFNotFound);
        return;
    }
    for (HandleRecord* record : it->second.loaded) DisposeHandleRecord(record);
    m.files.erase(it);
    if (m.current == refNum) m.current = 0;
    SetError(noErr);
}

int16_t CurResFile() {
    SetError(noErr);
    return TheManager().current;
}

void UseResFile(int16_t refNum) {
    Manager& m = TheManager();
    if (refNum != 0 && !m.files.count(refNum)) {
        SetError(resFNotFound);
        return;
    }
    m.current = refNum;
    SetError(noErr);
}

OSErr ResError() {
    return TheManager().lastError;
}

Handle GetResource(OSType type, int16_t id) {
    return LoadFromCurrent(ById, type, id);
}

Handle GetIndResource(OSType type, int16_t index) {
    return LoadFromCurrent(FindIndexedEntry, type, index);
}

void DetachResource(Handle handle) {
    HandleRecord* record = FindHandleRecord(handle);
    if (record == nullptr || record->owner == 0) {
        SetError(resNotResource);
        return;
    }
    Unown(record);
    SetError(noErr);
}

void ReleaseResource(Handle handle) {
    HandleRecord* record = FindHandleRecord(handle);
    if (record == nullptr || record->owner == 0) {
        SetError(resNotResource);
        return;
    }
    Unown(record);
    DisposeHandleRecord(record);
    SetError(noErr);
}

OSErr DisposeHandle(Handle handle) {
    HandleRecord* record = FindHandleRecord(handle);
    if (record == nullptr) return nilHandleErr;
    if (record->owner != 0) Unown(record);
    DisposeHandleRecord(record);
    return noErr;
}

uint32_t GetHandleSize(Handle handle) {
    HandleRecord* record = FindHandleRecord(handle);
    return record ? record->size : 0;
}

}  // namespace aldra::qt
