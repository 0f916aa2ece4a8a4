// Illustrator's text operators: a text matrix and a text position in page units place each string,
// drawn with a font of the Illustrator face name at the size the page mapping gives. Text under
// seven pixels is drawn as grey bars of its extent. The state operators serve the text pass of the
// notes as well, which has no surface.
#pragma once
#include <cstdint>

#include "illustrator/ArtState.h"

namespace aldra {

// Text smaller than this many pixels is greeked.
inline constexpr int32_t kSmallestReadableText = 7;

void TextBlockOperator(ArtState* state, uint16_t code);  // a, e, o, r
void TextMatrixOperator(ArtState* state);                // Tm
void TextPathOperator(ArtState* state);                  // Tp
void TextObjectOperator(ArtState* state);                // To
void TextRenderOperator(ArtState* state);                // Tr
void FontOperator(ArtState* state);                      // Tf
void FontAndLeadingOperator(ArtState* state);            // z
void LeadingOperator(ArtState* state);                   // Tl
void AlignmentOperator(ArtState* state);                 // Ta
void VerticalTextOperator(ArtState* state);              // Tv
void TextMoveOperator(ArtState* state);                  // Td
void NextLineOperator(ArtState* state);                  // T*
void ShowTextOperator(ArtState* state, uint16_t code);   // t, Tj, Tx

// The text position through the text matrix, made the surface's current point.
void MoveToTextOrigin(ArtState* state);

}  // namespace aldra
