#include "illustrator/ArtText.h"

#include <algorithm>

#include "illustrator/ArtNumbers.h"
#include "illustrator/ArtOperands.h"
#include "illustrator/DrawingLayer.h"
#include "illustrator/DrawingSteps.h"
#include "illustrator/TextSurface.h"

namespace aldra {

namespace {

constexpr ColourRef kGreekingGrey = MakeColour(127, 127, 127);

Status PopMatrix(ArtState* state, TextMatrix* m) {
    double translation[2];
    double linear[4];
    if (Status s = PopPoint(state, &translation[0], &translation[1]); s != kOk) return s;
    if (Status s = PopFour(state, linear); s != kOk) return s;
    *m = TextMatrix{linear[0], linear[1], linear[2], linear[3], translation[0], translation[1]};
    return kOk;
}

uint8_t RoundedByte(double value) {
    return static_cast<uint8_t>(TruncToInt32(value + 0.5) & 0xFF);
}

// Illustrator writes the face as a name with one leading character of its own ("_Helvetica").
void SetFace(ArtState* state, uint8_t* name) {
    if (!state->surface) return;
    PStrDelete(name, 1, 1);
    SetFontName(state->surface, name);
}

// A font taller than twice the target shows no more of the drawing and costs glyphs of any size.
int32_t TallestText(const ArtState* state) {
    const RasterImage& raster = state->surface->raster;
    return static_cast<int32_t>(
        std::min<uint64_t>(2 * uint64_t{std::max(raster.width, raster.height)} + 16, INT32_MAX));
}

// Greeking where the text was measured here: the bar, and the point moved past it.
void GreekText(TargetRaster* surface, SIZE measured, int32_t size, int32_t height) {
    int32_t x;
    int32_t y;
    GetCurrentPoint(surface, &x, &y);
    SetFillColour(surface, kGreekingGrey);
    if (surface->verticalText == 1) {
        const int32_t w = Rescale(measured.cx, size, height);
        const int32_t ht = Rescale(measured.cy, size, height);
        DrawRectangle(surface,
                      Rect{x, ClampToInt32(int64_t{y} + 1), ClampToInt32(int64_t{x} + w),
                           ClampToInt32(int64_t{y} + ht)},
                      kPaintFill);
        MoveBy(surface, 0, ht);
    } else {
        const Rect bar = GreekBar(x, y, measured, size, height);
        DrawRectangle(surface, bar, kPaintFill);
        MoveBy(surface, Rescale(measured.cx, size, height), 0);
    }
}

// Draws one string at the text origin; false when there was nothing to show, so that "t" does not
// advance the line either.
bool DrawTextString(ArtState* state, uint16_t code) {
    PString text;
    if (PopString(state, text) != kOk || text[0] == 0 || !state->surface) return false;
    if (text[text[0]] == '\r') --text[0];
    if (!state->fillText && !state->strokeText) return true;
    TargetRaster* surface = state->surface;
    int32_t tallest = TallestText(state);
    int32_t size = static_cast<int32_t>(
        TruncClamped(state->scale * state->fontSize * state->textMatrix.d + 0.5, -tallest, tallest));
    int32_t h = std::max(size, kSmallestReadableText);
    SetFontHeight(surface, h);
    SetVerticalText(surface, state->vertical ? 1 : 0);
    const bool aligned = code == 't' && (state->alignment == 1 || state->alignment == 2);
    const bool filled = state->fillText && !state->fillIsPattern;
    const bool readable = size >= kSmallestReadableText;
    // The width moves aligned text and sizes vertical greeking. Other text needs none here: the
    // point after it is found when something asks, and a greeking bar is sized where it is drawn.
    const bool measuring = aligned || (filled && !readable && size > 0 && state->vertical);
    SIZE measured{0, 0};
    if (measuring) MeasureText(surface, text, &measured.cx, &measured.cy);
    if (aligned) {
        const int32_t w = Rescale(measured.cx, size, h);
        MoveBy(surface, state->alignment == 1 ? -(w / 2) : -w, 0);
    }
    if (!filled) return true;
    if (readable) {
        SetFillColour(surface, state->fillColour);
        ShowText(surface, text, measuring ? &measured.cx : nullptr);
    } else if (size > 0 && measuring) {
        GreekText(surface, measured, size, h);
    } else if (size > 0) {
        SetFillColour(surface, kGreekingGrey);
        ShowGreekedText(surface, text, size);
    }
    state->drawn = true;
    return true;
}

void SetTextPosition(ArtState* state, double x, double y) {
    state->currentX = x;
    state->currentY = y;
    MoveToTextOrigin(state);
}

}  // namespace

void MoveToTextOrigin(ArtState* state) {
    if (!state->surface) return;
    const TextMatrix& m = state->textMatrix;
    double x = state->currentX;
    double y = state->currentY;
    DevicePoint p = ToDevice(state, m.a * x + m.b * y + m.tx, m.c * x + m.d * y + m.ty);
    MoveTo(state->surface, p.x, p.y);
}

void TextBlockOperator(ArtState* state, uint16_t code) {
    TextMatrix m;
    if (PopMatrix(state, &m) != kOk) return;
    state->textMatrix = m;
    SetTextPosition(state, 0, 0);
    state->fillText = code == 'a' || code == 'e';
    state->strokeText = code == 'e' || code == 'r';
}

void TextMatrixOperator(ArtState* state) {
    TextMatrix m;
    if (PopMatrix(state, &m) != kOk) return;
    state->textMatrix = m;
    SetTextPosition(state, 0, 0);
    state->fillText = false;
    state->strokeText = false;
}

void TextPathOperator(ArtState* state) {
    double unused;
    TextMatrix m;
    if (PopNumber(state, &unused) != kOk || PopMatrix(state, &m) != kOk) return;
    state->textMatrix = m;
    MoveToTextOrigin(state);
}

void TextObjectOperator(ArtState* state) {
    double unused;
    if (PopNumber(state, &unused) != kOk) return;
    state->currentX = 0;
    state->currentY = 0;
}

void TextRenderOperator(ArtState* state) {
    double mode;
    if (PopNumber(state, &mode) != kOk) return;
    int32_t m = TruncToInt32(mode + 0.5);
    state->fillText = m == 0 || m == 2 || m == 4 || m == 6;
    state->strokeText = m == 1 || m == 2 || m == 5 || m == 6;
}

void FontOperator(ArtState* state) {
    double unused;
    if (state->top > 2 && (PopNumber(state, &unused) != kOk || PopNumber(state, &unused) != kOk)) return;
    double size;
    PString name;
    if (PopNumber(state, &size) != kOk || PopString(state, name) != kOk) return;
    SetFace(state, name);
    state->fontSize = size;
}

void FontAndLeadingOperator(ArtState* state) {
    double alignment;
    double unused;
    double leading;
    double size;
    PString name;
    if (PopNumber(state, &alignment) != kOk || PopNumber(state, &unused) != kOk ||
        PopNumber(state, &leading) != kOk || PopNumber(state, &size) != kOk ||
        PopString(state, name) != kOk) {
        return;
    }
    SetFace(state, name);
    state->alignment = RoundedByte(alignment);
    state->leading = leading;
    state->fontSize = size;
}

void LeadingOperator(ArtState* state) {
    double paragraph;
    double leading;
    if (PopNumber(state, &paragraph) != kOk || PopNumber(state, &leading) != kOk) return;
    state->leading = leading;
}

void AlignmentOperator(ArtState* state) {
    double alignment;
    if (PopNumber(state, &alignment) != kOk) return;
    uint8_t v = RoundedByte(alignment);
    // Justified text is set as left-aligned.
    if (v == 3) v = 5;
    if (v == 4) v = 6;
    state->alignment = v;
}

void VerticalTextOperator(ArtState* state) {
    double flag;
    if (PopNumber(state, &flag) == kOk) state->vertical = flag > 0.5;
}

void TextMoveOperator(ArtState* state) {
    double dx;
    double dy;
    if (PopPoint(state, &dx, &dy) != kOk) return;
    SetTextPosition(state, state->currentX + dx, state->currentY + dy);
}

void NextLineOperator(ArtState* state) {
    SetTextPosition(state, state->currentX, state->currentY - state->leading);
}

void ShowTextOperator(ArtState* state, uint16_t code) {
    if (DrawTextString(state, code) && code == 't')
        SetTextPosition(state, state->currentX, state->currentY - state->fontSize);
}

}  // namespace aldra
