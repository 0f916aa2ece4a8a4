#include "preview/TextResources.h"

#include <cstring>

#include "preview/BuiltInColourTables.h"

namespace aldra {

namespace {

const ResourceModule* recordedModule = nullptr;

const ResourceData kBuiltIn[] = {
    {"TEXT", kCmyGridResource, kBuiltInCmyGrid, kColourGridBytes},
    {"TEXT", kBlackCurveResource, kBuiltInBlackCurve, kBlackCurveBytes},
    {"TEXT", kLabGridResource, kBuiltInLabGrid, kColourGridBytes},
};
constexpr size_t kBuiltInCount = sizeof kBuiltIn / sizeof kBuiltIn[0];

const ResourceData* FindBuiltIn(const char* type, uint32_t id) {
    for (const ResourceData& entry : kBuiltIn) {
        if (entry.id == id && std::strcmp(entry.type, type) == 0) return &entry;
    }
    return nullptr;
}

}  // namespace

void SetResourceModule(const ResourceModule* module) {
    recordedModule = module;
}

const ResourceModule* RecordedResourceModule() {
    return recordedModule;
}

Status LoadDataResource(const char* type, uint32_t id, uint8_t* destination, uint32_t maxBytes,
                        uint32_t* sizeOut) {
    if (recordedModule == nullptr) return kErrNoResource;
    const ResourceData* found = FindDataResource(recordedModule, type, id);
    if (found == nullptr && recordedModule == OwnResourceModule()) found = FindBuiltIn(type, id);
    if (found == nullptr) return kErrNoResource;
    if (destination != nullptr) {
        uint32_t n = maxBytes < found->size ? maxBytes : found->size;
        if (n != 0) std::memcpy(destination, found->bytes, n);
    }
    if (sizeOut != nullptr) *sizeOut = found->size;
    return kOk;
}

Status LoadTextResource(uint32_t id, uint8_t* destination, uint32_t maxBytes, uint32_t* sizeOut) {
    return LoadDataResource("TEXT", id, destination, maxBytes, sizeOut);
}

const ResourceData* BuiltInTextResources(size_t* count) {
    *count = kBuiltInCount;
    return kBuiltIn;
}

}  // namespace aldra
