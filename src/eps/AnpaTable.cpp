#include "eps/AnpaTable.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace aldra {

namespace {

void SetEntryCount(TextBuffer* table, uint16_t count) {
    std::memcpy(BufferData(table), &count, sizeof count);
}

// Reads the four numbers and the comma after the fourth, as "%ld,%ld,%ld,%ld," does.
bool ParseFourNumbers(const std::string& line, long numbers[4]) {
    int consumed = -1;
    const int fields = std::sscanf(line.c_str(), "%ld,%ld,%ld,%ld,%n", &numbers[0], &numbers[1], &numbers[2],
                                   &numbers[3], &consumed);
    return fields == 4 && consumed >= 0;
}

Status AppendEntry(TextBuffer* table, const long numbers[4], const std::string& label) {
    uint8_t header[kAnpaEntryHeaderBytes];
    for (int i = 0; i < 4; ++i) header[i] = static_cast<uint8_t>(numbers[i] & 0xFF);
    const uint32_t labelLength = label.size() > 255 ? 255 : static_cast<uint32_t>(label.size());
    header[4] = static_cast<uint8_t>(labelLength);
    Status status = AppendBytes(header, sizeof header, table);
    if (status == kOk && labelLength > 0) {
        status = AppendBytes(label.data(), labelLength, table);
        // Shrinking stays inside the room the buffer has, so it cannot fail.
        if (status != kOk) (void)SetBufferSize(table, GetBufferSize(table) - kAnpaEntryHeaderBytes);
    }
    return status;
}

}  // namespace

bool ParseAnpaSettings(TextBuffer* table, const std::string& text) {
    if (SetBufferSize(table, kAnpaCountBytes) != kOk) return false;
    uint16_t count = 0;
    SetEntryCount(table, count);
    size_t start = 0;
    bool moreLines = true;
    while (moreLines) {
        const size_t feed = text.find('\n', start);
        moreLines = feed != std::string::npos;
        const std::string line = text.substr(start, moreLines ? feed - start : std::string::npos);
        start = moreLines ? feed + 1 : text.size();
        long numbers[4];
        if (!ParseFourNumbers(line, numbers)) return false;
        // A label cannot hold a comma: it is what follows the line's last comma.
        const std::string label = line.substr(line.rfind(',') + 1);
        if (AppendEntry(table, numbers, label) != kOk) return false;
        SetEntryCount(table, ++count);
    }
    return true;
}

uint16_t AnpaEntryCount(const TextBuffer* table) {
    if (table == nullptr || GetBufferSize(table) < kAnpaCountBytes) return 0;
    uint16_t count;
    std::memcpy(&count, BufferData(table), sizeof count);
    return count;
}

bool NextAnpaEntry(const TextBuffer* table, AnpaCursor* cursor, AnpaEntry* entry) {
    if (cursor->index >= AnpaEntryCount(table)) return false;
    const uint8_t* bytes = BufferData(table);
    const uint32_t size = GetBufferSize(table);
    const uint32_t offset = cursor->offset;
    if (offset > size || size - offset < kAnpaEntryHeaderBytes) return false;
    const uint32_t labelLength = bytes[offset + 4];
    if (size - offset - kAnpaEntryHeaderBytes < labelLength) return false;
    *entry = {bytes[offset], bytes[offset + 1], bytes[offset + 2], bytes[offset + 3], bytes + offset + 4};
    cursor->offset = offset + kAnpaEntryHeaderBytes + labelLength;
    ++cursor->index;
    return true;
}

bool GetAnpaEntry(const TextBuffer* table, uint16_t index, AnpaEntry* entry) {
    AnpaCursor cursor;
    for (;;) {
        if (!NextAnpaEntry(table, &cursor, entry)) return false;
        if (cursor.index == static_cast<uint32_t>(index) + 1) return true;
    }
}

std::string FormatAnpaSettings(TextBuffer* table) {
    std::string text;
    const bool wasLocked = LockBuffer(table, true);
    const uint16_t count = AnpaEntryCount(table);
    for (uint16_t i = 0; i < count; ++i) {
        AnpaEntry entry;
        if (!GetAnpaEntry(table, i, &entry)) break;
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%ld,%ld,%ld,%ld,", static_cast<long>(entry.record),
                      static_cast<long>(entry.dataSet), static_cast<long>(entry.type),
                      static_cast<long>(entry.addToNotes));
        if (!text.empty()) text += '\n';
        text += numbers;
        text.append(reinterpret_cast<const char*>(entry.label + 1), entry.label[0]);
    }
    LockBuffer(table, wasLocked);
    return text;
}

}  // namespace aldra
