#include "preview/TiffPreview.h"

#include <cstring>

#include "base/Block.h"
#include "base/FileReader.h"
#include "preview/BitFields.h"
#include "preview/ColourTables.h"
#include "preview/DosEpsHeader.h"
#include "preview/LzwDecoder.h"
#include "preview/PackBits.h"
#include "preview/TiffByteView.h"
#include "preview/TiffDirectory.h"

namespace aldra {

namespace {

struct RasterLayout {
    uint32_t depth;
    uint32_t rowBytes;
    uint32_t bytes;
};

Status PlanRaster(const TiffInfo& info, RasterLayout* layout) {
    uint64_t rowBytes;
    if (info.photometric == kTiffRgb || info.photometric == kTiffSeparated) {
        layout->depth = 24;
        rowBytes = static_cast<uint64_t>(info.width) * 4;
    } else {
        layout->depth = info.bitsPerSample == 1 ? 1 : info.bitsPerSample == 4 ? 4 : 8;
        rowBytes = AlignedStride(layout->depth, info.width);
    }
    uint64_t bytes = rowBytes * info.height;
    if (rowBytes > UINT32_MAX || bytes > UINT32_MAX) return kErrFormat;
    if (bytes > kMaxTiffPixelBytes) return kErrMemory;
    layout->rowBytes = static_cast<uint32_t>(rowBytes);
    layout->bytes = static_cast<uint32_t>(bytes);
    return kOk;
}

// Differencing stores each sample as the change from the same sample of the pixel to its left.
void UndoDifferencing(uint8_t* rows, uint32_t rowBytes, uint32_t rowCount, uint32_t samplesPerPixel) {
    for (uint32_t r = 0; r < rowCount; ++r) {
        uint8_t* row = rows + static_cast<uint64_t>(r) * rowBytes;
        for (uint32_t i = samplesPerPixel; i < rowBytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - samplesPerPixel]);
    }
}

// Grey, bilevel and palette rows: the first sample of each pixel, as ink amounts or indices.
void ConvertIndexedRow(const TiffInfo& info, const uint8_t* source, uint8_t* target) {
    const uint32_t bits = info.bitsPerSample;
    const bool complement = info.photometric == kTiffBlackIsZero;
    if (info.samplesPerPixel == 1 && bits != 2) {
        std::memcpy(target, source, info.sourceRowBytes);
        if (complement) {
            for (uint32_t i = 0; i < info.sourceRowBytes; ++i) target[i] = static_cast<uint8_t>(~target[i]);
        }
        return;
    }
    const uint32_t maximum = (1u << bits) - 1;
    const uint32_t pixelBits = bits * info.samplesPerPixel;
    for (uint32_t p = 0; p < info.width; ++p) {
        uint32_t v = GetBits(source, p * pixelBits, bits);
        if (complement) v = maximum - v;
        if (bits == 2) {
            // Widened into an 8-bit raster: grey spread over the full range, indices kept.
            target[p] = static_cast<uint8_t>(info.photometric == kTiffPalette ? v : v * 85);
        } else {
            PutBits(v, target, p * bits, bits);
        }
    }
}

uint8_t OverWhite(uint8_t channel, uint8_t alpha, TiffExtraSample kind) {
    if (kind == TiffExtraSample::kAssociatedAlpha) {
        uint32_t v = static_cast<uint32_t>(channel) + (255u - alpha);
        return static_cast<uint8_t>(v > 255 ? 255 : v);
    }
    return static_cast<uint8_t>(255 - ((255 - channel) * alpha) / 255);
}

void ConvertRgbRow(const TiffInfo& info, const uint8_t* source, uint8_t* target) {
    if (info.samplesPerPixel == 3) {
        std::memcpy(target, source, static_cast<size_t>(info.width) * 3);
        return;
    }
    for (uint32_t p = 0; p < info.width; ++p) {
        const uint8_t* s = source + static_cast<size_t>(p) * 4;
        uint8_t* t = target + static_cast<size_t>(p) * 3;
        for (int c = 0; c < 3; ++c) {
            t[c] = info.extraSample == TiffExtraSample::kUnspecified
                       ? s[c]
                       : OverWhite(s[c], s[3], info.extraSample);
        }
    }
}

Status ConvertCmykRow(const TiffInfo& info, const uint8_t* source, uint8_t* target) {
    for (uint32_t p = 0; p < info.width; ++p) {
        Status status = ConvertColour(kColourCmyk, source + static_cast<size_t>(p) * 4,
                                      target + static_cast<size_t>(p) * 3);
        if (status != kOk) return status;
    }
    return kOk;
}

Status ConvertRows(const TiffInfo& info, const uint8_t* source, uint32_t rowCount, uint32_t top,
                   RasterImage* raster) {
    for (uint32_t r = 0; r < rowCount; ++r) {
        const uint8_t* s = source + static_cast<uint64_t>(r) * info.sourceRowBytes;
        uint8_t* t = raster->pixels + static_cast<uint64_t>(top + r) * raster->rowBytes;
        if (info.photometric == kTiffRgb) {
            ConvertRgbRow(info, s, t);
        } else if (info.photometric == kTiffSeparated) {
            Status status = ConvertCmykRow(info, s, t);
            if (status != kOk) return status;
        } else {
            ConvertIndexedRow(info, s, t);
        }
    }
    return kOk;
}

// Decodes the compressed or raw bytes of a strip into exactly sourceBytes bytes.
Status UnpackStrip(const TiffInfo& info, const BoundedBytes& stored, uint8_t* source, uint32_t sourceBytes,
                   uint32_t rowCount) {
    switch (info.compression) {
        case kTiffNoCompression: {
            // A short strip leaves its last rows zero.
            uint32_t take = stored.size() < sourceBytes ? stored.size() : sourceBytes;
            stored.CopyTo(0, take, source);
            return kOk;
        }
        case kTiffPackBits:
            return UnpackBitsRows(stored, source, info.sourceRowBytes, rowCount);
        case kTiffLzw:
            return DecodeLzw(stored, source, sourceBytes);
        default:
            return kErrFormat;
    }
}

Status DecodeStrip(const TiffInfo& info, uint32_t strip, RasterImage* raster) {
    const uint32_t top = strip * info.rowsPerStrip;  // below the height, so no wrap
    const uint32_t rowCount = info.height - top < info.rowsPerStrip ? info.height - top : info.rowsPerStrip;
    uint64_t sourceBytes = static_cast<uint64_t>(info.sourceRowBytes) * rowCount;
    if (sourceBytes > UINT32_MAX) return kErrFormat;
    // Packed samples can outweigh the raster (four 1-bit samples a pixel keep one), so the strip's
    // own block is held to the same limit.
    if (sourceBytes > kMaxTiffPixelBytes) return kErrMemory;

    uint32_t offset = 0;
    uint32_t count = 0;
    if (!info.stripOffsets.At(strip, &offset) || !TiffStripByteCount(info, strip, &count)) return kErrFormat;
    // Raw strips are read only as far as their rows reach.
    if (info.compression == kTiffNoCompression && count > sourceBytes)
        count = static_cast<uint32_t>(sourceBytes);
    BoundedBytes stored;
    if (!info.section.Sub(offset, count, &stored)) return kErrFormat;

    uint8_t* source = nullptr;
    Status status = AllocBlock(static_cast<uint32_t>(sourceBytes), &source);
    if (status != kOk) return status;
    status = UnpackStrip(info, stored, source, static_cast<uint32_t>(sourceBytes), rowCount);
    if (status == kOk) {
        if (info.predictor) UndoDifferencing(source, info.sourceRowBytes, rowCount, info.samplesPerPixel);
        status = ConvertRows(info, source, rowCount, top, raster);
    }
    FreeBlock(source);
    return status;
}

// The colour map's own entries for a palette picture, none otherwise (the raster then gets the
// default table of its depth). Returns the entry count.
uint32_t PaletteOf(const TiffInfo& info, uint32_t depth, ColourRef* table) {
    if (info.photometric != kTiffPalette || !info.hasColourMap) return 0;
    uint32_t entries = 1u << info.bitsPerSample;
    for (uint32_t i = 0; i < entries; ++i) table[i] = info.colourMap[i];
    if (depth == 1) {
        // A bilevel raster reaches GDI with its bits complemented, so index 0 must show entry 1.
        table[0] = info.colourMap[1];
        table[1] = info.colourMap[0];
    }
    return entries;
}

}  // namespace

Status DecodeTiffImage(const uint8_t* data, uint32_t size, const PreviewSink* sink) {
    TiffInfo info;
    Status status = ReadTiffDirectory(BoundedBytes(data, size), &info);
    if (status != kOk) return status;
    RasterLayout layout;
    status = PlanRaster(info, &layout);
    if (status != kOk) return status;

    uint8_t* pixels = nullptr;
    status = AllocBlock(layout.bytes, &pixels);
    if (status != kOk) return status;
    ColourRef palette[kPaletteSize];
    uint32_t paletteSize = PaletteOf(info, layout.depth, palette);
    RasterImage raster;
    InitRaster(layout.depth, info.width, info.height, layout.rowBytes, paletteSize ? palette : nullptr,
               paletteSize, pixels, layout.bytes, false, &raster);

    for (uint32_t strip = 0; strip < info.stripCount; ++strip) status = DecodeStrip(info, strip, &raster);

    if (status == kOk && sink != nullptr && sink->drawBand != nullptr) {
        Rect frame{0, 0, static_cast<int32_t>(info.width), static_cast<int32_t>(info.height)};
        status = sink->drawBand(&raster, &frame, &frame, sink->context);
    }
    FreeBlock(pixels);
    return status;
}

Status DecodeTiffPreview(EpsReader* eps, uint32_t tiffLength, const PreviewSink* sink) {
    FileReader* r = &eps->reader;
    uint64_t base = ReaderTell(r->cursor, r);
    if (tiffLength == 0 || base > r->fileSize || tiffLength > r->fileSize - base) return kErrFormat;
    uint8_t* section = nullptr;
    Status status = AllocBlock(tiffLength, &section);
    if (status != kOk) return status;
    status = ReaderRead(&r->cursor, r, section, tiffLength);
    if (status == kOk) status = DecodeTiffImage(section, tiffLength, sink);
    FreeBlock(section);
    return status;
}

Status DecodeDosEpsTiffPreview(EpsReader* eps, const PreviewSink* sink) {
    DosEpsHeader header;
    Status status = ReadDosEpsHeader(eps, &header);
    if (status != kOk) return status;
    FileReader* r = &eps->reader;
    if (header.tiffOffset == 0 || header.tiffOffset >= r->fileSize) return kErrFormat;
    status = ReaderSeek(header.tiffOffset, &r->cursor, r);
    if (status != kOk) return status;
    return DecodeTiffPreview(eps, header.tiffLength, sink);
}

}  // namespace aldra
