// The raster every preview is drawn into: a DIB section selected into a memory device context, so
// that decoders can stretch their pixels into it with GDI and the artwork renderer can draw into
// it with GDI calls. It lives for one picture command.
#pragma once
#include "base/PString.h"
#include "platform/gdi/Gdi.h"
#include "preview/Raster.h"

namespace aldra {

class DrawingQueue;

struct TargetRaster {
    RasterImage raster;  // pixels are the section's bits, bottom row first, in DIB order
    HDC memoryDc;
    HDC screenDc;
    HBITMAP section;  // null once a picture has taken it over
    HGDIOBJ previousBitmap;
    // Drawing state for the artwork renderer, which keeps its own after these.
    int32_t currentX;
    int32_t currentY;
    int32_t penWidth;
    ColourRef penColour;
    ColourRef fillColour;
    PString faceName;
    int32_t verticalText;  // 1: characters are set one below the other
    int32_t fontHeight;    // pixels
    // Text drawn from the current point whose width is not known yet: the point is at its end, found
    // by measuring the text in its font only when something asks where the point is. Greeked text
    // is measured at one height and stands for text of another, its size.
    bool advancePending;
    PString pendingText;
    PString pendingFace;
    int32_t pendingHeight;
    int32_t pendingSize;
    // The own pixel size of the raster picture last drawn into the target (0 x 0 for artwork drawn
    // with GDI calls), so that a host can keep a small preview from being blown up.
    uint32_t sourceWidth;
    uint32_t sourceHeight;
    // The artwork renderer's drawing thread while one draws into the target; null otherwise.
    DrawingQueue* queue;
};

// 0, or 2020 when GDI cannot give the contexts or the section (nothing is left to release then).
// Depth 8 gets the grey table (entry i is grey 255 - i); the target starts white.
Status CreateTargetRaster(uint32_t bitsPerPixel, uint32_t width, uint32_t height, TargetRaster* target);
void DestroyTargetRaster(TargetRaster* target);
// A context with the target's mapping and no pixels of its own, for measuring text where the
// target's context is busy; null when GDI cannot give one. The caller deletes it.
HDC CreateMeasureDc(const TargetRaster* target);

// Draws a source raster in DIB order into r (target pixels, top-left origin), stretched to fill it.
void DrawRaster(TargetRaster* target, const RasterImage* source, const Rect& r);
// The 1-bit to 8-bit path of DrawRaster: each target pixel shows the share of white in its cell of
// source pixels, so that thin lines fade instead of vanishing.
void ReduceBitmapToGrey(TargetRaster* target, const RasterImage* source, const Rect& r);

}  // namespace aldra
