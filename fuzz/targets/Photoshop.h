// Photoshop image resources and the IPTC record inside them, reached two ways: from the
// "%BeginPhotoshop:" hex block of the file, as the filter reads them, and straight from the input
// bytes taken as a resource block, so that the binary parsers see every byte the fuzzer makes.
#pragma once
#include <string>

#include "base/StringList.h"
#include "eps/AnpaTable.h"
#include "eps/Iptc.h"
#include "eps/Photoshop.h"
#include "fuzz/targets/Scratch.h"

namespace aldra::fuzz {

// The table selects every data set a real table might, so that ComposeIptcNotes copies values of
// every type, and lists the keywords twice to make the first-entry rule matter.
inline const TextBuffer* EveryDataSetTable() {
    static const BufferPtr table = [] {
        BufferPtr t;
        if (NewBuffer(0, &t) != kOk) return t;
        ParseAnpaSettings(t.get(),
                          "2,5,0,1,Object\n2,25,1,1,Keywords\n2,25,1,1,Again\n2,55,2,1,Date\n"
                          "2,80,3,1,By-line\n2,105,4,1,Headline\n2,116,5,1,Copyright\n"
                          "2,120,0,1,Caption\n1,90,0,1,Envelope\n2,200,6,0,Off");
        return t;
    }();
    return table.get();
}

inline void ExerciseIptcRecord(const uint8_t* record, uint32_t size) {
    StringListPtr keywords;
    uint32_t count = 0;
    if (NewBuffer(0, &keywords) == kOk && CollectIptcKeywords(record, size, keywords.get(), &count) == kOk)
        ALDRA_FUZZ_CHECK(CountEntries(keywords.get()) == count);

    PString separator;
    PStrFromC(": ", separator, sizeof separator);
    BufferPtr notes;
    if (NewBuffer(0, &notes) == kOk)
        (void)ComposeIptcNotes(record, size, EveryDataSetTable(), separator, notes.get());

    const uint8_t* value = nullptr;
    uint32_t length = 0;
    if (FindIptcDataSet(record, size, kIptcApplicationRecord, 120, &value, &length) == kOk)
        ALDRA_FUZZ_CHECK(value >= record && value + length <= record + size);
}

inline void ExerciseResourceBlock(const uint8_t* block, uint32_t size) {
    int32_t h = 0, v = 0;
    (void)ReadPhotoshopResolution(block, size, &h, &v);  // any answer will do; crashes will not
    for (uint16_t id : {kIptcResource, uint16_t{1033}, uint16_t{1036}}) {
        const uint8_t* data = nullptr;
        uint32_t length = 0;
        if (FindImageResource(block, size, id, &data, &length) != kOk) continue;
        ALDRA_FUZZ_CHECK(data >= block && data + length <= block + size);
        if (id == kIptcResource) ExerciseIptcRecord(data, length);
    }
}

inline int FuzzPhotoshop(const uint8_t* data, size_t size) {
    ExerciseResourceBlock(data, Size32(size));

    const std::string path = WriteScratch("photoshop/input.eps", data, size);
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return 0;
    BufferPtr block;
    if (ReadPhotoshopData(&eps, &block) == kOk) {
        LockBuffer(block.get(), true);
        ExerciseResourceBlock(BufferData(block.get()), GetBufferSize(block.get()));
        StringListPtr keywords;
        uint32_t count = 0;
        if (IptcKeywordsOfBlock(block.get(), &keywords, &count) == kOk) {
            ALDRA_FUZZ_CHECK(count > 0 && CountEntries(keywords.get()) == count);
        }
        PString separator;
        PStrFromC(" - ", separator, sizeof separator);
        BufferPtr notes;
        if (IptcNotesOfBlock(block.get(), EveryDataSetTable(), separator, &notes) == kOk) {
            ALDRA_FUZZ_CHECK(GetBufferSize(notes.get()) > 0);
        }
    }
    CloseEps(&eps);
    return 0;
}

}  // namespace aldra::fuzz
