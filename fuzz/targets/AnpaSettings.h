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
    BufferPtr table;
    if (NewBuffer(0, &table) != kOk) return 0;
    const bool parsed = ParseAnpaSettings(table.get(), text);
    const uint16_t count = AnpaEntryCount(table.get());
    for (uint16_t i = 0; i < count; ++i) {
        AnpaEntry entry;
        ALDRA_FUZZ_CHECK(GetAnpaEntry(table.get(), i, &entry));
    }
    AnpaEntry past;
    ALDRA_FUZZ_CHECK(!GetAnpaEntry(table.get(), count, &past));

    const std::string saved = FormatAnpaSettings(table.get());
    if (parsed && count > 0) {
        BufferPtr again;
        if (NewBuffer(0, &again) == kOk) {
            ALDRA_FUZZ_CHECK(ParseAnpaSettings(again.get(), saved));
            ALDRA_FUZZ_CHECK(GetBufferSize(again.get()) == GetBufferSize(table.get()));
            ALDRA_FUZZ_CHECK(std::memcmp(BufferData(again.get()), BufferData(table.get()),
                                         GetBufferSize(table.get())) == 0);
        }
    }
    return 0;
}

}  // namespace aldra::fuzz
