// The IPTC data-set table of the settings: which IPTC data sets go into the notes, and under which label.
//
// In memory (the content of a TextBuffer): a 16-bit entry count in machine byte order, then the entries,
// each record number, data-set number, value type, add-to-notes flag (one byte each), label length n and
// n label characters. Serialised: one "%ld,%ld,%ld,%ld,%s" line per entry, joined by single line feeds.
#pragma once
#include <cstdint>
#include <string>

#include "base/TextBuffer.h"

namespace aldra {

struct AnpaEntry {
    uint8_t record;
    uint8_t dataSet;
    uint8_t type;
    uint8_t addToNotes;
    const uint8_t* label;  // a PString inside the table
};

inline constexpr uint32_t kAnpaCountBytes = 2;
inline constexpr uint32_t kAnpaEntryHeaderBytes = 5;

// Replaces the table's content by the entries of the text. False on a malformed line (entries before it
// stay) or when the table cannot grow.
bool ParseAnpaSettings(TextBuffer* table, const std::string& text);
// The serialised text of the table.
std::string FormatAnpaSettings(TextBuffer* table);

// Number of entries in the table (0 for a table shorter than its count field).
uint16_t AnpaEntryCount(const TextBuffer* table);
// Reads entry `index`; false when the index or the table's bytes don't reach it.
bool GetAnpaEntry(const TextBuffer* table, uint16_t index, AnpaEntry* entry);
// The entries in order, for walks over the whole table: GetAnpaEntry starts from the front every
// time. False past the last entry, or where the table's bytes end before the count does.
struct AnpaCursor {
    uint32_t offset = kAnpaCountBytes;
    uint32_t index = 0;  // of the entry the next call reads
};
bool NextAnpaEntry(const TextBuffer* table, AnpaCursor* cursor, AnpaEntry* entry);

}  // namespace aldra
