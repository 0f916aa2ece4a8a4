// The thumbnail Adobe Illustrator keeps among its header comments: "%AI7_Thumbnail: width height
// bits", a "%%BeginData:" line, and comment lines of hexadecimal digits holding a 256-colour table,
// the marker "RLE" and the colour indices, run-length coded with 0xFD as the escape.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Hands the thumbnail to the sink as one band. 2020 when the head comments have none, for
// a depth other than 8 bits, a missing "%%BeginData:" line or marker, and for a picture larger than
// kMaxAi7ThumbnailBytes; 1000 when its memory cannot be had; the reader's code (2016 at the end of
// the file) when the file ends inside the comments.
Status DecodeAi7Thumbnail(EpsReader* eps, RowSink* sink);

// The raster (rows at the aligned stride) may hold at most this many bytes: a thumbnail is small,
// and a forged size must not make the decoder allocate gigabytes.
inline constexpr uint64_t kMaxAi7ThumbnailBytes = uint64_t{256} << 20;

// Run-length decoding into `out`: a byte other than 0xFD is one pixel, 0xFD 0xFD is the pixel 0xFD,
// 0xFD n v is n pixels v. Stops when the output is full or the input ends, cutting a run to the
// space left. Returns the number of pixels written.
uint64_t DecodeThumbnailRuns(const uint8_t* in, uint64_t inSize, uint8_t* out, uint64_t outSize);

}  // namespace aldra
