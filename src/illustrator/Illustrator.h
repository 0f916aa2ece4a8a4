// The Illustrator artwork interpreter: drawings that carry no usable preview are drawn from their
// own path and text operators, and their text is collected for the catalogue's notes.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "base/TextBuffer.h"
#include "eps/EpsReader.h"
#include "preview/TargetRaster.h"

namespace aldra {

// Whether the head comments name Adobe Illustrator as the creator. Moves the read position.
bool IsIllustratorFile(EpsReader* eps);
// Draws the artwork into the destination rectangle of the target: 2020 when the file is no
// Illustrator drawing or nothing could be painted.
Status RenderIllustratorArt(EpsReader* eps, TargetRaster* target, const Rect* destination);
// Writes the drawing's text into the notes, one line per font size from the largest down, cut to
// maxText bytes: 2020 when the file is no Illustrator drawing.
Status CollectIllustratorText(EpsReader* eps, TextBuffer* notes, int32_t maxText);

}  // namespace aldra
