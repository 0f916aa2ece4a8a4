// Typed data resources ("TEXT" and the like) of the module recorded by the filter control. The
// colour tables travel with the filter's own module; a module that carries its own copies of them
// is read first.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/Result.h"
#include "platform/resources/Resources.h"

namespace aldra {

inline constexpr uint32_t kCmyGridResource = 5000;
inline constexpr uint32_t kBlackCurveResource = 5001;
inline constexpr uint32_t kLabGridResource = 5002;

// Records the module whose resources are read; null forgets it.
void SetResourceModule(const ResourceModule* module);
const ResourceModule* RecordedResourceModule();

// Copies min(maxBytes, resource size) bytes when a destination is given and reports the resource's
// size through sizeOut when that is given. 2003 when no module is recorded or the resource is not
// in it.
Status LoadDataResource(const char* type, uint32_t id, uint8_t* destination, uint32_t maxBytes,
                        uint32_t* sizeOut);
// The same for type "TEXT".
Status LoadTextResource(uint32_t id, uint8_t* destination, uint32_t maxBytes, uint32_t* sizeOut);

// The build-time colour tables as data resources, for a module table that wants to list them.
const ResourceData* BuiltInTextResources(size_t* count);

}  // namespace aldra
