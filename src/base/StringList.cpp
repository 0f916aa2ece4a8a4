#include "base/StringList.h"

#include "base/PString.h"

namespace aldra {

Status AppendEntry(const uint8_t* entry, StringList* list) {
    return AppendBytes(entry, static_cast<uint32_t>(entry[0]) + 1, list);
}

void ForEachEntry(const StringList* list, const std::function<bool(const uint8_t* entry)>& visit) {
    auto* mutableList = const_cast<StringList*>(list);
    bool wasLocked = LockBuffer(mutableList, true);
    const uint8_t* data = BufferData(list);
    uint32_t size = GetBufferSize(list);
    uint32_t offset = 0;
    while (offset < size) {
        uint32_t entrySize = static_cast<uint32_t>(data[offset]) + 1;
        if (entrySize > size - offset) break;
        if (!visit(data + offset)) break;
        offset += entrySize;
    }
    LockBuffer(mutableList, wasLocked);
}

uint32_t CountEntries(const StringList* list) {
    uint32_t count = 0;
    ForEachEntry(list, [&](const uint8_t*) {
        ++count;
        return true;
    });
    return count;
}

std::string JoinStringList(const StringList* list, char separator) {
    std::string text;
    ForEachEntry(list, [&](const uint8_t* entry) {
        char piece[260];
        PStrToC(entry, piece, sizeof piece);
        if (!text.empty()) text += separator;
        text += piece;
        return true;
    });
    return text;
}

}  // namespace aldra
