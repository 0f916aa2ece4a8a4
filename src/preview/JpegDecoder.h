// JPEG streams decoded with libjpeg into bands of at most 64 KiB, each handed to a sink: from a
// block in memory (Photoshop and IPTC thumbnails, Storm PicturePress), or from ASCII85 text read
// straight from the file (JPEG %ImageData pictures).
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Decodes `length` bytes at `data`, first with tolerant restart handling and, when that fails, once
// more with the library's standard handling.
// Bands handed over in the first attempt are handed again in the second.
Status DecodeJpeg(const uint8_t* data, size_t length, RowSink* sink);

// Decodes the ASCII85 text at the reader's position.
Status DecodeJpegAscii85(EpsReader* eps, RowSink* sink);

}  // namespace aldra
