#include "illustrator/TextSurface.h"

#include <algorithm>

#include "base/PString.h"
#include "illustrator/DrawingLayer.h"

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

// A made font selected for the length of one text call.
class SelectedFont {
  public:
    explicit SelectedFont(const TargetRaster* surface)
        : dc_(surface->memoryDc), font_(MakeTextFont(surface)), previous_(SelectObject(dc_, font_)) {}
    ~SelectedFont() {
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

  private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_;
};

}  // namespace

HFONT MakeTextFont(const TargetRaster* surface) {
    LOGFONTA font{};
    font.lfHeight = -surface->fontHeight;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = 3;
    PStrToC(surface->faceName, font.lfFaceName, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

void MeasureText(TargetRaster* surface, const uint8_t* text, int32_t* width, int32_t* height) {
    *width = 0;
    *height = 0;
    if (PStrLength(text) == 0) return;
    SelectedFont font(surface);
    HDC dc = surface->memoryDc;
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
    HDC dc = surface->memoryDc;
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, surface->fillColour);
    int64_t x = surface->currentX;
    int64_t y = surface->currentY;
    if (surface->verticalText != 1) {
        TextOutA(dc, static_cast<int>(x), static_cast<int>(y - metrics.tmAscent), PStrChars(text),
                 PStrLength(text));
        SIZE extent{measuredWidth ? *measuredWidth : 0, 0};
        if (!measuredWidth) GetTextExtentPoint32A(dc, PStrChars(text), PStrLength(text), &extent);
        x += extent.cx;
    } else {
        WideText wide = Widen(text);
        for (int i = 0; i < wide.count; ++i) {
            TextOutW(dc, static_cast<int>(x), static_cast<int>(y - metrics.tmAscent), &wide.characters[i], 1);
            y += metrics.tmHeight;
        }
    }
    MoveTo(surface, static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
           static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)));
}

}  // namespace aldra
