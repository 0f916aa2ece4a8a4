#include "illustrator/DrawingLayer.h"

#include "illustrator/ArtNumbers.h"
#include "illustrator/DrawingQueue.h"
#include "illustrator/PointList.h"
#include "illustrator/TextSurface.h"

namespace aldra {

namespace {

void SubmitPoints(TargetRaster* surface, TextBuffer* points, StepKind kind, uint8_t mode) {
    const bool wasLocked = LockBuffer(points, true);
    StepData data;
    data.points = PointData(points);
    data.pointCount = PointCount(points);
    SubmitDrawStep(surface, StepOf(surface, kind, mode), data);
    LockBuffer(points, wasLocked);
}

}  // namespace

DrawStep StepOf(const TargetRaster* surface, StepKind kind, uint8_t mode) {
    DrawStep step;
    step.kind = kind;
    step.mode = mode;
    step.penWidth = surface->penWidth;
    step.penColour = surface->penColour;
    step.fillColour = surface->fillColour;
    return step;
}

void MoveTo(TargetRaster* surface, int32_t x, int32_t y) {
    surface->advancePending = false;
    surface->currentX = x;
    surface->currentY = y;
    DrawStep step = StepOf(surface, StepKind::kMove);
    step.x = x;
    step.y = y;
    SubmitDrawStep(surface, step, StepData{});
}

void MoveBy(TargetRaster* surface, int32_t dx, int32_t dy) {
    SettleTextAdvance(surface);
    MoveTo(surface, ClampToInt32(int64_t{surface->currentX} + dx),
           ClampToInt32(int64_t{surface->currentY} + dy));
}

void GetCurrentPoint(TargetRaster* surface, int32_t* x, int32_t* y) {
    SettleTextAdvance(surface);
    *x = surface->currentX;
    *y = surface->currentY;
}

void LineTo(TargetRaster* surface, int32_t x, int32_t y) {
    SettleTextAdvance(surface);  // the context's position is where the line starts
    DrawStep step = StepOf(surface, StepKind::kLine, kPaintStroke);
    step.x = x;
    step.y = y;
    SubmitDrawStep(surface, step, StepData{});
}

void DrawRectangle(TargetRaster* surface, const Rect& r, uint8_t mode) {
    DrawStep step = StepOf(surface, StepKind::kRectangle, mode);
    step.rect = r;
    SubmitDrawStep(surface, step, StepData{});
}

void DrawPolygon(TargetRaster* surface, TextBuffer* points, uint8_t mode) {
    SubmitPoints(surface, points, StepKind::kPolygon, mode);
}

void ClipToRect(TargetRaster* surface, const Rect& r) {
    DrawStep step = StepOf(surface, StepKind::kClipRect);
    step.rect = r;
    SubmitDrawStep(surface, step, StepData{});
}

void ClipToPolygon(TargetRaster* surface, TextBuffer* points) {
    if (PointCount(points) < 3) {
        ClipToRect(surface, Rect{0, 0, 0, 0});
        return;
    }
    SubmitPoints(surface, points, StepKind::kClipPolygon, 0);
}

void SetPenColour(TargetRaster* surface, ColourRef colour) {
    surface->penColour = colour;
}

void SetFillColour(TargetRaster* surface, ColourRef colour) {
    surface->fillColour = colour;
}

void SetPenWidth(TargetRaster* surface, int32_t width) {
    surface->penWidth = width;
}

void SetFontName(TargetRaster* surface, const uint8_t* name) {
    PStrCopy(name, surface->faceName, sizeof surface->faceName);
}

void SetVerticalText(TargetRaster* surface, int32_t vertical) {
    surface->verticalText = vertical;
}

void SetFontHeight(TargetRaster* surface, int32_t height) {
    surface->fontHeight = height;
}

}  // namespace aldra
