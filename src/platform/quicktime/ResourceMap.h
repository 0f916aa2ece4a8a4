// The resource map of a fork: which resources it holds and where their data lie. The map is taken
// apart completely when the fork is opened, with every offset and count checked against the fork's
// size, so that a fork either opens whole or not at all (a damaged fork is no fork).
#pragma once
#include <cstdint>
#include <vector>

#include "base/Result.h"

namespace aldra::qt {

struct ResourceEntry {
    uint32_t type;
    int16_t id;
    uint32_t offset;  // of the data bytes in the fork
    uint32_t length;
};

// Entries in the map's order: by type as the type list has them, then as each reference list has
// them. 2020 for a damaged map, 1000 when out of memory.
Status ParseResourceMap(const uint8_t* fork, uint32_t size, std::vector<ResourceEntry>* entries);

const ResourceEntry* FindResourceEntry(const std::vector<ResourceEntry>& entries, uint32_t type, int16_t id);
// index counts from 1 among the resources of that type.
const ResourceEntry* FindIndexedEntry(const std::vector<ResourceEntry>& entries, uint32_t type,
                                      int32_t index);

}  // namespace aldra::qt
