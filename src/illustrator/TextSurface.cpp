#include "illustrator/TextSurface.h"

#include <algorithm>

#include "base/PString.h"
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

// The context text is measured in, with the surface's font selected for the length of one text
// call: a font made for the call in the target's own context, or one kept by the drawing thread's
// measuring context.
class SelectedFont {
  public:
    explicit SelectedFont(const TargetRaster* surface) : dc_(TextMeasureDc(surface)) {
        if (SelectKeptMeasuringFont(surface, surface->faceName, surface->fontHeight)) return;
        font_ = MakeTextFont(surface);
        previous_ = SelectObject(dc_, font_);
    }
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

}  // namespace

HFONT MakeTextFont(const TargetRaster* surface) {
    return MakeTextFont(surface->faceName, surface->fontHeight);
}

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

void ShowText(TargetRaster* surface, const uint8_t* text, const int32_t* measuredWidth) {
    SelectedFont font(surface);
    HDC dc = font.Dc();
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    int64_t x = surface->currentX;
    int64_t y = surface->currentY;
    DrawStep step;
    step.fillColour = surface->fillColour;
    step.fontHeight = surface->fontHeight;
    StepData data;
    data.faceName = surface->faceName;
    if (surface->verticalText != 1) {
        step.kind = StepKind::kText;
        step.x = static_cast<int>(x);
        step.y = static_cast<int>(y - metrics.tmAscent);
        data.characters = PStrChars(text);
        data.characterCount = PStrLength(text);
        // Measured before the step goes: a drawing thread that ends for want of memory takes its
        // measuring context with it.
        SIZE extent{measuredWidth ? *measuredWidth : 0, 0};
        if (!measuredWidth) GetTextExtentPoint32A(dc, PStrChars(text), PStrLength(text), &extent);
        SubmitDrawStep(surface, step, data);
        x += extent.cx;
    } else {
        step.kind = StepKind::kWideText;
        WideText wide = Widen(text);
        for (int i = 0; i < wide.count; ++i) {
            step.x = static_cast<int>(x);
            step.y = static_cast<int>(y - metrics.tmAscent);
            step.wide = wide.characters[i];
            SubmitDrawStep(surface, step, data);
            y += metrics.tmHeight;
        }
    }
    MoveTo(surface, static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
           static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)));
}

}  // namespace aldra
