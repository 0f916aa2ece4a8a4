// One pass over one Illustrator document: lines are read, split into tokens, and each operator is
// handed to the pass's dispatcher. The render pass and the notes' text pass share the loop and
// differ only in their dispatcher and in having a surface.
#pragma once
#include <cstdint>

#include "illustrator/ArtState.h"

namespace aldra {

using OperatorDispatcher = void (*)(EpsReader* eps, ArtState* state, uint16_t code);

// Reads from the current position until the document ends: at "%%EOF" or the end of the file, and
// an embedded document at its own "%%EndDocument" line instead of "%%EOF". 0, or the error that
// ended it.
Status RunPassLoop(EpsReader* eps, ArtState* state, OperatorDispatcher dispatch);

// The render pass from the current position into the target rectangle. `parent` is the pass the
// document is nested in (null for the top level). 2020 when nothing was painted.
Status RunArtPass(EpsReader* eps, TargetRaster* surface, const Rect* target, const ArtState* parent = nullptr,
                  bool embedded = false);

// The render pass's operator table; handler failures end the operator, not the pass.
void DispatchArtOperator(EpsReader* eps, ArtState* state, uint16_t code);

}  // namespace aldra
