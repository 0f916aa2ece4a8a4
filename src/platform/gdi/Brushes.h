// The rectangle drawn with the pen and brush selected in a memory context (the stock ones).
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace aldra {

// Outlines the rectangle with the selected pen and fills its inside with the selected brush, in
// logical coordinates mapped to device pixels. With a visible pen of width w the outline is the
// outer w pixels of [left, right) x [top, bottom) and the fill lies inside it; with the null pen
// the fill covers [left, right - 1) x [top, bottom - 1), as in Windows. Colours are matched to the
// bitmap's table by nearest colour. Clipped to the bitmap; FALSE on a context without one.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);

}  // namespace aldra
