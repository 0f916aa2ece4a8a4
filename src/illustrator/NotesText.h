// The text of a drawing for the catalogue's notes: a second pass over the file that draws nothing
// and collects every shown string, grouped by font size, one line per size from the largest down,
// so that titles and headlines come before body text.
#pragma once
#include <cstdint>

#include "illustrator/ArtState.h"

namespace aldra {

// One size group of the notes: the text of size `key` is the next `length` bytes.
struct SizeGroup {
    int32_t key;
    uint32_t length;
};
// Drawings use a handful of sizes; text of further sizes is left out, so that no file can make
// each piece walk an endless table.
inline constexpr uint32_t kMaxSizeGroups = 4096;

// One text pass from the current position, sharing the notes and the size groups with the pass it
// is nested in (`parent`, null at the top). The notes are cut to maxText bytes; text that would
// land past them is never stored.
Status CollectTextPass(EpsReader* eps, TextBuffer* notes, int32_t maxText, TextBuffer* sizeGroups,
                       const ArtState* parent = nullptr, bool embedded = false);
void DispatchTextOperator(EpsReader* eps, ArtState* state, uint16_t code);
// Takes a string operand into its size group; an allocation failure is returned.
Status CollectTextPiece(ArtState* state);

}  // namespace aldra
