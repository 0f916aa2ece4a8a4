// Lines, polygons, pens, brushes and clipping regions, drawn into the DIB section of a memory
// context the way GDI draws them: aliased, a pixel is painted when its centre is covered (the left
// and top edges of a shape count as inside, the right and bottom ones do not).
//
// Where it differs from Windows:
// - Pens are solid or null; a pen of width 0 or 1 is a one-pixel line, a wider one has round ends
//   and round joins whatever end and join style Windows would give it.
// - Regions are rectangles and polygons only, kept as their outline; they are made into pixels
//   when they clip a drawing.
// - Points farther than 2^60 device pixels from the origin are pulled in to that distance.
#pragma once
#include <cstdint>

#include "platform/gdi/GdiTypes.h"

namespace aldra {

using ULONG_PTR = uintptr_t;

struct POINT {
    LONG x;
    LONG y;
};

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;  // ignored: only solid and null brushes exist
};

inline constexpr UINT BS_SOLID = 0;
inline constexpr UINT BS_NULL = 1;
inline constexpr UINT BS_HOLLOW = BS_NULL;

inline constexpr int ALTERNATE = 1;  // even-odd
inline constexpr int WINDING = 2;    // non-zero

// Region kinds, as SelectClipRgn answers.
inline constexpr int RGN_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// PS_SOLID or PS_NULL; other styles draw solid. A negative width counts as 1.
HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
// BS_SOLID or BS_NULL; null for other styles.
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// The current position, in logical coordinates; a new context starts at (0, 0).
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL GetCurrentPositionEx(HDC dc, POINT* position);
// Strokes from the current position to (x, y) with the selected pen, the end pixel left out for a
// one-pixel pen, and makes (x, y) the current position.
BOOL LineTo(HDC dc, int x, int y);

// Fills the polygon (closed from the last point back to the first) by the poly-fill mode with the
// selected brush, then outlines it with the selected pen. At least 2 points.
BOOL Polygon(HDC dc, const POINT* points, int count);
// Strokes the open path with the selected pen; no fill. At least 2 points.
BOOL Polyline(HDC dc, const POINT* points, int count);
// ALTERNATE (the default) or WINDING; returns the previous mode, 0 on failure.
int SetPolyFillMode(HDC dc, int mode);

// Regions are in device coordinates, as in Windows: the mapping mode does not apply to them.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
// `mode` ALTERNATE or WINDING. Fewer than 3 points make a region that covers no pixel (a clip that
// hides everything, rather than a failure that would lift the clipping).
HRGN CreatePolygonRgn(const POINT* points, int count, int mode);
// Makes a copy of the region the context's clipping region, replacing the previous one (the caller
// may delete its region at once); a null region removes the clipping. Every drawing call,
// text included, paints only inside it. Returns the region's kind, RGN_ERROR on failure.
int SelectClipRgn(HDC dc, HRGN region);

}  // namespace aldra
