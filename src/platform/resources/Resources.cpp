#include "platform/resources/Resources.h"

#include <cstring>

namespace aldra {

namespace {
const ResourceModule* resourcesInForce = nullptr;
}

const ResourceModule* GetResourceHandle() {
    return resourcesInForce != nullptr ? resourcesInForce : OwnResourceModule();
}

void SetResourceHandle(const ResourceModule* module) {
    resourcesInForce = module;
}

std::string ResourceText(uint32_t id) {
    const ResourceModule* module = GetResourceHandle();
    if (module == nullptr || module->strings == nullptr) return {};
    for (size_t i = 0; i < module->stringCount; ++i) {
        if (module->strings[i].id == id) return module->strings[i].text;
    }
    return {};
}

const ResourceData* FindDataResource(const ResourceModule* module, const char* type, uint32_t id) {
    if (module == nullptr || module->data == nullptr) return nullptr;
    for (size_t i = 0; i < module->dataCount; ++i) {
        const ResourceData& entry = module->data[i];
        if (entry.id == id && std::strcmp(entry.type, type) == 0) return &entry;
    }
    return nullptr;
}

}  // namespace aldra
