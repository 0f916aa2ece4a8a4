// Paths in page units, mapped point by point to device pixels as they are built, then filled,
// stroked or made the clipping region. A new path begins only with "m": painting leaves the
// points in place, so a line after a paint operator extends the painted path.
#pragma once
#include <cstdint>

#include "illustrator/ArtState.h"

namespace aldra {

void MoveOperator(ArtState* state);                  // m
void LineOperator(ArtState* state);                  // l, L
void CurveOperator(ArtState* state, uint16_t code);  // c, C, v, V, y, Y
void DiscardPathOperator(ArtState* state);           // N
void ClosePathOperator(ArtState* state);             // n
void PaintOperator(ArtState* state, uint16_t code);  // f, F, s, S, b, B
void ClipOperator(ArtState* state);                  // W
void ResetClipOperator(ArtState* state);             // q, Q

// The cubic from the current point through p1 and p2 to p3, as sixteen chords found by forward
// differences; the current point becomes p3. 1000 when the path cannot take more points.
Status AddCurve(ArtState* state, const double p1[2], const double p2[2], const double p3[2]);

// Pen width in pixels for the state's line width: at least one pixel, and never so wide that a
// stroke costs more than covering the whole target many times over.
int32_t PenWidthFor(const ArtState* state);

}  // namespace aldra
