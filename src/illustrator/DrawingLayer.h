// The thin layer between the artwork handlers and GDI on a target raster: a current point kept by
// the layer, lines, rectangles and polygons drawn with a pen and brush made for the one call,
// clipping that replaces the previous clip, and the setters of the surface's drawing attributes.
// Each drawing call becomes a step (DrawingSteps.h), drawn now or by the target's drawing thread.
#pragma once
#include <cstdint>

#include "base/TextBuffer.h"
#include "illustrator/DrawingSteps.h"
#include "platform/gdi/Gdi.h"
#include "preview/TargetRaster.h"

namespace aldra {

// Bit 0 fills with the fill colour, bit 1 strokes with the pen.
inline constexpr uint8_t kPaintFill = 1;
inline constexpr uint8_t kPaintStroke = 2;
inline constexpr uint8_t kPaintFillAndStroke = 3;

// A step of the kind with the surface's pen, brush and fill colour as they are now.
DrawStep StepOf(const TargetRaster* surface, StepKind kind, uint8_t mode = 0);

void MoveTo(TargetRaster* surface, int32_t x, int32_t y);
void MoveBy(TargetRaster* surface, int32_t dx, int32_t dy);
void GetCurrentPoint(TargetRaster* surface, int32_t* x, int32_t* y);
// Strokes from the device context's position; the layer's current point stays where it was.
void LineTo(TargetRaster* surface, int32_t x, int32_t y);
void DrawRectangle(TargetRaster* surface, const Rect& r, uint8_t mode);
// The points of a point list: a stroke alone is an open polyline, a fill is closed by GDI, with
// overlaps left unfilled (even-odd).
void DrawPolygon(TargetRaster* surface, TextBuffer* points, uint8_t mode);
// Each replaces the clipping region; a path of fewer than three points lets nothing through.
void ClipToRect(TargetRaster* surface, const Rect& r);
void ClipToPolygon(TargetRaster* surface, TextBuffer* points);

void SetPenColour(TargetRaster* surface, ColourRef colour);
void SetFillColour(TargetRaster* surface, ColourRef colour);
void SetPenWidth(TargetRaster* surface, int32_t width);
void SetFontName(TargetRaster* surface, const uint8_t* name);
void SetVerticalText(TargetRaster* surface, int32_t vertical);
void SetFontHeight(TargetRaster* surface, int32_t height);

}  // namespace aldra
