// LZW as TIFF uses it (compression 5): codes of 9 to 12 bits, 256 clears the table, 257 ends the
// data, and new strings are numbered from 258 on.
//
// Two code layouts are in the files: the usual one, written by libtiff and every current program,
// packs codes from the most significant bit down and widens a code one entry early (at 511, 1023
// and 2047 entries); the layout of TIFF 5.0 writers packs them from the least significant bit up and
// widens at 512, 1024 and 2048. A strip in the old layout starts with the byte 0x00 followed by a
// byte with its low bit set (its clear code), which the usual layout cannot produce.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/TiffByteView.h"

namespace aldra {

// Decodes in until out holds outSize bytes; whatever follows is ignored. 2020 when a code refers
// to a string not yet defined, or the data end (by running out or by their end code) before out is
// full; the bytes decoded so far stay in out. Never writes outside out's outSize bytes.
Status DecodeLzw(const BoundedBytes& in, uint8_t* out, uint32_t outSize);

}  // namespace aldra
