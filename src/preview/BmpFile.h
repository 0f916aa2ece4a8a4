// Windows bitmap files written from a target raster. The destination is always created new: an
// existing file is never touched, and a file that could not be written whole is deleted. Bitmap
// handles are written by the picture layer (WriteBitmapBmp).
#pragma once
#include "preview/TargetRaster.h"

namespace aldra {

inline constexpr uint32_t kBmpFileHeaderBytes = 14;

// The target's pixels as they are: 8 bits with its 256-entry table or 24 bits. width and height
// only form the rectangle the pixels are presented in.
Status WriteRasterBmp(TargetRaster* target, const char* path, uint32_t width, uint32_t height);

}  // namespace aldra
