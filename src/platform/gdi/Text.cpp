#include "platform/gdi/Text.h"

#include <cstring>
#include <memory>
#include <new>

#include "base/Windows1252.h"
#include "platform/gdi/ObjectTable.h"

namespace aldra {

namespace gdi {
struct FaceCache {};
void DeleteFaceCache(FaceCache* cache) {
    delete cache;
}
}  // namespace gdi

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (font == nullptr) return nullptr;
    std::unique_ptr<gdi::Object> o(new (std::nothrow) gdi::Object(gdi::Kind::Font));
    if (!o) return nullptr;
    o->font.height = font->lfHeight;
    o->font.weight = font->lfWeight;
    o->font.italic = font->lfItalic != 0;
    std::memcpy(o->font.face, font->lfFaceName, sizeof o->font.face - 1);
    return HFONT::FromRaw(gdi::Insert(std::move(o)));
}

BOOL GetTextMetricsA(HDC, TEXTMETRICA*) {
    return FALSE;
}

BOOL GetTextExtentPoint32A(HDC, const CHAR*, int, SIZE*) {
    return FALSE;
}

BOOL GetTextExtentPoint32W(HDC, const WCHAR*, int, SIZE*) {
    return FALSE;
}

BOOL TextOutA(HDC, int, int, const CHAR*, int) {
    return FALSE;
}

BOOL TextOutW(HDC, int, int, const WCHAR*, int) {
    return FALSE;
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
