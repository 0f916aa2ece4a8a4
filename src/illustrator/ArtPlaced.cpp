#include "illustrator/ArtPlaced.h"

#include <cmath>

#include "eps/CommentParser.h"
#include "eps/Companions.h"
#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtOperands.h"
#include "illustrator/ArtPass.h"
#include "illustrator/DrawingLayer.h"
#include "illustrator/NotesText.h"

namespace aldra {

namespace {

bool SameFile(const FileStamp& a, const FileStamp& b) {
    return a.device == b.device && a.inode == b.inode;
}

bool AlreadyOpen(const ArtBudget* budget, const FileStamp& stamp) {
    for (int i = 0; i < budget->openCount; ++i) {
        if (SameFile(budget->openFiles[i], stamp)) return true;
    }
    return false;
}

// Only regular files that no pass of this drawing holds open are read: a pipe or device named by
// the drawing could block, and a file of the chain would wait on its own lock. The name comes from
// a file anyone may have sent, so it is looked for beside the placing file (as written, or by its
// last name when it is another machine's path) and only a file in that folder or below is read.
Status OpenPlacedFile(const char* written, const EpsReader* placing, ArtState* state, EpsReader* placed) {
    ArtBudget* budget = state->budget;
    FileStamp stamp;
    if (state->depth >= kMaxNesting || budget->includesLeft <= 0) return kErrFormat;
    const std::string path = ResolveWrittenPath(written, placing->path.c_str(), false);
    if (path.empty()) return kErrFormat;
    if (PathStamp(path.c_str(), &stamp) != kOk || !stamp.regular || AlreadyOpen(budget, stamp))
        return kErrFormat;
    --budget->includesLeft;
    if (Status status = OpenEps(path.c_str(), placed); status != kOk) return status;
    if (Status status = EpsSeek(placed, 0); status != kOk) {
        CloseEps(placed);
        return status;
    }
    budget->openFiles[budget->openCount++] = stamp;
    return kOk;
}

void ClosePlacedFile(ArtState* state, EpsReader* placed) {
    CloseEps(placed);
    --state->budget->openCount;
}

void MarkUndrawable(ArtState* state) {
    if (!state->surface) return;
    DrawCrossedFrame(state->surface, state->placedFrame);
    state->drawn = true;
}

}  // namespace

void NoteOpenDocument(ArtState* state, const EpsReader* eps) {
    ArtBudget* budget = state->budget;
    if (budget->openCount == 0 && eps->reader.stamp.regular)
        budget->openFiles[budget->openCount++] = eps->reader.stamp;
}

Status PlaceIncludedFile(uint8_t* line, EpsReader* eps, ArtState* state) {
    SkipBlanks(line);
    char path[kPStringCapacity];
    PStrToCDropLast(line, path);
    EpsReader placed;
    if (OpenPlacedFile(path, eps, state, &placed) != kOk) {
        MarkUndrawable(state);
        return kOk;
    }
    Status status;
    if (state->surface) {
        status = RunArtPass(&placed, state->surface, &state->placedFrame, state, false);
        if (status == kOk) state->drawn = true;
    } else {
        status = CollectTextPass(&placed, state->notesText, state->maxText, state->sizeGroups, state, false);
    }
    ClosePlacedFile(state, &placed);
    return status;
}

Status PlaceEmbeddedDocument(EpsReader* eps, ArtState* state) {
    bool tooDeep = state->depth >= kMaxNesting;
    if (!state->surface) {
        if (tooDeep) return SkipEmbeddedDocument(eps);
        return CollectTextPass(eps, state->notesText, state->maxText, state->sizeGroups, state, true);
    }
    uint64_t start = EpsTell(eps);
    Status drawn = tooDeep ? kErrFormat : RunArtPass(eps, state->surface, &state->placedFrame, state, true);
    if (drawn != kOk) MarkUndrawable(state);
    state->drawn = true;
    if (Status status = EpsSeek(eps, start); status != kOk) return status;
    return SkipEmbeddedDocument(eps);
}

Status SkipEmbeddedDocument(EpsReader* eps) {
    int depth = 1;
    PString line;
    while (depth >= 1) {
        Status status = ReadLine(eps, line);
        if (status == kErrEof) return kOk;
        if (status != kOk) return status;
        if (MatchKeyword(line, "%%EndDocument")) {
            --depth;
        } else if (MatchKeyword(line, "%%BeginDocument")) {
            ++depth;
        }
    }
    return kOk;
}

void DrawCrossedFrame(TargetRaster* surface, const Rect& frame) {
    SetPenWidth(surface, 1);
    DrawRectangle(surface, frame, kPaintStroke);
    int32_t right = ClampToInt32(int64_t{frame.right} - 1);
    int32_t bottom = ClampToInt32(int64_t{frame.bottom} - 1);
    MoveTo(surface, frame.left, frame.top);
    LineTo(surface, right, bottom);
    MoveTo(surface, frame.left, bottom);
    LineTo(surface, right, frame.top);
}

void PlaceFrameOperator(ArtState* state) {
    PString name;
    double ur[2];
    double ll[2];
    double t[2];
    double m[4];
    if (PopString(state, name) != kOk || PopPoint(state, &ur[0], &ur[1]) != kOk ||
        PopPoint(state, &ll[0], &ll[1]) != kOk || PopPoint(state, &t[0], &t[1]) != kOk ||
        PopFour(state, m) != kOk) {
        return;
    }
    // Rotated and skewed placements have no frame GDI could draw into.
    if (!(std::fabs(m[1]) < 0.0001) || !(std::fabs(m[2]) < 0.0001)) {
        state->placedFrame = Rect{0, 0, 0, 0};
        return;
    }
    DevicePoint corner = ToDevice(state, t[0] + ll[0], t[1] + ll[1]);
    int16_t w = TruncToInt16((ur[0] - ll[0]) * state->scale * m[0]);
    int16_t h = TruncToInt16((ur[1] - ll[1]) * state->scale * m[3]);
    state->placedFrame =
        Rect{corner.x, ClampToInt32(int64_t{corner.y} - h), ClampToInt32(int64_t{corner.x} + w), corner.y};
}

void ClearFrameOperator(ArtState* state) {
    state->placedFrame = Rect{0, 0, 0, 0};
}

}  // namespace aldra
