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

bool LoadResourceStringFrom(const ResourceModule* module, uint32_t id, std::string* out) {
    out->clear();
    if (module == nullptr || module->strings == nullptr) return false;
    for (size_t i = 0; i < module->stringCount; ++i) {
        if (module->strings[i].id == id) {
            out->assign(module->strings[i].text);
            return true;
        }
    }
    return false;
}

bool LoadResourceString(uint32_t id, std::string* out) {
    return LoadResourceStringFrom(GetResourceHandle(), id, out);
}

std::string ResourceText(uint32_t id) {
    std::string text;
    LoadResourceString(id, &text);
    return text;
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
