// Memory handles as the Toolbox hands them out: a handle points at the pointer to its data. The
// module keeps every handle it made in a table, so that a handle it does not know (disposed, or
// never its own) is refused instead of followed.
#pragma once
#include <cstdint>

#include "platform/quicktime/QuickTime.h"

namespace aldra::qt {

struct HandleRecord {
    uint8_t* data;  // first, so that the record's address is the handle
    uint32_t size;
    int16_t owner;      // reference number of the resource file that holds it, 0 when none
    const void* entry;  // the map entry it was read from while owned
};

// A copy of the bytes in a new handle; null when out of memory.
HandleRecord* NewHandleRecord(const uint8_t* bytes, uint32_t size, int16_t owner, const void* entry);
// The record behind a handle this module made and has not disposed of, else null.
HandleRecord* FindHandleRecord(Handle handle);
void DisposeHandleRecord(HandleRecord* record);

inline Handle HandleOf(HandleRecord* record) {
    return &record->data;
}

}  // namespace aldra::qt
