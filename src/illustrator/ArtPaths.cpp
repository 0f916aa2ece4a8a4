#include "illustrator/ArtPaths.h"

#include <algorithm>

#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtOperands.h"
#include "illustrator/DrawingLayer.h"
#include "illustrator/PointList.h"

namespace aldra {

namespace {

constexpr ColourRef kPatternGrey = MakeColour(127, 127, 127);

Status AddPagePoint(ArtState* state, double x, double y) {
    DevicePoint p = ToDevice(state, x, y);
    return AddPoint(state->points.get(), p.x, p.y);
}

uint8_t PaintModeOf(uint16_t code) {
    switch (code) {
        case 'f':
        case 'F':
            return kPaintFill;
        case 's':
        case 'S':
            return kPaintStroke;
        default:
            return kPaintFillAndStroke;
    }
}

// Whether the drawing may still hand this many points to GDI; counts them when it may.
bool TakeFromBudget(ArtState* state, uint32_t count) {
    if (state->budget->pointsLeft < count) return false;
    state->budget->pointsLeft -= count;
    return true;
}

}  // namespace

int32_t PenWidthFor(const ArtState* state) {
    const RasterImage& raster = state->surface->raster;
    int64_t widest = 2 * int64_t{std::max(raster.width, raster.height)} + 2;
    // NaN, from an infinite scale times a zero width, comes back as 0.
    return std::max<int32_t>(1,
                             static_cast<int32_t>(TruncClamped(state->scale * state->lineWidth, 1, widest)));
}

void MoveOperator(ArtState* state) {
    double x;
    double y;
    if (PopPoint(state, &x, &y) != kOk) return;
    state->currentX = x;
    state->currentY = y;
    ClearPoints(state->points.get());
    (void)AddPagePoint(state, x, y);  // the first point of an empty list always fits
}

void LineOperator(ArtState* state) {
    double x;
    double y;
    if (PopPoint(state, &x, &y) != kOk) return;
    state->currentX = x;
    state->currentY = y;
    // A path past the point limit keeps its first points.
    (void)AddPagePoint(state, x, y);
}

Status AddCurve(ArtState* state, const double p1[2], const double p2[2], const double p3[2]) {
    const double p0[2] = {state->currentX, state->currentY};
    double s[2];
    double d1[2];
    double d2[2];
    double d3[2];
    for (int i = 0; i < 2; ++i) {
        double k3 = p3[i] - p0[i] + 3 * (p1[i] - p2[i]);
        double k2 = 3 * (p0[i] - 2 * p1[i] + p2[i]);
        double k1 = 3 * (p1[i] - p0[i]);
        d1[i] = k3 / 4096 + k2 / 256 + k1 / 16;
        d2[i] = 6 * k3 / 4096 + 2 * k2 / 256;
        d3[i] = 6 * k3 / 4096;
        s[i] = p0[i];
    }
    // The sixteen points go to the list in one call: at thumbnail scale most of them repeat the one
    // before, and a call a point cost more than the curve's arithmetic.
    DevicePoint flat[16];
    for (DevicePoint& p : flat) {
        for (int i = 0; i < 2; ++i) {
            s[i] += d1[i];
            d1[i] += d2[i];
            d2[i] += d3[i];
        }
        p = ToDevice(state, s[0], s[1]);
    }
    if (Status status = AddPoints(state->points.get(), flat, 16); status != kOk) return status;
    state->currentX = p3[0];
    state->currentY = p3[1];
    return kOk;
}

void CurveOperator(ArtState* state, uint16_t code) {
    double p1[2];
    double p2[2];
    double p3[2];
    if (PopPoint(state, &p3[0], &p3[1]) != kOk) return;
    if (code == 'c' || code == 'C') {
        if (PopPoint(state, &p2[0], &p2[1]) != kOk || PopPoint(state, &p1[0], &p1[1]) != kOk) return;
    } else if (code == 'v' || code == 'V') {
        if (PopPoint(state, &p2[0], &p2[1]) != kOk) return;
        p1[0] = state->currentX;
        p1[1] = state->currentY;
    } else {
        if (PopPoint(state, &p1[0], &p1[1]) != kOk) return;
        p2[0] = p3[0];
        p2[1] = p3[1];
    }
    (void)AddCurve(state, p1, p2, p3);  // a path past the point limit keeps its first points
}

void DiscardPathOperator(ArtState* state) {
    state->currentX = 0;
    state->currentY = 0;
    ClearPoints(state->points.get());
}

void ClosePathOperator(ArtState* state) {
    if (ClosePoints(state->points.get()) != kOk) return;
    DiscardPathOperator(state);
}

void PaintOperator(ArtState* state, uint16_t code) {
    uint8_t mode = PaintModeOf(code);
    TextBuffer* points = state->points.get();
    // Closing an empty path fails and changes nothing; it is painted as it is.
    if (code != 'S') (void)ClosePoints(points);
    TargetRaster* surface = state->surface;
    if (!surface) return;
    SetFillColour(surface, (mode & kPaintFill) && state->fillIsPattern ? kPatternGrey : state->fillColour);
    SetPenWidth(surface, PenWidthFor(state));
    SetPenColour(surface, state->strokeColour);
    if (TakeFromBudget(state, PointCount(points))) DrawPolygon(surface, points, mode);
    state->drawn = true;
}

void ClipOperator(ArtState* state) {
    TextBuffer* points = state->points.get();
    (void)ClosePoints(points);  // an empty path clips to nothing
    if (state->surface && TakeFromBudget(state, PointCount(points))) ClipToPolygon(state->surface, points);
}

void ResetClipOperator(ArtState* state) {
    if (state->surface) ClipToRect(state->surface, state->target);
}

}  // namespace aldra
