// The thumbnail of the XMP packet that Illustrator (and other Adobe programs) embed in the EPS and
// PDF-based files they write: an image property of the thumbnail schema (xmpGImg:image, xapGImg:image
// before 2004) whose value is a JPEG stream in base64, as element content or as an attribute, its
// lines broken with "&#xA;" references. Both kinds of file find it through the same property reader
// as their facts (XmpProperties.h).
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Hands the first thumbnail of the file's XMP packet (XmpPacket.h) to the sink in JPEG bands. 2020
// when the file has no packet or its packet no thumbnail, when the value ends without its closing
// delimiter, holds something that is not base64, or decodes to more than kMostXmpThumbnailBytes.
Status DecodeXmpThumbnail(EpsReader* eps, RowSink* sink);
// The same for an XMP packet already in memory (a PDF file's metadata stream), with the same bounds.
Status DecodeXmpPacketThumbnail(const uint8_t* packet, size_t size, RowSink* sink);

// XMP thumbnails are at most 256 pixels on a side, a few tens of KB; base64 text that never ends
// must not grow a block without bound.
inline constexpr uint32_t kMostXmpThumbnailBytes = 4u << 20;

}  // namespace aldra
