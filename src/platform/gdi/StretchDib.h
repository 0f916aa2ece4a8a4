// Copying pixels into the bitmap of a memory context.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace aldra {

// Draws the source rectangle of a DIB (1, 4, 8 or 24 bits, BI_RGB, DIB_RGB_COLORS, bottom-up or
// top-down) stretched into the destination rectangle (logical coordinates) with SRCCOPY.
// - Sampling: destination pixel i of n takes source pixel floor((2i + 1) * m / (2n)) of m, the one
//   under its centre, whatever the stretch mode.
// - Mirroring: when the signs of the source and destination widths (heights) differ the image is
//   mirrored. A negative extent covers the pixels after the end point up to and including the
//   origin, so a mirrored image lands one pixel right of (below) the upright one, as in Windows.
// - ySrc counts from the bottom row of a bottom-up source, from the top row of a top-down one.
// - Source pixels outside the source bitmap leave the destination as it was; the destination is
//   clipped to its bitmap.
// - Into 8-, 4- and 1-bit targets each colour becomes the nearest entry of the target's colour
//   table (least squared RGB distance, the lower index on ties); no dithering.
// Returns the number of source scan lines, 0 on failure.
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop);

}  // namespace aldra
