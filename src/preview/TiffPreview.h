// The TIFF preview of a DOS EPS file, decoded strip by strip and handed to a preview sink in bands
// of at most 256 KiB of pixels, top band first, so that the whole picture is never held.
//
// The rows follow the photometric interpretation: bilevel, 4-bit and 8-bit grey or palette
// pictures keep their depth (2-bit samples are widened to 8 bits: grey values times 85, palette
// indices as they are), RGB (with alpha laid over white) and CMYK come at 4 x width bytes a row.
// White-is-zero grey goes over as ink, black-is-zero as light values. A palette picture without a
// usable colour map shows its indices through the default grey table.
//
// A broken strip followed by a good one still gives a picture (its rows left zero); the picture is
// handed over only when the last strip decodes, which is why that strip is decoded first, once to
// check it and again in its turn. A strip never yields more than its rows.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Pictures of more pixels than kMaxTiffPixels, or whose raster or one strip's decoded samples would
// take more than kMaxTiffPixelBytes, are refused as if memory had run out. The work a picture costs
// follows its size, not the bytes the file holds, so a header of a few bytes must not be able to
// ask for billions of pixels. Programs store previews at screen resolution, but a picture made at
// 72 ppi gets a preview of its full size: 32 Mpixels holds a 6000 x 5000 photograph, and at four
// bytes a pixel its RGB raster just fits the byte limit.
inline constexpr uint64_t kMaxTiffPixels = uint64_t{32} << 20;
inline constexpr uint32_t kMaxTiffPixelBytes = 128u << 20;
// The TIFF section of a DOS EPS file is read whole, so one claimed larger than its largest picture
// could need (an uncompressed raster of kMaxTiffPixelBytes and its tags) is refused, as out of
// memory, before anything is allocated.
inline constexpr uint32_t kMaxTiffSectionBytes = kMaxTiffPixelBytes + (1u << 20);

// Decodes the TIFF file held in data (size bytes) and, on success, hands the picture to the sink
// and returns its status. 2020 for data the decoder does not handle, 1000 when memory runs out;
// the sink is then not called. A null sink decodes without handing anything over.
Status DecodeTiffImage(const uint8_t* data, uint32_t size, RowSink* sink);

// The TIFF section of tiffLength bytes starting at the reader's position, cut at the end of the
// file: 2020 only when what its directory points to lies outside.
Status DecodeTiffPreview(EpsReader* eps, uint32_t tiffLength, RowSink* sink);

// The TIFF preview located by the file's DOS EPS header: 2020 when the file has no such header,
// its TIFF offset is 0 or lies outside the file.
Status DecodeDosEpsTiffPreview(EpsReader* eps, RowSink* sink);

}  // namespace aldra
