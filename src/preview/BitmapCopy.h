// A bitmap copied at another size, as CopyImage makes it for a picture object that must own its
// bitmap: the same depth and colour table, the pixels stretched to the new size.
#pragma once
#include <cstdint>

#include "platform/gdi/Gdi.h"

namespace aldra {

// Null when the source is no bitmap, a size is not positive, or GDI refuses the copy.
HBITMAP CopyBitmapResized(HBITMAP source, int32_t width, int32_t height);

}  // namespace aldra
