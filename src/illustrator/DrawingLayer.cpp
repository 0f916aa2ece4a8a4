#include "illustrator/DrawingLayer.h"

#include "illustrator/ArtNumbers.h"
#include "illustrator/PointList.h"

namespace aldra {

namespace {

HPEN MakePen(const TargetRaster* surface, uint8_t mode) {
    if (mode & kPaintStroke) return CreatePen(PS_SOLID, surface->penWidth, surface->penColour);
    return CreatePen(PS_NULL, 0, surface->penColour);
}

HBRUSH MakeBrush(const TargetRaster* surface, uint8_t mode) {
    if (mode & kPaintFill) return CreateSolidBrush(surface->fillColour);
    LOGBRUSH hollow{BS_NULL, 0, 0};
    return CreateBrushIndirect(&hollow);
}

const POINT* AsPoints(const TextBuffer* points) {
    static_assert(sizeof(POINT) == sizeof(DevicePoint));
    return reinterpret_cast<const POINT*>(PointData(points));
}

void SelectRegion(TargetRaster* surface, HRGN region) {
    SelectClipRgn(surface->memoryDc, region);
    DeleteObject(region);
}

}  // namespace

SavedPaint SelectPaint(TargetRaster* surface, uint8_t mode) {
    SavedPaint saved;
    saved.pen = SelectObject(surface->memoryDc, MakePen(surface, mode));
    saved.brush = SelectObject(surface->memoryDc, MakeBrush(surface, mode));
    return saved;
}

void RestorePaint(TargetRaster* surface, const SavedPaint& saved) {
    DeleteObject(SelectObject(surface->memoryDc, saved.brush));
    DeleteObject(SelectObject(surface->memoryDc, saved.pen));
}

void MoveTo(TargetRaster* surface, int32_t x, int32_t y) {
    surface->currentX = x;
    surface->currentY = y;
    MoveToEx(surface->memoryDc, x, y, nullptr);
}

void MoveBy(TargetRaster* surface, int32_t dx, int32_t dy) {
    MoveTo(surface, ClampToInt32(int64_t{surface->currentX} + dx),
           ClampToInt32(int64_t{surface->currentY} + dy));
}

void GetCurrentPoint(const TargetRaster* surface, int32_t* x, int32_t* y) {
    *x = surface->currentX;
    *y = surface->currentY;
}

void LineTo(TargetRaster* surface, int32_t x, int32_t y) {
    SavedPaint saved = SelectPaint(surface, kPaintStroke);
    LineTo(surface->memoryDc, x, y);
    RestorePaint(surface, saved);
}

void DrawRectangle(TargetRaster* surface, const Rect& r, uint8_t mode) {
    SavedPaint saved = SelectPaint(surface, mode);
    Rectangle(surface->memoryDc, r.left, r.top, r.right, r.bottom);
    RestorePaint(surface, saved);
}

void DrawPolygon(TargetRaster* surface, TextBuffer* points, uint8_t mode) {
    bool wasLocked = LockBuffer(points, true);
    SavedPaint saved = SelectPaint(surface, mode);
    SetPolyFillMode(surface->memoryDc, ALTERNATE);
    int count = static_cast<int>(PointCount(points));
    if (mode == kPaintStroke) {
        Polyline(surface->memoryDc, AsPoints(points), count);
    } else {
        Polygon(surface->memoryDc, AsPoints(points), count);
    }
    RestorePaint(surface, saved);
    LockBuffer(points, wasLocked);
}

void ClipToRect(TargetRaster* surface, const Rect& r) {
    SelectRegion(surface, CreateRectRgn(r.left, r.top, r.right, r.bottom));
}

void ClipToPolygon(TargetRaster* surface, TextBuffer* points) {
    int count = static_cast<int>(PointCount(points));
    if (count < 3) {
        ClipToRect(surface, Rect{0, 0, 0, 0});
        return;
    }
    SelectRegion(surface, CreatePolygonRgn(AsPoints(points), count, ALTERNATE));
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
