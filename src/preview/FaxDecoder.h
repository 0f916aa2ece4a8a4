// CCITT bilevel compression as TIFF uses it: modified Huffman rows (compression 2), Group 3
// (compression 3, one- or two-dimensional by T4Options) and Group 4 (compression 4), the kinds
// Ghostscript's and scanners' previews carry. libtiff decodes them, reading the section held in
// memory through its client interface, so that it sees nothing outside the section.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/TiffByteView.h"

namespace aldra {

// Decodes strip `strip` of the TIFF file in section into outSize bytes of 1-bit rows (a 1 bit is
// a black run). 2020 when libtiff cannot open the section or the strip's codes are damaged; the
// rows decoded so far stay in out. Nothing is printed: libtiff's messages are dropped.
Status DecodeFaxStrip(const BoundedBytes& section, uint32_t strip, uint8_t* out, uint32_t outSize);

}  // namespace aldra
