// Offscreen graphics worlds: DIB sections of the caller's GDI (see QuickTime.h) that pictures are
// drawn into, and the current port that EraseRect and DrawPicture draw in. The screen port, current
// at first, has no pixels: drawing there does nothing.
#pragma once
#include <cstdint>

#include "platform/quicktime/QuickTime.h"

namespace aldra::qt {

// Formats 33 (1 bit), 40 (8-bit grey) and '24BG'; noErr, paramErr for another format or an empty
// or oversized rectangle, memFullErr when GDI makes no section.
OSErr NewGWorld(const QtGdi* gdi, GWorldPtr* out, OSType format, const Rect* bounds);
void DisposeGWorld(GWorldPtr world);
// The raw number of the world's HBITMAP, 0 for no world.
uint32_t GWorldBitmap(GWorldPtr world);
void GetGWorld(CGrafPtr* port, GDHandle* device);
OSErr SetGWorld(CGrafPtr port, GDHandle device);
void EraseRect(const Rect* r);
OSErr DrawPicture(Handle picture, const Rect* r);

}  // namespace aldra::qt
