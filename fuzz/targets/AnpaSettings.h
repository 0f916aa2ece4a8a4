// The IPTC data-set table as the settings store it, one "record,dataset,type,add,label" line per
// entry. A table that parses must come back from its own text unchanged, since the setup page saves
// it that way and the next load reads it again.
#pragma once
#include <cstring>
#include <string>

#include "eps/AnpaTable.h"
#include "fuzz/targets/Scratch.h"

namespace aldra::fuzz {

inline int FuzzAnpaSettings(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TextBuffer* table = nullptr;
    if (NewBuffer(0, &table) != kOk) return 0;
    const bool parsed = ParseAnpaSettings(table, text);
    const uint16_t count = AnpaEntryCount(table);
    for (uint16_t i = 0; i < count; ++i) {
        AnpaEntry entry;
        ALDRA_FUZZ_CHECK(GetAnpaEntry(table, i, &entry));
    }
    AnpaEntry past;
    ALDRA_FUZZ_CHECK(!GetAnpaEntry(table, count, &past));

    const std::string saved = FormatAnpaSettings(table);
    if (parsed && count > 0) {
        TextBuffer* again = nullptr;
        if (NewBuffer(0, &again) == kOk) {
            ALDRA_FUZZ_CHECK(ParseAnpaSettings(again, saved));
            ALDRA_FUZZ_CHECK(GetBufferSize(again) == GetBufferSize(table));
            ALDRA_FUZZ_CHECK(std::memcmp(BufferData(again), BufferData(table), GetBufferSize(table)) == 0);
        }
        DisposeBuffer(again);
    }
    DisposeBuffer(table);
    return 0;
}

}  // namespace aldra::fuzz
