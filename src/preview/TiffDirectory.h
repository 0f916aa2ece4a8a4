// The first image file directory of a TIFF preview, read and checked. Only what a preview writer
// puts in a baseline file is taken: one image in strips, uncompressed, PackBits, LZW, Deflate or
// CCITT (bilevel only), with 1, 2,
// 4 or 8 bits per sample, bilevel, grey, palette, RGB (with or without alpha) or CMYK. Everything
// the decoder later relies on (strip lists long enough, row sizes that fit in 32 bits, a sample
// layout it can convert) is settled here, so that a directory that passes can be decoded.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/Raster.h"
#include "preview/TiffByteView.h"

namespace aldra {

inline constexpr uint32_t kTiffNoCompression = 1;
inline constexpr uint32_t kTiffLzw = 5;
inline constexpr uint32_t kTiffPackBits = 32773;
inline constexpr uint32_t kTiffCcittRle = 2;
inline constexpr uint32_t kTiffCcittGroup3 = 3;
inline constexpr uint32_t kTiffCcittGroup4 = 4;
inline constexpr uint32_t kTiffDeflate = 8;
inline constexpr uint32_t kTiffOldDeflate = 32946;

// CCITT compressions code bilevel pictures only.
inline bool IsFaxCompression(uint32_t compression) {
    return compression == kTiffCcittRle || compression == kTiffCcittGroup3 || compression == kTiffCcittGroup4;
}

inline constexpr uint32_t kTiffWhiteIsZero = 0;
inline constexpr uint32_t kTiffBlackIsZero = 1;
inline constexpr uint32_t kTiffRgb = 2;
inline constexpr uint32_t kTiffPalette = 3;
inline constexpr uint32_t kTiffSeparated = 5;  // CMYK

// What the fourth sample of an RGB pixel is. Files without ExtraSamples are taken to carry
// unassociated alpha there, as the writers of four-sample previews do.
enum class TiffExtraSample { kUnspecified, kAssociatedAlpha, kUnassociatedAlpha };

// A SHORT or LONG array of the directory, read in place from the section.
struct TiffList {
    BoundedBytes bytes;
    uint32_t count = 0;
    uint32_t elementSize = 0;  // 2 or 4

    bool At(uint32_t index, uint32_t* value) const;
};

struct TiffInfo {
    BoundedBytes section;  // the whole TIFF section in its byte order; offsets are relative to it
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t compression = kTiffNoCompression;
    bool predictor = false;  // horizontal differencing
    uint32_t photometric = kTiffWhiteIsZero;
    uint32_t bitsPerSample = 1;
    uint32_t samplesPerPixel = 1;
    bool planarSeparate = false;
    bool hasColourMap = false;
    ColourRef colourMap[kPaletteSize] = {};
    TiffExtraSample extraSample = TiffExtraSample::kUnassociatedAlpha;
    uint32_t rowsPerStrip = 0;
    TiffList stripOffsets;
    TiffList stripByteCounts;

    // Settled by the checks after the directory.
    uint32_t stripCount = 0;      // strips the picture needs; longer lists are not read further
    uint32_t sourceRowBytes = 0;  // bytes of one decoded row of a strip
    bool byteCountMadeUp = false;
    uint32_t madeUpByteCount = 0;  // the only strip's byte count when the file gives none
};

// Reads the header and the first directory of the section (the bytes of the TIFF section only) and
// checks the result. 2020 for anything the decoder does not handle: no "II"/"MM" and 42, a refused
// tag value, a zero size, too few strips, planar-separate samples, tiles, differencing of samples
// other than 8 bits, or any offset or count that points outside the section.
Status ReadTiffDirectory(const BoundedBytes& section, TiffInfo* info);

// The byte count of strip i: from the file, or the one made up for a lone strip.
bool TiffStripByteCount(const TiffInfo& info, uint32_t strip, uint32_t* count);

}  // namespace aldra
