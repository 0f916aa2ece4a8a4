#include "platform/quicktime/ResourceMap.h"

#include "base/Bytes.h"

namespace aldra::qt {

namespace {

constexpr uint32_t kForkHeader = 16;
constexpr uint32_t kTypeListField = 24;  // offset in the map of the type list's offset
constexpr uint32_t kLeastMap = 30;       // header copy, next map, file number, attributes, two offsets
constexpr uint32_t kTypeEntry = 8;
constexpr uint32_t kReferenceEntry = 12;

bool Fits(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

// Counts are stored less one; 0xFFFF stands for none.
uint32_t StoredCount(const uint8_t* p) {
    return (LoadBe16(p) + 1u) & 0xFFFF;
}

struct Areas {
    const uint8_t* data;
    uint32_t dataLength;
    const uint8_t* map;
    uint32_t mapLength;
};

bool TakeAreas(const uint8_t* fork, uint32_t size, Areas* areas) {
    if (size < kForkHeader) return false;
    const uint32_t dataOffset = LoadBe32(fork), mapOffset = LoadBe32(fork + 4);
    const uint32_t dataLength = LoadBe32(fork + 8), mapLength = LoadBe32(fork + 12);
    if (!Fits(dataOffset, dataLength, size) || !Fits(mapOffset, mapLength, size) || mapLength < kLeastMap)
        return false;
    *areas = {fork + dataOffset, dataLength, fork + mapOffset, mapLength};
    return true;
}

bool TakeReference(const Areas& a, uint32_t type, const uint8_t* ref, ResourceEntry* entry) {
    const uint32_t offset = LoadBe32(ref + 4) & 0x00FFFFFF;
    if (!Fits(offset, 4, a.dataLength)) return false;
    const uint32_t length = LoadBe32(a.data + offset);
    if (!Fits(offset + 4u, length, a.dataLength)) return false;
    *entry = {type, static_cast<int16_t>(LoadBe16(ref)), offset + 4, length};
    return true;
}

}  // namespace

Status ParseResourceMap(const uint8_t* fork, uint32_t size, std::vector<ResourceEntry>* entries) {
    entries->clear();
    Areas a;
    if (!TakeAreas(fork, size, &a)) return kErrFormat;
    const uint32_t typeListOffset = LoadBe16(a.map + kTypeListField);
    if (!Fits(typeListOffset, 2, a.mapLength)) return kErrFormat;
    const uint8_t* typeList = a.map + typeListOffset;
    const uint32_t types = StoredCount(typeList);
    if (!Fits(typeListOffset + 2u, uint64_t{types} * kTypeEntry, a.mapLength)) return kErrFormat;
    // Reference lists do not share entries, so the map's size bounds their total.
    uint64_t total = 0;
    for (uint32_t t = 0; t < types; ++t) total += StoredCount(typeList + 2 + t * kTypeEntry + 4);
    if (total > a.mapLength / kReferenceEntry) return kErrFormat;
    const uint32_t dataStart = static_cast<uint32_t>(a.data - fork);
    std::vector<ResourceEntry> found;
    found.reserve(total);
    for (uint32_t t = 0; t < types; ++t) {
        const uint8_t* typeEntry = typeList + 2 + t * kTypeEntry;
        const uint32_t type = LoadBe32(typeEntry), count = StoredCount(typeEntry + 4);
        const uint64_t refs = uint64_t{typeListOffset} + LoadBe16(typeEntry + 6);
        if (!Fits(refs, uint64_t{count} * kReferenceEntry, a.mapLength)) return kErrFormat;
        for (uint32_t r = 0; r < count; ++r) {
            ResourceEntry entry;
            if (!TakeReference(a, type, a.map + refs + r * kReferenceEntry, &entry)) return kErrFormat;
            entry.offset += dataStart;
            found.push_back(entry);
        }
    }
    *entries = std::move(found);
    return kOk;
}

const ResourceEntry* FindResourceEntry(const std::vector<ResourceEntry>& entries, uint32_t type, int16_t id) {
    for (const ResourceEntry& e : entries)
        if (e.type == type && e.id == id) return &e;
    return nullptr;
}

const ResourceEntry* FindIndexedEntry(const std::vector<ResourceEntry>& entries, uint32_t type,
                                      int32_t index) {
    if (index < 1) return nullptr;
    for (const ResourceEntry& e : entries)
        if (e.type == type && --index == 0) return &e;
    return nullptr;
}

}  // namespace aldra::qt
