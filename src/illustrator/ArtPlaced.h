// Placed art: a document embedded in the drawing or a file it includes is drawn by a nested pass
// into the frame the placement operators gave, or shown as a crossed-out frame when it cannot be
// drawn. The text pass collects the text of nested documents into the same notes.
#pragma once
#include "illustrator/ArtState.h"

namespace aldra {

// "%%IncludeFile:" with the rest of the comment line: the path and one character after it.
Status PlaceIncludedFile(uint8_t* line, EpsReader* eps, ArtState* state);
// "%%BeginDocument:": the document runs from the next line to its matching "%%EndDocument".
Status PlaceEmbeddedDocument(EpsReader* eps, ArtState* state);
// Reads past the "%%EndDocument" line that matches a "%%BeginDocument:" line already read.
Status SkipEmbeddedDocument(EpsReader* eps);
// The frame outlined with a one-pixel pen, with both diagonals.
void DrawCrossedFrame(TargetRaster* surface, const Rect& frame);

void PlaceFrameOperator(ArtState* state);  // the grave accent
void ClearFrameOperator(ArtState* state);  // ~

// Records the document a top-level pass reads, so that placing it into itself is refused.
void NoteOpenDocument(ArtState* state, const EpsReader* eps);

}  // namespace aldra
