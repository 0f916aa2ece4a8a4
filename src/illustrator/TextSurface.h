// Text on the drawing surface: a font made for each call from the surface's face name and font
// height, the extent of a string, and the string drawn with its baseline on the current point,
// which then moves to the end of the text. Vertical text sets one character below the other.
#pragma once
#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "preview/TargetRaster.h"

namespace aldra {

HFONT MakeTextFont(const TargetRaster* surface);
// Width and height in pixels at the surface's font height; (0, 0) for the empty string.
void MeasureText(TargetRaster* surface, const uint8_t* text, int32_t* width, int32_t* height);
// In the fill colour, on a transparent background. `measuredWidth`, when given, is what MeasureText
// just gave for the same text and font, which spares measuring it again.
void ShowText(TargetRaster* surface, const uint8_t* text, const int32_t* measuredWidth = nullptr);

}  // namespace aldra
