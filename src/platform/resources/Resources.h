// Module resources: string tables and typed data blocks ("TEXT" colour tables), looked up by id in the
// resource module in force. A localisation module may replace the filter's own module; every lookup goes
// to whichever module is in force at call time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace aldra {

struct ResourceString {
    uint32_t id;
    const char* text;  // Windows-1252, zero-terminated
};

struct ResourceData {
    const char* type;  // such as "TEXT"
    uint32_t id;
    const uint8_t* bytes;
    uint32_t size;
};

struct ResourceModule {
    const char* name;
    const ResourceString* strings;
    size_t stringCount;
    const ResourceData* data;
    size_t dataCount;
};

// The filter's own resources (resources/StringTable.cpp and the generated colour tables).
const ResourceModule* OwnResourceModule();

// The module in force; the filter's own until SetResourceHandle names another.
const ResourceModule* GetResourceHandle();
void SetResourceHandle(const ResourceModule* module);

// The text of a string resource of the module in force, empty when it is missing.
std::string ResourceText(uint32_t id);

// Finds a data resource of a type and id in a module; null when it is not there.
const ResourceData* FindDataResource(const ResourceModule* module, const char* type, uint32_t id);

}  // namespace aldra
