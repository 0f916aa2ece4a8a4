#include "illustrator/ArtState.h"

#include <cmath>

#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtOperands.h"

namespace aldra {

namespace {

void ResetGraphics(ArtState* state) {
    state->fillColour = MakeColour(0, 0, 0);
    state->strokeColour = MakeColour(0, 0, 0);
    state->lineWidth = kDefaultLineWidth;
    state->fontSize = 9.0;
    state->leading = 12.0;
    state->textMatrix = TextMatrix{1, 0, 0, 1, 0, 0};
    state->joinPieces = true;
}

// Pixels per page unit along one side, or a negative value for a side without extent.
double SideScale(int32_t pixels, double low, double high) {
    double extent = high - low;
    if (!(extent > 0) || !std::isfinite(extent)) return -1;
    return static_cast<double>(pixels) / extent;
}

}  // namespace

Status InitArtState(ArtState* state, TargetRaster* surface, const Rect* target, TextBuffer* notesText,
                    TextBuffer* sizeGroups, int32_t maxText, const ArtState* parent) {
    state->surface = surface;
    state->notesText = notesText;
    state->maxText = maxText;
    state->sizeGroups = sizeGroups;
    state->drawn = false;
    state->setupEnded = false;
    state->inTrailer = false;
    state->stop = false;
    state->inCrops = false;
    state->top = 0;
    state->currentX = 0;
    state->currentY = 0;
    state->bbox = PageBox{0, 0, 0, 0};
    state->target = target ? *target : Rect{0, 0, 0, 0};
    state->scale = 0;
    state->fillIsPattern = false;
    state->fillText = false;
    state->strokeText = false;
    state->alignment = 0;
    state->vertical = false;
    state->placedFrame = Rect{0, 0, 0, 0};
    ResetGraphics(state);
    state->ownBudget = ArtBudget{};
    state->embedded = false;
    state->depth = parent ? parent->depth + 1 : 0;
    state->budget = parent ? parent->budget : &state->ownBudget;
    return NewBuffer(0, &state->points);
}

void DisposeArtState(ArtState* state) {
    ClearOperands(state);
    state->points.reset();
}

void SetPageBox(ArtState* state, const PageBox& box) {
    if (!state->surface) {
        state->bbox = box;
        return;
    }
    Rect t = state->target;
    double across = SideScale(t.right - t.left, box.llx, box.urx);
    double down = SideScale(t.bottom - t.top, box.lly, box.ury);
    // A box without area describes no page: the mapping stays as it was. A box of one line is
    // mapped by its length.
    if (across < 0 && down < 0) return;
    state->bbox = box;
    if (across < 0) {
        state->scale = down;
    } else if (down < 0) {
        state->scale = across;
    } else {
        state->scale = std::fmin(across, down);
    }
}

}  // namespace aldra
