// Device contexts. There is no display: the screen context only answers questions about the
// screen (its resolution comes from ALDRA_SCREEN_DPI, else 96) and has no pixels; drawing happens
// in memory contexts, into the DIB section selected there.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace aldra {

// Used when ALDRA_SCREEN_DPI is unset or not a positive whole number (at most 10000).
inline constexpr int kDefaultScreenDpi = 96;

// Every window shares the one screen; each call makes a context that ReleaseDC frees. The
// resolution is read from the environment when the context is made.
HDC GetDC(HWND window);
// 1 when `dc` came from GetDC, else 0.
int ReleaseDC(HWND window, HDC dc);
// A memory context with the resolution of `dc` (of the screen when null), holding a 1 x 1
// monochrome bitmap, the white brush, the black pen and SYSTEM_FONT until others are selected.
HDC CreateCompatibleDC(HDC dc);
// Frees a memory context; what was selected in it becomes free again (not deleted).
BOOL DeleteDC(HDC dc);

// LOGPIXELSX and LOGPIXELSY; anything else is 0.
int GetDeviceCaps(HDC dc, int index);

// Bitmaps go only into memory contexts and only into one at a time. Returns the object replaced,
// or null when the selection is refused. A region is copied as the clipping region (SelectClipRgn)
// and its kind comes back in place of a handle, as in Windows.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);

// Logical to device coordinates: device = logical * viewportExt / windowExt, rounded half away
// from zero (both origins stay at 0). MM_ISOTROPIC shrinks one viewport extent so that both axes
// scale alike, as Windows does; MM_TEXT ignores the extents. Returns the previous mode, 0 on
// failure.
int SetMapMode(HDC dc, int mode);
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* previous);
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* previous);

// Every mode samples the nearest pixel, as COLORONCOLOR does. Returns the previous mode.
int SetStretchBltMode(HDC dc, int mode);

}  // namespace aldra
