// The structure comments that steer a pass: the bounding box fixes the page mapping, prolog
// sections are skipped, the setup, crop-mark and trailer comments switch interpretation on and
// off, and placed art starts a nested pass.
#pragma once
#include "illustrator/ArtState.h"

namespace aldra {

// `line` is the comment without its first "%". A read error while skipping a section is returned,
// as is the result of a nested pass.
Status HandleArtComment(uint8_t* line, EpsReader* eps, ArtState* state);

}  // namespace aldra
