// The IPTC-NAA record of a Photoshop file: a run of data sets, each a 0x1C marker, record and data-set
// numbers, a length (16-bit, or 32-bit behind the bytes 0x80 0x04) and the data. Every length is checked
// against the bytes left before anything is read behind it.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "base/StringList.h"
#include "base/TextBuffer.h"

namespace aldra {

inline constexpr uint8_t kIptcTagMarker = 0x1C;
inline constexpr uint8_t kIptcApplicationRecord = 2;
inline constexpr uint8_t kIptcKeywordsDataSet = 25;
// Types above this one are listed in the notes without their value.
inline constexpr uint8_t kIptcLastCopiedType = 4;

struct IptcDataSet {
    uint8_t record;
    uint8_t dataSet;
    const uint8_t* data;
    uint32_t length;
};

// Reads the data set at *offset and moves *offset behind it. False at the end of the record, at a byte
// other than the marker, or at a data set that does not fit in what remains.
bool NextIptcDataSet(const uint8_t* record, uint32_t size, uint32_t* offset, IptcDataSet* dataSet);

// The notes of one record stop before the line that would take them past this: a caption is at
// most 2,000 bytes, and a forged record of tiny data sets must not grow the notes line by line for
// minutes.
inline constexpr uint32_t kMaxNotesBytes = 256 * 1024;

// Appends every keyword of the record (cut to 255 bytes) to the list and counts them in *count; the
// keywords that would take the list past kMaxListBytes are dropped.
Status CollectIptcKeywords(const uint8_t* record, uint32_t size, StringList* keywords, uint32_t* count);

// Appends one notes line per data set that the table selects, in the order of the record, lines
// separated by a carriage return, up to kMaxNotesBytes.
Status ComposeIptcNotes(const uint8_t* record, uint32_t size, const TextBuffer* anpaTable,
                        const uint8_t* separator, TextBuffer* notes);

}  // namespace aldra
