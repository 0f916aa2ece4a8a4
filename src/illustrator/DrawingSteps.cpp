#include "illustrator/DrawingSteps.h"

#include <cstring>

#include "base/PString.h"
#include "illustrator/DrawingLayer.h"

namespace aldra {

namespace {

HPEN MakePen(const DrawStep& step, uint8_t mode) {
    if (mode & kPaintStroke) return CreatePen(PS_SOLID, step.penWidth, step.penColour);
    return CreatePen(PS_NULL, 0, step.penColour);
}

HBRUSH MakeBrush(const DrawStep& step, uint8_t mode) {
    if (mode & kPaintFill) return CreateSolidBrush(step.fillColour);
    LOGBRUSH hollow{BS_NULL, 0, 0};
    return CreateBrushIndirect(&hollow);
}

const POINT* AsPoints(const DevicePoint* points) {
    static_assert(sizeof(POINT) == sizeof(DevicePoint));
    return reinterpret_cast<const POINT*>(points);
}

void SelectRegion(HDC dc, HRGN region) {
    SelectClipRgn(dc, region);
    DeleteObject(region);
}

}  // namespace

SavedPaint SelectPaint(HDC dc, const DrawStep& step, uint8_t mode) {
    SavedPaint saved;
    saved.pen = SelectObject(dc, MakePen(step, mode));
    saved.brush = SelectObject(dc, MakeBrush(step, mode));
    return saved;
}

void RestorePaint(HDC dc, const SavedPaint& saved) {
    DeleteObject(SelectObject(dc, saved.brush));
    DeleteObject(SelectObject(dc, saved.pen));
}

HFONT MakeTextFont(const uint8_t* faceName, int32_t height) {
    LOGFONTA font{};
    font.lfHeight = -height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = 3;
    PStrToC(faceName, font.lfFaceName, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

Rect GreekBar(int32_t x, int32_t y, SIZE measured, int32_t size, int32_t height) {
    const int32_t w = Rescale(measured.cx, size, height);
    const int32_t ht = Rescale(measured.cy, size, height);
    return Rect{x, ClampToInt32(int64_t{y} - ht + 1), ClampToInt32(int64_t{x} + w),
                ClampToInt32(int64_t{y} + 1)};
}

StepPainter::~StepPainter() {
    if (kept_) RestorePaint(dc_, saved_);
    ReleaseFonts();
}

int32_t StepPainter::SelectTextFont(const DrawStep& step, const StepData& data) {
    const uint8_t* face = data.faceName;
    size_t i = 0;
    while (i < fonts_.size() &&
           !(fonts_[i].height == step.fontHeight && PStrLength(fonts_[i].face) == PStrLength(face) &&
             std::memcmp(fonts_[i].face, face, PStrLength(face) + 1) == 0))
        ++i;
    if (i == fonts_.size()) {
        if (fonts_.size() >= kKeptFonts) ReleaseFonts();
        i = fonts_.size();
        KeptFont kept{};
        PStrCopy(face, kept.face, sizeof kept.face);
        kept.height = step.fontHeight;
        kept.font = MakeTextFont(face, step.fontHeight);
        HGDIOBJ previous = SelectObject(dc_, kept.font);
        if (fonts_.empty()) firstFont_ = previous;
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc_, &metrics);
        kept.ascent = metrics.tmAscent;
        fonts_.push_back(kept);
    } else if (i != selectedFont_) {
        SelectObject(dc_, fonts_[i].font);
    }
    selectedFont_ = i;
    return fonts_[i].ascent;
}

void StepPainter::ReleaseFonts() {
    if (fonts_.empty()) return;
    SelectObject(dc_, firstFont_);
    for (const KeptFont& kept : fonts_) DeleteObject(kept.font);
    fonts_.clear();
    selectedFont_ = 0;
}

// The step's point is the left end of the baseline; TextOut wants the top-left corner.
void StepPainter::DrawText(const DrawStep& step, const StepData& data) {
    const int top = static_cast<int>(int64_t{step.y} - SelectTextFont(step, data));
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, step.fillColour);
    if (step.kind == StepKind::kText) {
        TextOutA(dc_, step.x, top, data.characters, static_cast<int>(data.characterCount));
    } else {
        TextOutW(dc_, step.x, top, &step.wide, 1);
    }
}

void StepPainter::DrawGreekBar(const DrawStep& step, const StepData& data) {
    SelectTextFont(step, data);
    SIZE extent{0, 0};
    GetTextExtentPoint32A(dc_, data.characters, static_cast<int>(data.characterCount), &extent);
    const Rect bar = GreekBar(step.x, step.y, extent, step.textSize, step.fontHeight);
    Select(step, kPaintFill);
    Rectangle(dc_, bar.left, bar.top, bar.right, bar.bottom);
    Unselect();
}

bool StepPainter::Same(const DrawStep& step, uint8_t mode) const {
    if (!kept_ || mode != keptMode_ || step.penColour != keptStep_.penColour) return false;
    if ((mode & kPaintStroke) && step.penWidth != keptStep_.penWidth) return false;
    return !(mode & kPaintFill) || step.fillColour == keptStep_.fillColour;
}

void StepPainter::Select(const DrawStep& step, uint8_t mode) {
    if (keepPaint_ && Same(step, mode)) return;
    if (kept_) RestorePaint(dc_, saved_);
    saved_ = SelectPaint(dc_, step, mode);
    kept_ = true;
    keptStep_ = step;
    keptMode_ = mode;
}

void StepPainter::Unselect() {
    if (keepPaint_ || !kept_) return;
    RestorePaint(dc_, saved_);
    kept_ = false;
}

void StepPainter::DrawPoints(const DrawStep& step, const StepData& data) {
    Select(step, step.mode);
    SetPolyFillMode(dc_, ALTERNATE);
    const int count = static_cast<int>(data.pointCount);
    if (step.mode == kPaintStroke) {
        Polyline(dc_, AsPoints(data.points), count);
    } else {
        Polygon(dc_, AsPoints(data.points), count);
    }
    Unselect();
}

void StepPainter::Apply(const DrawStep& step, const StepData& data) {
    switch (step.kind) {
        case StepKind::kMove:
            MoveToEx(dc_, step.x, step.y, nullptr);
            return;
        case StepKind::kLine:
            Select(step, kPaintStroke);
            LineTo(dc_, step.x, step.y);
            Unselect();
            return;
        case StepKind::kRectangle:
            Select(step, step.mode);
            Rectangle(dc_, step.rect.left, step.rect.top, step.rect.right, step.rect.bottom);
            Unselect();
            return;
        case StepKind::kPolygon:
            DrawPoints(step, data);
            return;
        case StepKind::kClipRect:
            SelectRegion(dc_,
                         CreateRectRgn(step.rect.left, step.rect.top, step.rect.right, step.rect.bottom));
            return;
        case StepKind::kClipPolygon:
            SelectRegion(
                dc_, CreatePolygonRgn(AsPoints(data.points), static_cast<int>(data.pointCount), ALTERNATE));
            return;
        case StepKind::kText:
        case StepKind::kWideText:
            DrawText(step, data);
            break;
        case StepKind::kGreekText:
            DrawGreekBar(step, data);
            break;
    }
    if (!keepPaint_) ReleaseFonts();
}

void ApplyDrawStep(HDC dc, const DrawStep& step, const StepData& data) {
    StepPainter(dc, false).Apply(step, data);
}

}  // namespace aldra
