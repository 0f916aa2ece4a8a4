// Writing and reading the pixels of a GDI bitmap as files: the BMP the conversion commands produce
// and the PNG the host stores as a freedesktop thumbnail. Both create the file new (O_EXCL: an
// existing file fails with 2011 and stays as it was) and delete what they wrote when a later step
// fails.
#pragma once
#include <span>

#include "base/Result.h"
#include "platform/ole/Picture.h"

namespace aldra {

// Reads the bitmap as 24-bit RGB. 2020 for a stale handle, 1000 when out of memory.
Status ReadBitmapRgb(HBITMAP bitmap, RgbImage* out);

// A bottom-up BMP of the bitmap's depth: 14-byte file header, 40-byte BITMAPINFOHEADER, for 8 bits
// or fewer the full colour table (2^depth entries, so 1078 bytes before the pixels of an 8-bit
// file), then the rows padded to 4 bytes.
Status WriteBitmapBmp(HBITMAP bitmap, const char* path);

// An 8-bit RGB, non-interlaced PNG with one tEXt chunk per entry, in order. A key that PNG does not
// allow (empty, over 79 bytes, containing NUL) fails with 2001 before the file is made.
Status WriteBitmapPng(HBITMAP bitmap, const char* path, std::span<const PngTextChunk> text);

}  // namespace aldra
