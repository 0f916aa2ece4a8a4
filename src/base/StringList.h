// A StringList is a TextBuffer holding length-prefixed entries back to back, in the order they
// were added; an empty entry (a single 0 byte) is a valid entry. The count is kept by the owner.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "base/TextBuffer.h"

namespace aldra {

using StringList = TextBuffer;
using StringListPtr = BufferPtr;  // the owner of a list

Status AppendEntry(const uint8_t* entry, StringList* list);
// Walks the entries with the list locked (the previous lock state is put back afterwards). The
// visitor returns false to stop early. A truncated last entry, which only a foreign buffer can
// hold, ends the walk.
void ForEachEntry(const StringList* list, const std::function<bool(const uint8_t* entry)>& visit);
uint32_t CountEntries(const StringList* list);
// The entries as one text, a separator in front of each entry that follows non-empty text.
std::string JoinStringList(const StringList* list, char separator);

}  // namespace aldra
