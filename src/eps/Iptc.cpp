#include "eps/Iptc.h"

#include "base/Bytes.h"
#include "base/PString.h"
#include "eps/AnpaTable.h"
#include "eps/EpsInfo.h"
#include "eps/Photoshop.h"

namespace aldra {

namespace {

constexpr uint32_t kHeaderBytes = 5;
constexpr uint32_t kExtendedHeaderBytes = 9;
constexpr uint8_t kCarriageReturn = 13;

bool IsExtendedLength(const uint8_t* header) {
    return header[3] == 0x80 && header[4] == 4;
}

// The first selected entry for the data set; false when the table selects none.
bool FindSelectedEntry(const TextBuffer* table, const IptcDataSet& dataSet, AnpaEntry* entry) {
    AnpaCursor cursor;
    while (NextAnpaEntry(table, &cursor, entry)) {
        if (entry->addToNotes && entry->record == dataSet.record && entry->dataSet == dataSet.dataSet)
            return true;
    }
    return false;
}

Status AppendNotesLine(const AnpaEntry& entry, const uint8_t* separator, const IptcDataSet& dataSet,
                       TextBuffer* notes) {
    Status status = kOk;
    if (GetBufferSize(notes) > 0) status = AppendBytes(&kCarriageReturn, 1, notes);
    if (status == kOk) status = AppendBytes(entry.label + 1, PStrLength(entry.label), notes);
    if (status == kOk) status = AppendBytes(separator + 1, PStrLength(separator), notes);
    if (status == kOk && entry.type <= kIptcLastCopiedType)
        status = AppendBytes(dataSet.data, dataSet.length, notes);
    return status;
}

}  // namespace

bool NextIptcDataSet(const uint8_t* record, uint32_t size, uint32_t* offset, IptcDataSet* dataSet) {
    if (*offset >= size) return false;
    uint32_t left = size - *offset;
    const uint8_t* header = record + *offset;
    if (header[0] != kIptcTagMarker || left < kHeaderBytes) return false;
    uint32_t headerBytes = kHeaderBytes;
    uint32_t length = LoadBe16(header + 3);
    if (IsExtendedLength(header)) {
        if (left < kExtendedHeaderBytes) return false;
        headerBytes = kExtendedHeaderBytes;
        length = LoadBe32(header + 5);
    }
    if (length > left - headerBytes) return false;
    dataSet->record = header[1];
    dataSet->dataSet = header[2];
    dataSet->data = header + headerBytes;
    dataSet->length = length;
    *offset += headerBytes + length;
    return true;
}

Status FindIptcDataSet(const uint8_t* record, uint32_t size, uint8_t recordNumber, uint8_t dataSetNumber,
                       const uint8_t** data, uint32_t* length) {
    uint32_t offset = 0;
    IptcDataSet dataSet;
    while (NextIptcDataSet(record, size, &offset, &dataSet)) {
        if (dataSet.record == recordNumber && dataSet.dataSet == dataSetNumber) {
            *data = dataSet.data;
            *length = dataSet.length;
            return kOk;
        }
    }
    return kErrFormat;
}

Status CollectIptcKeywords(const uint8_t* record, uint32_t size, StringList* keywords, uint32_t* count) {
    uint32_t offset = 0;
    IptcDataSet dataSet;
    while (NextIptcDataSet(record, size, &offset, &dataSet)) {
        if (dataSet.record != kIptcApplicationRecord || dataSet.dataSet != kIptcKeywordsDataSet) continue;
        PString keyword;
        uint32_t kept = dataSet.length < kMaxLine ? dataSet.length : kMaxLine;
        if (GetBufferSize(keywords) + 1u + kept > kMaxListBytes) break;
        keyword[0] = static_cast<uint8_t>(kept);
        for (uint32_t i = 0; i < kept; ++i) keyword[1 + i] = dataSet.data[i];
        Status status = AppendEntry(keyword, keywords);
        if (status != kOk) return status;
        ++*count;
    }
    return kOk;
}

Status ComposeIptcNotes(const uint8_t* record, uint32_t size, const TextBuffer* anpaTable,
                        const uint8_t* separator, TextBuffer* notes) {
    uint32_t offset = 0;
    IptcDataSet dataSet;
    while (NextIptcDataSet(record, size, &offset, &dataSet)) {
        AnpaEntry entry;
        if (!FindSelectedEntry(anpaTable, dataSet, &entry)) continue;
        uint64_t line = 1 + uint64_t{PStrLength(entry.label)} + PStrLength(separator) +
                        (entry.type <= kIptcLastCopiedType ? dataSet.length : 0);
        if (GetBufferSize(notes) + line > kMaxNotesBytes) break;
        Status status = AppendNotesLine(entry, separator, dataSet, notes);
        if (status != kOk) return status;
    }
    return kOk;
}

}  // namespace aldra
