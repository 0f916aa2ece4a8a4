// The scalar types, records and constants of the GDI calls the filter makes, with the Windows names
// and values. The bitmap records are byte for byte the Windows ones, so the preview code can hand its
// own DIB header and colour table to GDI by a cast.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/gdi/Handles.h"

namespace aldra {

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using COLORREF = uint32_t;  // red in the lowest byte, then green, then blue

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

inline constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
inline constexpr uint8_t GetRValue(COLORREF c) {
    return static_cast<uint8_t>(c);
}
inline constexpr uint8_t GetGValue(COLORREF c) {
    return static_cast<uint8_t>(c >> 8);
}
inline constexpr uint8_t GetBValue(COLORREF c) {
    return static_cast<uint8_t>(c >> 16);
}

struct SIZE {
    LONG cx;
    LONG cy;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: first row in memory is the bottom row; negative: top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

// The colour table runs on past the declared single entry, as in Windows.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
static_assert(offsetof(BITMAPINFO, bmiColors) == 40);

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;      // always positive
    LONG bmWidthBytes;  // the DWORD-aligned stride
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

inline constexpr DWORD BI_RGB = 0;
inline constexpr DWORD BI_BITFIELDS = 3;
inline constexpr UINT DIB_RGB_COLORS = 0;

inline constexpr DWORD SRCCOPY = 0x00CC0020;

inline constexpr int BLACKONWHITE = 1;
inline constexpr int WHITEONBLACK = 2;
inline constexpr int COLORONCOLOR = 3;
inline constexpr int HALFTONE = 4;

inline constexpr int MM_TEXT = 1;
inline constexpr int MM_ISOTROPIC = 7;
inline constexpr int MM_ANISOTROPIC = 8;

inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

inline constexpr int WHITE_BRUSH = 0;
inline constexpr int LTGRAY_BRUSH = 1;
inline constexpr int GRAY_BRUSH = 2;
inline constexpr int DKGRAY_BRUSH = 3;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr int NULL_BRUSH = 5;
inline constexpr int HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr int WHITE_PEN = 6;
inline constexpr int BLACK_PEN = 7;
inline constexpr int NULL_PEN = 8;
inline constexpr int SYSTEM_FONT = 13;

inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;

}  // namespace aldra
