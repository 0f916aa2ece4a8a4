// The raster half of Windows GDI, as far as the filter draws with it, under the Windows names:
// bitmaps and stretching, rectangles, lines, polygons and clipping regions (Drawing.h), and fonts
// and text (Text.h).
//
// Where it differs from Windows:
// - Handles are 32-bit numbers into the layer's table (see Handles.h); stale handles fail cleanly.
// - There is no display. GetDC gives a screen context that only reports its resolution
//   (ALDRA_SCREEN_DPI, else 96 pixels per inch); it cannot be drawn into or blitted from.
// - Every bitmap is a DIB section of 1, 4, 8 or 24 bits.
// - Stretching always samples the nearest pixel (COLORONCOLOR), whatever the stretch mode, and
//   colours go into indexed targets by nearest colour without dithering.
// - Mapping modes are MM_TEXT, MM_ISOTROPIC and MM_ANISOTROPIC with extents; origins stay at 0.
// - Drawing is aliased and solid: pens are solid or null, brushes solid or null; there are no
//   raster operations other than copying the colour.
// - Fonts are the faces fontconfig finds for their names; glyphs are drawn by FreeType.
// - Sizes are checked: a bitmap over kMaxDibBytes or with a side over kMaxDibSide is refused.
// - Calls are safe from several threads, but one context or bitmap is to be used by one thread at
//   a time; the filter has only the host's thread.
#pragma once

#include "platform/gdi/Brushes.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/DibSection.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Handles.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/StretchDib.h"
#include "platform/gdi/Text.h"
