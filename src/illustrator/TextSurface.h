// Text on the drawing surface: a font made for each call from the surface's face name and font
// height, the extent of a string, and the string drawn with its baseline on the current point,
// which then moves to the end of the text. Vertical text sets one character below the other.
// Horizontal text shown without its width leaves the point's move pending until it is asked for.
#pragma once
#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "preview/TargetRaster.h"

namespace aldra {

// Width and height in pixels at the surface's font height; (0, 0) for the empty string.
void MeasureText(TargetRaster* surface, const uint8_t* text, int32_t* width, int32_t* height);
// In the fill colour, on a transparent background. `measuredWidth`, when given, is what MeasureText
// just gave for the same text and font, and the point moves at once; without it, horizontal text
// leaves the move pending.
void ShowText(TargetRaster* surface, const uint8_t* text, const int32_t* measuredWidth = nullptr);
// Text too small to read, as a grey bar in place of text of height `size`, measured at the
// surface's font height; the point's move to the bar's end is left pending.
void ShowGreekedText(TargetRaster* surface, const uint8_t* text, int32_t size);
// Moves the current point to the end of the text shown last when that move is pending. Every
// reader of the point calls it first (the drawing layer does); MoveTo drops a pending move.
void SettleTextAdvance(TargetRaster* surface);

}  // namespace aldra
