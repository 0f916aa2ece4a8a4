#include "preview/TiffPreview.h"

#include <cstring>

#include "base/Block.h"
#include "base/FileReader.h"
#include "eps/DosEpsHeader.h"
#include "preview/BitFields.h"
#include "preview/ColourTables.h"
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
    if (bytes > kMaxTiffPixelBytes || uint64_t{info.width} * info.height > kMaxTiffPixels) return kErrMemory;
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

Status ConvertRows(const TiffInfo& info, const uint8_t* source, uint32_t rowCount, uint8_t* target,
                   uint32_t targetRowBytes) {
    for (uint32_t r = 0; r < rowCount; ++r) {
        const uint8_t* s = source + static_cast<uint64_t>(r) * info.sourceRowBytes;
        uint8_t* t = target + static_cast<uint64_t>(r) * targetRowBytes;
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

// Rows go to the sink a band at a time, so the whole picture is never held: one band of converted rows
// and, for raw strips, one band of samples, both reused for every band of every strip.
constexpr uint32_t kBandBytes = 256 * 1024;

struct BandWriter {
    const TiffInfo* info = nullptr;
    const PreviewSink* sink = nullptr;  // null while a strip is only being checked
    RasterLayout layout{};
    ColourRef palette[kPaletteSize] = {};
    uint32_t paletteSize = 0;
    uint32_t bandRows = 0;
    uint8_t* pixels = nullptr;   // bandRows x layout.rowBytes
    uint8_t* samples = nullptr;  // bandRows x sourceRowBytes
    Status sinkStatus = kOk;     // the first status other than 0 the sink answered
};

Status OpenBandWriter(const TiffInfo& info, const RasterLayout& layout, BandWriter* w) {
    w->info = &info;
    w->layout = layout;
    w->paletteSize = PaletteOf(info, layout.depth, w->palette);
    uint32_t widest = layout.rowBytes > info.sourceRowBytes ? layout.rowBytes : info.sourceRowBytes;
    w->bandRows = widest == 0 || widest >= kBandBytes ? 1 : kBandBytes / widest;
    if (w->bandRows > info.height) w->bandRows = info.height;
    uint64_t pixelBytes = static_cast<uint64_t>(w->bandRows) * layout.rowBytes;
    uint64_t sampleBytes = static_cast<uint64_t>(w->bandRows) * info.sourceRowBytes;
    if (pixelBytes > kMaxTiffPixelBytes || sampleBytes > kMaxTiffPixelBytes) return kErrMemory;
    Status status = AllocBlock(static_cast<uint32_t>(pixelBytes), &w->pixels);
    if (status == kOk) status = AllocBlock(static_cast<uint32_t>(sampleBytes), &w->samples);
    return status;
}

void CloseBandWriter(BandWriter* w) {
    FreeBlock(w->pixels);
    FreeBlock(w->samples);
    w->pixels = w->samples = nullptr;
}

// Converts rowCount rows of samples (none: rows of a strip that failed, left zero) into the band and
// hands it to the sink. Returns the conversion's status; the sink's goes to sinkStatus.
Status WriteBand(BandWriter* w, const uint8_t* source, uint32_t top, uint32_t rowCount) {
    const TiffInfo& info = *w->info;
    uint32_t bytes = rowCount * w->layout.rowBytes;  // at most the band block
    std::memset(w->pixels, 0, bytes);
    Status status = kOk;
    if (source != nullptr) {
        status = ConvertRows(info, source, rowCount, w->pixels, w->layout.rowBytes);
        if (status != kOk) std::memset(w->pixels, 0, bytes);
    }
    if (w->sink == nullptr || w->sink->drawBand == nullptr) return status;
    RasterImage band;
    InitRaster(w->layout.depth, info.width, rowCount, w->layout.rowBytes,
               w->paletteSize ? w->palette : nullptr, w->paletteSize, w->pixels, bytes, false, &band);
    Rect frame{0, 0, static_cast<int32_t>(info.width), static_cast<int32_t>(info.height)};
    Rect rows{0, static_cast<int32_t>(top), static_cast<int32_t>(info.width),
              static_cast<int32_t>(top + rowCount)};
    Status drawn = w->sink->drawBand(&band, &frame, &rows, w->sink->context);
    if (drawn != kOk && w->sinkStatus == kOk) w->sinkStatus = drawn;
    return status;
}

// Hands on the rows of a strip whose samples are all decoded (or, with none, a failed strip's rows).
Status WriteDecodedRows(BandWriter* w, const uint8_t* source, uint32_t top, uint32_t rowCount) {
    Status status = kOk;
    for (uint32_t done = 0; done < rowCount && w->sinkStatus == kOk; done += w->bandRows) {
        uint32_t n = rowCount - done < w->bandRows ? rowCount - done : w->bandRows;
        const uint8_t* rows =
            source ? source + static_cast<uint64_t>(done) * w->info->sourceRowBytes : nullptr;
        status = WriteBand(w, rows, top + done, n);
    }
    return status;
}

// A raw strip is read a band at a time straight from the section; a short strip leaves its last
// rows zero.
Status WriteRawStrip(BandWriter* w, const BoundedBytes& stored, uint32_t top, uint32_t rowCount) {
    const TiffInfo& info = *w->info;
    Status status = kOk;
    for (uint32_t done = 0; done < rowCount && w->sinkStatus == kOk; done += w->bandRows) {
        uint32_t n = rowCount - done < w->bandRows ? rowCount - done : w->bandRows;
        uint64_t from = static_cast<uint64_t>(done) * info.sourceRowBytes;
        uint32_t want = n * info.sourceRowBytes;
        uint32_t have = from >= stored.size() ? 0 : static_cast<uint32_t>(stored.size() - from);
        uint32_t take = have < want ? have : want;
        std::memset(w->samples, 0, want);
        if (take != 0) stored.CopyTo(static_cast<uint32_t>(from), take, w->samples);
        if (info.predictor) UndoDifferencing(w->samples, info.sourceRowBytes, n, info.samplesPerPixel);
        status = WriteBand(w, w->samples, top + done, n);
    }
    return status;
}

Status DecodeStrip(BandWriter* w, uint32_t strip) {
    const TiffInfo& info = *w->info;
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
    if (info.compression == kTiffNoCompression) return WriteRawStrip(w, stored, top, rowCount);

    uint8_t* source = nullptr;
    Status status = AllocBlock(static_cast<uint32_t>(sourceBytes), &source);
    if (status != kOk) return status;
    status = UnpackStrip(info, stored, source, static_cast<uint32_t>(sourceBytes), rowCount);
    if (status == kOk) {
        if (info.predictor) UndoDifferencing(source, info.sourceRowBytes, rowCount, info.samplesPerPixel);
        status = WriteDecodedRows(w, source, top, rowCount);
    }
    FreeBlock(source);
    return status;
}

// Every strip is drawn, a failed one as zero rows, but only when the last strip decodes: that strip
// is checked first, so that the bands can go to the sink as they come.
Status DrawStrips(BandWriter* w, const PreviewSink* sink) {
    const uint32_t last = w->info->stripCount - 1;
    Status status = DecodeStrip(w, last);
    if (status != kOk || sink == nullptr || sink->drawBand == nullptr) {
        // Without a sink, every strip is still decoded, as a caller checking a file expects.
        for (uint32_t strip = 0; status == kOk && strip < last; ++strip) DecodeStrip(w, strip);
        return status;
    }
    w->sink = sink;
    for (uint32_t strip = 0; strip <= last && w->sinkStatus == kOk; ++strip) {
        uint32_t top = strip * w->info->rowsPerStrip;
        uint32_t rows =
            w->info->height - top < w->info->rowsPerStrip ? w->info->height - top : w->info->rowsPerStrip;
        if (DecodeStrip(w, strip) != kOk && w->sinkStatus == kOk) WriteDecodedRows(w, nullptr, top, rows);
    }
    return w->sinkStatus;
}

}  // namespace

Status DecodeTiffImage(const uint8_t* data, uint32_t size, const PreviewSink* sink) {
    TiffInfo info;
    Status status = ReadTiffDirectory(BoundedBytes(data, size), &info);
    if (status != kOk) return status;
    if (info.stripCount == 0) return kErrFormat;
    RasterLayout layout;
    status = PlanRaster(info, &layout);
    if (status != kOk) return status;
    BandWriter writer;
    status = OpenBandWriter(info, layout, &writer);
    if (status == kOk) status = DrawStrips(&writer, sink);
    CloseBandWriter(&writer);
    return status;
}

Status DecodeTiffPreview(EpsReader* eps, uint32_t tiffLength, const PreviewSink* sink) {
    FileReader* r = &eps->reader;
    uint64_t base = ReaderTell(r->cursor, r);
    if (tiffLength == 0 || base > r->fileSize || tiffLength > r->fileSize - base) return kErrFormat;
    if (tiffLength > kMaxTiffSectionBytes) return kErrMemory;
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
