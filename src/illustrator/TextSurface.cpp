#include "illustrator/TextSurface.h"

#include <algorithm>

#include "base/PString.h"
#include "illustrator/ArtNumbers.h"
#include "illustrator/DrawingLayer.h"
#include "illustrator/DrawingQueue.h"

namespace aldra {

namespace {

constexpr int kMaxWideCharacters = 255;

struct WideText {
    WCHAR characters[kMaxWideCharacters];
    int count;
};

WideText Widen(const uint8_t* text) {
    WideText wide{};
    wide.count = MultiByteToWideChar(CP_ACP, 0, PStrChars(text), PStrLength(text), wide.characters,
                                     kMaxWideCharacters);
    return wide;
}

// The context text is measured in, with a font of the face and height selected for the length of
// one text call: a font made for the call in the target's own context, or one kept by the drawing
// thread's measuring context.
class SelectedFont {
  public:
    SelectedFont(const TargetRaster* surface, const uint8_t* faceName, int32_t height)
        : dc_(TextMeasureDc(surface)) {
        if (SelectKeptMeasuringFont(surface, faceName, height)) return;
        font_ = MakeTextFont(faceName, height);
        previous_ = SelectObject(dc_, font_);
    }
    explicit SelectedFont(const TargetRaster* surface)
        : SelectedFont(surface, surface->faceName, surface->fontHeight) {}
    ~SelectedFont() {
        if (!font_) return;
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;
    HDC Dc() const { return dc_; }

  private:
    HDC dc_;
    HFONT font_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// Most text is shown once from a point the next text object moves away from, so its width is
// measured only when something asks for the point after it; on a drawing thread the pass then
// needs no glyph of the text at all.
void LeaveAdvancePending(TargetRaster* surface, const uint8_t* text, int32_t size) {
    PStrCopy(text, surface->pendingText, sizeof surface->pendingText);
    PStrCopy(surface->faceName, surface->pendingFace, sizeof surface->pendingFace);
    surface->pendingHeight = surface->fontHeight;
    surface->pendingSize = size;
    surface->advancePending = true;
}

// A step for the text in the surface's font, from the current point on its baseline.
DrawStep TextStep(const TargetRaster* surface, StepKind kind) {
    DrawStep step = StepOf(surface, kind);
    step.x = surface->currentX;
    step.y = surface->currentY;
    step.fontHeight = surface->fontHeight;
    return step;
}

StepData TextData(const TargetRaster* surface, const uint8_t* text) {
    StepData data;
    data.faceName = surface->faceName;
    data.characters = PStrChars(text);
    data.characterCount = PStrLength(text);
    return data;
}

}  // namespace

void MeasureText(TargetRaster* surface, const uint8_t* text, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    if (PStrLength(text) == 0) return;
    SelectedFont font(surface);
    HDC dc = font.Dc();
    if (surface->verticalText != 1) {
        SIZE extent{0, 0};
        GetTextExtentPoint32A(dc, PStrChars(text), PStrLength(text), &extent);
        *width = extent.cx;
        *height = extent.cy;
        return;
    }
    WideText wide = Widen(text);
    int64_t sum = 0;
    for (int i = 0; i < wide.count; ++i) {
        SIZE extent{0, 0};
        GetTextExtentPoint32W(dc, &wide.characters[i], 1, &extent);
        *width = std::max(*width, extent.cy);
        sum += extent.cx;
    }
    *height = static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX));
}

void SettleTextAdvance(TargetRaster* surface) {
    if (!surface->advancePending) return;
    surface->advancePending = false;
    SIZE extent{0, 0};
    {
        SelectedFont font(surface, surface->pendingFace, surface->pendingHeight);
        GetTextExtentPoint32A(font.Dc(), PStrChars(surface->pendingText), PStrLength(surface->pendingText),
                              &extent);
    }
    const int32_t width = surface->pendingSize == surface->pendingHeight
                              ? extent.cx
                              : Rescale(extent.cx, surface->pendingSize, surface->pendingHeight);
    MoveTo(surface, ClampToInt32(int64_t{surface->currentX} + width), surface->currentY);
}

void ShowText(TargetRaster* surface, const uint8_t* text, const int32_t* measuredWidth) {
    SettleTextAdvance(surface);
    if (surface->verticalText != 1) {
        SubmitDrawStep(surface, TextStep(surface, StepKind::kText), TextData(surface, text));
        if (measuredWidth) {
            MoveTo(surface, ClampToInt32(int64_t{surface->currentX} + *measuredWidth), surface->currentY);
        } else {
            LeaveAdvancePending(surface, text, surface->fontHeight);
        }
        return;
    }
    TEXTMETRICA metrics{};
    {
        SelectedFont font(surface);
        GetTextMetricsA(font.Dc(), &metrics);
    }
    DrawStep step = TextStep(surface, StepKind::kWideText);
    StepData data;
    data.faceName = surface->faceName;
    int64_t y = surface->currentY;
    WideText wide = Widen(text);
    for (int i = 0; i < wide.count; ++i) {
        step.y = static_cast<int32_t>(y);
        step.wide = wide.characters[i];
        SubmitDrawStep(surface, step, data);
        y += metrics.tmHeight;
    }
    MoveTo(surface, surface->currentX, ClampToInt32(y));
}

void ShowGreekedText(TargetRaster* surface, const uint8_t* text, int32_t size) {
    SettleTextAdvance(surface);
    DrawStep step = TextStep(surface, StepKind::kGreekText);
    step.textSize = size;
    SubmitDrawStep(surface, step, TextData(surface, text));
    LeaveAdvancePending(surface, text, size);
}

}  // namespace aldra
