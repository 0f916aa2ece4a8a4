// The thumbnail of the XMP packet that Illustrator (and other Adobe programs) embed in the EPS
// files they write: an xmpGImg:image property whose value is a JPEG stream in base64, as element
// content or as an attribute, its lines broken with "&#xA;" references.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Hands the first XMP thumbnail of the file to the sink in JPEG bands. 2020 when none lies within
// the first kMostXmpSearchBytes of the PostScript text, when its text ends without its closing
// delimiter, holds something that is not base64, or decodes to more than kMostXmpThumbnailBytes.
Status DecodeXmpThumbnail(EpsReader* eps, RowSink* sink);
// The same for an XMP packet already in memory (a PDF file's metadata stream), with the same bounds.
Status DecodeXmpPacketThumbnail(const uint8_t* packet, size_t size, RowSink* sink);

// Illustrator writes the packet behind its prolog and setup (about 180 KB into the files we hold),
// ahead of the page's pictures; embedded fonts can push it further. Past this the file is taken to
// have none, so that a large file without one costs a bounded scan (0.1 s a 32 MB file when cached).
inline constexpr uint64_t kMostXmpSearchBytes = uint64_t{32} << 20;
// XMP thumbnails are at most 256 pixels on a side, a few tens of KB; base64 text that never ends
// must not grow a block without bound.
inline constexpr uint32_t kMostXmpThumbnailBytes = 4u << 20;

}  // namespace aldra
