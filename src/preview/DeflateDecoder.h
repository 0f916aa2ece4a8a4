// Deflate as TIFF uses it (compression 8, and 32946 from older writers): one zlib stream a strip.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/TiffByteView.h"

namespace aldra {

// Inflates in until out holds outSize bytes; whatever follows is ignored. 2020 when the stream is
// damaged or ends before out is full; the bytes inflated so far stay in out.
Status DecodeDeflate(const BoundedBytes& in, uint8_t* out, uint32_t outSize);

}  // namespace aldra
