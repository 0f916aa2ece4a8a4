// The device-independent preview of an EPSI file: a "%%BeginPreview: width height depth lines"
// comment among the head comments (behind "%%EndComments", or inside the prolog as Inkscape puts
// it), then comment lines of hexadecimal digits up to "%%EndPreview". Samples of 1, 2, 4 or 8 bits
// are amounts of ink (0 is white), packed from the most significant bit down, each row padded to a
// whole byte.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Hands the preview to the sink in bands of at most 64 KiB (one row when a row is larger). 2020
// for a missing comment (or one behind more than 20 lines of code), for sizes and depths the
// decoder does not read, for a preview larger than the rest of the file could hold, and for data
// that end before the last row; the bands before that are handed over.
Status DecodeEpsiPreview(EpsReader* eps, RowSink* sink);

// No source row may be larger than this: previews are screen-sized, and a forged header must not
// make the decoder allocate for rows that are not there.
inline constexpr uint32_t kMaxEpsiRowBytes = 1u << 20;

}  // namespace aldra
