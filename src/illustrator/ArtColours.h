// Illustrator's colours: grey, CMYK, custom (tinted CMYK) and RGB values from 0 to 1, made into
// COLORREFs for the fill and the stroke, and the pattern marker and line width that go with them.
#pragma once
#include <cstdint>

#include "illustrator/ArtState.h"

namespace aldra {

// Each component is cut to a whole 0..255 and its low byte kept; grey g is (g, g, g).
ColourRef ColourFromRgb(double r, double g, double b);
// Through the CMYK colour table; its failure (the table cannot be loaded) is returned with *colour
// unchanged.
Status ColourFromCmyk(double c, double m, double y, double k, ColourRef* colour);

// The handlers, for the operators named: g and G, k and K, x and X, Xa and XA, p and P, w. `fill`
// chooses the lower-case (fill) form.
void SetGreyOperator(ArtState* state, bool fill);
void SetCmykOperator(ArtState* state, bool fill);
void SetCustomColourOperator(ArtState* state, bool fill);
void SetRgbOperator(ArtState* state, bool fill);
void MarkPatternOperator(ArtState* state);
void SetLineWidthOperator(ArtState* state);

}  // namespace aldra
