// Device-independent bitmaps: making them and reading their pixels back.
// Every bitmap of this layer is a DIB section; there are no device-dependent bitmaps.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace aldra {

// Larger bitmaps are refused rather than allocated (also by GetDIBits).
inline constexpr uint64_t kMaxDibBytes = uint64_t{1} << 30;
inline constexpr int32_t kMaxDibSide = 1 << 20;

// Bytes per row, whole 32-bit words; 0 when the width or depth is unusable or the row would not
// fit in 32 bits.
uint32_t DibStride(uint32_t bitsPerPixel, int64_t width);

// Depth 1, 4, 8 or 24, BI_RGB, DIB_RGB_COLORS, positive width, non-zero height (negative:
// top-down). The colour table has biClrUsed entries (all 2^depth when 0) and is copied; missing
// entries are black. The pixels are zeroed; *bits (when given) receives them. `section` must be
// null (no file mappings). Null on failure, with *bits set to null.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);

// Reads scan lines [start, start + lines) of the bitmap in the format info asks for (24 bits or
// the bitmap's own depth; width must be the bitmap's; positive biHeight gives bottom-up lines,
// negative top-down). With bits null and biBitCount 0 it describes the bitmap in info's header
// (its own depth, positive height, biSizeImage, biClrUsed = the table's length); with bits null and
// biBitCount set it fills the colour table of that format: the bitmap's own at its own depth, the
// rest of the 2^depth entries black. `dc` must be a valid context.
// Returns the lines copied (non-zero for the describing calls), 0 on failure.
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);

}  // namespace aldra
