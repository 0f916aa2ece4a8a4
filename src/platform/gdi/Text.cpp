#include "platform/gdi/Text.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/Windows1252.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Paint.h"

namespace aldra {
namespace {

// Characters of a call's text, decoded one at a time.
class Characters {
  public:
    Characters(const CHAR* ansi, const WCHAR* wide, int count) : ansi_(ansi), wide_(wide), count_(count) {}
    bool Next(char32_t* c) {
        if (pos_ >= count_) return false;
        if (ansi_ != nullptr) {
            *c = Windows1252ToUtf16(static_cast<uint8_t>(ansi_[pos_++]));
            return true;
        }
        const char16_t first = wide_[pos_++];
        const bool high = first >= 0xD800 && first <= 0xDBFF, low = first >= 0xDC00 && first <= 0xDFFF;
        if (high && pos_ < count_ && wide_[pos_] >= 0xDC00 && wide_[pos_] <= 0xDFFF) {
            *c = 0x10000 + ((static_cast<char32_t>(first) - 0xD800) << 10) + (wide_[pos_++] - 0xDC00);
        } else {
            *c = high || low ? 0xFFFD : first;
        }
        return true;
    }

  private:
    const CHAR* ansi_;
    const WCHAR* wide_;
    int count_;
    int pos_ = 0;
};

// Device lengths back to logical ones, for answers in the caller's units.
LONG ToLogical(const gdi::DcData& dc, int64_t length, bool vertical) {
    if (dc.mapMode != MM_TEXT) {
        const int64_t w = vertical ? dc.windowExt.cy : dc.windowExt.cx;
        const int64_t v = vertical ? dc.viewportExt.cy : dc.viewportExt.cx;
        const int64_t aw = w < 0 ? -w : w, av = v < 0 ? -v : v;
        if (av != 0) length = static_cast<int64_t>((static_cast<__int128>(length) * aw + av / 2) / av);
    }
    return static_cast<LONG>(std::clamp<int64_t>(length, INT32_MIN, INT32_MAX));
}

gdi::Face* FaceOf(HDC dc, gdi::DcData** data) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr) return nullptr;
    *data = &context->dc;
    return gdi::SelectedFace(context->dc);
}

int64_t Width(gdi::Face& face, Characters text) {
    int64_t width = 0;
    for (char32_t c; text.Next(&c);) width += face.Advance(c);
    return width;
}

BOOL Extent(HDC dc, Characters text, int count, SIZE* size) {
    gdi::DcData* data = nullptr;
    gdi::Face* face = FaceOf(dc, &data);
    if (face == nullptr || size == nullptr || count < 0) return FALSE;
    const gdi::FaceMetrics& m = face->Metrics();
    size->cx = ToLogical(*data, Width(*face, text), false);
    size->cy = ToLogical(*data, int64_t{m.ascent} + m.descent, true);
    return TRUE;
}

// The first column at or after c, below `width`, whose bit is `set`; `width` when there is none. A
// glyph row is mostly blank bytes and short runs, so whole bytes are passed over at once.
int32_t NextColumn(const uint8_t* bits, int32_t c, int32_t width, bool set) {
    const uint8_t flip = set ? 0 : 0xFF;
    int32_t byte = c >> 3;
    unsigned rest = static_cast<uint8_t>((bits[byte] ^ flip) & (0xFF >> (c & 7)));
    const int32_t lastByte = (width - 1) >> 3;
    while (rest == 0) {
        if (++byte > lastByte) return width;
        rest = static_cast<uint8_t>(bits[byte] ^ flip);
    }
    const int32_t found = byte * 8 + (__builtin_clz(rest) - 24);
    return found < width ? found : width;
}

// The glyph's set bits as runs of the text colour, its top left at (x, y).
void DrawGlyph(const gdi::Painter& painter, const gdi::GlyphBits& g, int64_t x, int64_t y, uint32_t value) {
    for (int32_t r = 0; r < g.rows; ++r) {
        const int64_t row = y + r;
        if (row < painter.Top()) continue;
        if (row >= painter.Bottom()) break;
        const uint8_t* bits = g.bits + static_cast<int64_t>(r) * g.pitch;
        for (int32_t c = 0; c < g.width;) {
            const int32_t start = NextColumn(bits, c, g.width, true);
            if (start >= g.width) break;
            c = NextColumn(bits, start, g.width, false);
            painter.Span(row, x + start, x + c, value);
        }
    }
}

BOOL Output(HDC dc, int x, int y, Characters text, int count) {
    gdi::Painter painter;
    if (count < 0 || !painter.Open(dc)) return FALSE;
    gdi::DcData& data = painter.Context();
    gdi::Face* face = gdi::SelectedFace(data);
    if (face == nullptr) return FALSE;
    const gdi::FaceMetrics& m = face->Metrics();
    const gdi::DevicePoint origin = gdi::ToDevice(data, x, y);
    if (data.backgroundMode == OPAQUE) {
        const int64_t right = origin.x + Width(*face, text);
        const uint32_t paper = painter.Value(data.backgroundColour);
        const int64_t top = std::max<int64_t>(origin.y, painter.Top());
        const int64_t bottom = std::min<int64_t>(origin.y + m.ascent + m.descent, painter.Bottom());
        for (int64_t row = top; row < bottom; ++row) painter.Span(row, origin.x, right, paper);
    }
    const uint32_t ink = painter.Value(data.textColour);
    const int64_t baseline = origin.y + m.ascent;
    // Glyphs reach at most about one widest character beyond their advance box.
    const int64_t reach = 2 * int64_t{m.maxWidth} + m.emHeight;
    if (baseline + reach < painter.Top() || baseline - reach >= painter.Bottom()) return TRUE;
    int64_t pen = origin.x;
    gdi::GlyphBits glyph;
    for (char32_t c; text.Next(&c);) {
        if (pen - reach >= painter.Right()) break;  // advances never go left
        const int32_t advance = face->Advance(c);
        if (pen + advance + reach > painter.Left() && face->Glyph(c, &glyph))
            DrawGlyph(painter, glyph, pen + glyph.left, baseline - glyph.top, ink);
        pen += advance;
    }
    return TRUE;
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (font == nullptr) return nullptr;
    std::unique_ptr<gdi::Object> o = gdi::NewSmallObject(gdi::Kind::Font);
    if (!o) return nullptr;
    o->font.height = font->lfHeight;
    o->font.weight = font->lfWeight;
    o->font.italic = font->lfItalic != 0;
    std::memcpy(o->font.face, font->lfFaceName, sizeof o->font.face - 1);
    return HFONT::FromRaw(gdi::Insert(std::move(o)));
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    gdi::DcData* data = nullptr;
    gdi::Face* face = FaceOf(dc, &data);
    if (face == nullptr || metrics == nullptr) return FALSE;
    const gdi::FaceMetrics& m = face->Metrics();
    TEXTMETRICA t{};
    t.tmAscent = ToLogical(*data, m.ascent, true);
    t.tmDescent = ToLogical(*data, m.descent, true);
    t.tmHeight = t.tmAscent + t.tmDescent;
    t.tmInternalLeading = std::max<LONG>(0, t.tmHeight - ToLogical(*data, m.emHeight, true));
    t.tmAveCharWidth = ToLogical(*data, m.averageWidth, false);
    t.tmMaxCharWidth = ToLogical(*data, m.maxWidth, false);
    t.tmWeight = m.weight;
    t.tmDigitizedAspectX = 96;
    t.tmDigitizedAspectY = 96;
    t.tmFirstChar = 0x20;
    t.tmLastChar = 0xFF;
    t.tmDefaultChar = '?';
    t.tmBreakChar = ' ';
    t.tmItalic = m.italic ? 1 : 0;
    t.tmPitchAndFamily = 0x06;  // variable pitch, outline
    t.tmCharSet = ANSI_CHARSET;
    *metrics = t;
    return TRUE;
}

int GetTextFaceA(HDC dc, int count, CHAR* name) {
    gdi::DcData* data = nullptr;
    gdi::Face* face = FaceOf(dc, &data);
    if (face == nullptr) return 0;
    const std::string& family = face->Family();
    if (name == nullptr) return static_cast<int>(family.size() + 1);
    if (count <= 0) return 0;
    const size_t n = std::min(family.size(), static_cast<size_t>(count) - 1);
    std::memcpy(name, family.data(), n);
    name[n] = '\0';
    return static_cast<int>(n + 1);
}

BOOL GetTextExtentPoint32A(HDC dc, const CHAR* text, int count, SIZE* size) {
    if (text == nullptr && count != 0) return FALSE;
    return Extent(dc, Characters(text, nullptr, count), count, size);
}

BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int count, SIZE* size) {
    if (text == nullptr && count != 0) return FALSE;
    return Extent(dc, Characters(nullptr, text, count), count, size);
}

BOOL TextOutA(HDC dc, int x, int y, const CHAR* text, int count) {
    if (text == nullptr && count != 0) return FALSE;
    return Output(dc, x, y, Characters(text, nullptr, count), count);
}

BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count) {
    if (text == nullptr && count != 0) return FALSE;
    return Output(dc, x, y, Characters(nullptr, text, count), count);
}

int SetBkMode(HDC dc, int mode) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = context->dc.backgroundMode;
    context->dc.backgroundMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr) return CLR_INVALID;
    const COLORREF previous = context->dc.textColour;
    context->dc.textColour = colour & 0xFFFFFF;
    return previous;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr) return CLR_INVALID;
    const COLORREF previous = context->dc.backgroundColour;
    context->dc.backgroundColour = colour & 0xFFFFFF;
    return previous;
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const CHAR* text, int count, WCHAR* wide, int wideCount) {
    if ((codePage != CP_ACP && codePage != CP_1252) || flags != 0 || text == nullptr || wideCount < 0)
        return 0;
    if (count < -1 || count == 0) return 0;
    const size_t length = count == -1 ? std::strlen(text) + 1 : static_cast<size_t>(count);
    if (length > INT32_MAX) return 0;
    if (wideCount == 0) return static_cast<int>(length);
    if (wide == nullptr || length > static_cast<size_t>(wideCount)) return 0;
    for (size_t i = 0; i < length; ++i) wide[i] = Windows1252ToUtf16(static_cast<uint8_t>(text[i]));
    return static_cast<int>(length);
}

}  // namespace aldra
