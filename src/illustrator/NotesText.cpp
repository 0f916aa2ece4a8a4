#include "illustrator/NotesText.h"

#include <algorithm>

#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtOperands.h"
#include "illustrator/ArtPass.h"
#include "illustrator/ArtPlaced.h"
#include "illustrator/ArtText.h"
#include "illustrator/ArtTokens.h"
#include "illustrator/Illustrator.h"

namespace aldra {

namespace {

constexpr uint32_t kLineEndBytes = 2;  // line feed, carriage return

uint32_t LimitOf(const ArtState* state) {
    return static_cast<uint32_t>(std::max(state->maxText, 0));
}

void CutNotes(TextBuffer* notes, int32_t maxText) {
    uint32_t limit = static_cast<uint32_t>(std::max(maxText, 0));
    // Shrinking never fails.
    if (GetBufferSize(notes) > limit) (void)SetBufferSize(notes, limit);
}

// Bytes at or past the limit are cut at the end whatever comes later, since insertions only push
// text further back; they are dropped at once so that the notes never outgrow the limit.
Status InsertKept(ArtState* state, uint64_t at, const uint8_t* bytes, uint32_t count) {
    uint32_t limit = LimitOf(state);
    if (at >= limit) return kOk;
    uint32_t kept = static_cast<uint32_t>(std::min<uint64_t>(count, limit - at));
    if (Status status = InsertBytes(bytes, kept, state->notesText, static_cast<uint32_t>(at)); status != kOk)
        return status;
    CutNotes(state->notesText, state->maxText);
    return kOk;
}

SizeGroup* Groups(TextBuffer* table) {
    return reinterpret_cast<SizeGroup*>(BufferData(table));
}

uint32_t GroupCount(const TextBuffer* table) {
    return GetBufferSize(table) / sizeof(SizeGroup);
}

Status JoinGroup(ArtState* state, SizeGroup* group, uint64_t offset, uint8_t* piece) {
    if (state->joinPieces) {
        const uint8_t space[2] = {1, ' '};
        PStrInsert(space, piece, 1, kPStringCapacity);
    } else {
        state->joinPieces = true;
    }
    uint32_t before = group->length;
    group->length += piece[0];
    return InsertKept(state, offset + before - kLineEndBytes, piece + 1, piece[0]);
}

Status StartGroup(ArtState* state, uint32_t index, uint64_t offset, int32_t key, uint8_t* piece) {
    TextBuffer* table = state->sizeGroups;
    if (GroupCount(table) >= kMaxSizeGroups) return kOk;
    const uint8_t lineEnd[3] = {2, '\n', '\r'};
    PStrAppend(lineEnd, piece, kPStringCapacity);
    if (Status status = InsertKept(state, offset, piece + 1, piece[0]); status != kOk) return status;
    SizeGroup entry{key, piece[0]};
    return InsertBytes(&entry, sizeof entry, table, index * sizeof entry);
}

}  // namespace

Status CollectTextPiece(ArtState* state) {
    PString piece;
    if (PopString(state, piece) != kOk) return kOk;
    int32_t key = TruncToInt32(state->fontSize * state->textMatrix.d + 0.5);
    TextBuffer* table = state->sizeGroups;
    uint32_t count = GroupCount(table);
    uint64_t offset = 0;
    uint32_t i = 0;
    while (i < count && Groups(table)[i].key > key) {
        offset += Groups(table)[i].length;
        ++i;
    }
    if (i < count && Groups(table)[i].key == key) return JoinGroup(state, &Groups(table)[i], offset, piece);
    return StartGroup(state, i, offset, key, piece);
}

void DispatchTextOperator(EpsReader*, ArtState* state, uint16_t code) {
    switch (code) {
        case 't':
        case OperatorCode("Tj"):
        case OperatorCode("Tx"):
            // Out of memory the piece is left out and the pass goes on.
            (void)CollectTextPiece(state);
            break;
        case OperatorCode("Tk"):
            state->joinPieces = false;
            break;
        case OperatorCode("Tf"):
            FontOperator(state);
            break;
        case 'z':
            FontAndLeadingOperator(state);
            break;
        case 'r':
            TextBlockOperator(state, code);
            break;
        case OperatorCode("Tp"):
            TextPathOperator(state);
            break;
        case '`':
            PlaceFrameOperator(state);
            break;
        case '~':
            ClearFrameOperator(state);
            break;
        default:
            break;
    }
    ClearOperands(state);
}

Status CollectTextPass(EpsReader* eps, TextBuffer* notes, int32_t maxText, TextBuffer* sizeGroups,
                       const ArtState* parent, bool embedded) {
    ArtState state;
    Status status = InitArtState(&state, nullptr, nullptr, notes, sizeGroups, maxText, parent);
    if (status == kOk) {
        state.embedded = embedded;
        if (!parent) NoteOpenDocument(&state, eps);
        status = RunPassLoop(eps, &state, DispatchTextOperator);
    }
    DisposeArtState(&state);
    CutNotes(notes, maxText);
    return status;
}

Status CollectIllustratorText(EpsReader* eps, TextBuffer* notes, int32_t maxText) {
    if (!IsIllustratorFile(eps)) return kErrFormat;
    if (Status status = RewindToPostScript(eps); status != kOk) return status;
    BufferPtr groups;
    if (Status status = NewBuffer(0, &groups); status != kOk) return status;
    return CollectTextPass(eps, notes, maxText, groups.get());
}

}  // namespace aldra
