// Fonts and text output. A font names a face; fontconfig chooses the installed face closest to the
// name (a PostScript name such as "Helvetica-Bold" finds a metric-compatible face and style) and
// FreeType draws its glyphs aliased, as GDI draws at proof quality.
//
// Where it differs from Windows:
// - Only the height, weight, italic flag and face name of a LOGFONTA are used; escapement and
//   orientation are ignored (text is always horizontal).
// - The ANSI code page is always Windows-1252, whatever the machine's locale.
// - Text is aligned at the top left of its cell (TA_TOP | TA_LEFT) only.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace aldra {

using CHAR = char;
using WCHAR = char16_t;

inline constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    LONG lfHeight;  // negative: the character (em) height in pixels; positive: the cell height
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;  // 0 or 400 normal, 700 bold
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60);

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};

inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE PROOF_QUALITY = 2;
inline constexpr BYTE NONANTIALIASED_QUALITY = 3;

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_1252 = 1252;

// Never fails for want of the face: an unknown name gives fontconfig's default face. Null only for
// a null record or when memory runs out.
HFONT CreateFontIndirectA(const LOGFONTA* font);
// The metrics of the font selected in the context (SYSTEM_FONT until another is selected):
// heights, average and widest character, and the chosen face's weight and italic flag.
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
// The family of the face chosen for the selected font, cut to `count` - 1 characters and
// zero-terminated; returns the characters copied with the zero. With a null `name`, the size needed.
int GetTextFaceA(HDC dc, int count, CHAR* name);
// The sum of the characters' advance widths and the font's height, in logical units.
BOOL GetTextExtentPoint32A(HDC dc, const CHAR* text, int count, SIZE* size);
BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* text, int count, SIZE* size);
// Draws the text with its cell's top left at (x, y) in the text colour; in OPAQUE mode the cell is
// first filled with the background colour. ANSI text goes through Windows-1252.
BOOL TextOutA(HDC dc, int x, int y, const CHAR* text, int count);
BOOL TextOutW(HDC dc, int x, int y, const WCHAR* text, int count);

// TRANSPARENT or OPAQUE (the default); returns the previous mode, 0 on failure.
int SetBkMode(HDC dc, int mode);
// Return the previous colour, CLR_INVALID on failure. Black text on white by default.
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);

// CP_ACP and CP_1252 (both Windows-1252); other code pages fail. `count` -1 converts up to and
// including the terminating zero. With `wideCount` 0 returns the length needed; otherwise the
// characters written, 0 when they do not fit.
int MultiByteToWideChar(UINT codePage, DWORD flags, const CHAR* text, int count, WCHAR* wide, int wideCount);

}  // namespace aldra
