// PackBits (TIFF compression 32773), the run-length code of Macintosh previews.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/TiffByteView.h"

namespace aldra {

// Unpacks rows of rowBytes bytes each into out (rows x rowBytes bytes, which the caller has made
// sure fit out) from one continuous input: a header n of 0 to 127 copies the next n + 1 bytes, -127
// to -1 repeats the next byte 1 - n times, -128 is a no-op. A run is cut at the end of its row (the
// rest of the run is dropped) and the next row continues right behind the bytes the run used.
// 2020 when the input ends before every row is full; the rows decoded so far stay in out.
Status UnpackBitsRows(const BoundedBytes& in, uint8_t* out, uint32_t rowBytes, uint32_t rows);

}  // namespace aldra
