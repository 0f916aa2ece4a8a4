#include "preview/TiffPreview.h"

#include <cstring>

#include "base/Block.h"
#include "base/FileReader.h"
#include "eps/DosEpsHeader.h"
#include "preview/BitFields.h"
#include "preview/DeflateDecoder.h"
#include "preview/FaxDecoder.h"
#include "preview/LzwDecoder.h"
#include "preview/PackBits.h"
#include "preview/TiffByteView.h"
#include "preview/TiffDirectory.h"

namespace aldra {

namespace {

struct RasterLayout {
    RowFormat format;
    uint32_t depth;
    uint32_t rowBytes;
    uint32_t bytes;
};

RowFormat FormatOf(uint32_t photometric) {
    switch (photometric) {
        case kTiffBlackIsZero:
            return RowFormat::kLight;
        case kTiffPalette:
            return RowFormat::kIndexed;
        case kTiffRgb:
            return RowFormat::kRgb;
        case kTiffSeparated:
            return RowFormat::kCmyk;
        default:
            return RowFormat::kInk;
    }
}

Status PlanRaster(const TiffInfo& info, RasterLayout* layout) {
    uint64_t rowBytes;
    layout->format = FormatOf(info.photometric);
    if (info.photometric == kTiffRgb || info.photometric == kTiffSeparated) {
        layout->depth = info.photometric == kTiffRgb ? 24 : 32;
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

// Grey, bilevel and palette rows: the first sample of each pixel, as stored.
void ConvertIndexedRow(const TiffInfo& info, const uint8_t* source, uint8_t* target) {
    const uint32_t bits = info.bitsPerSample;
    if (info.samplesPerPixel == 1 && bits != 2) {
        std::memcpy(target, source, info.sourceRowBytes);
        return;
    }
    const uint32_t pixelBits = bits * info.samplesPerPixel;
    for (uint32_t p = 0; p < info.width; ++p) {
        uint32_t v = GetBits(source, p * pixelBits, bits);
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

// CMYK samples go over as they are; the sink converts them.
void ConvertRows(const TiffInfo& info, const uint8_t* source, uint32_t rowCount, uint8_t* target,
                 uint32_t targetRowBytes) {
    for (uint32_t r = 0; r < rowCount; ++r) {
        const uint8_t* s = source + static_cast<uint64_t>(r) * info.sourceRowBytes;
        uint8_t* t = target + static_cast<uint64_t>(r) * targetRowBytes;
        if (info.photometric == kTiffRgb) {
            ConvertRgbRow(info, s, t);
        } else if (info.photometric == kTiffSeparated) {
            std::memcpy(t, s, static_cast<size_t>(info.width) * 4);
        } else {
            ConvertIndexedRow(info, s, t);
        }
    }
}

// Decodes the compressed or raw bytes of a strip into exactly sourceBytes bytes.
Status UnpackStrip(const TiffInfo& info, uint32_t strip, const BoundedBytes& stored, FaxStrips* fax,
                   uint8_t* source, uint32_t sourceBytes, uint32_t rowCount) {
    if (IsFaxCompression(info.compression)) return fax->Decode(strip, source, sourceBytes);
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
        case kTiffDeflate:
        case kTiffOldDeflate:
            return DecodeDeflate(stored, source, sourceBytes);
        default:
            return kErrFormat;
    }
}

// The colour map's own entries for a palette picture, none otherwise (the raster then gets the
// default table of its depth). Returns the entry count.
uint32_t PaletteOf(const TiffInfo& info, ColourRef* table) {
    if (info.photometric != kTiffPalette || !info.hasColourMap) return 0;
    uint32_t entries = 1u << info.bitsPerSample;
    for (uint32_t i = 0; i < entries; ++i) table[i] = info.colourMap[i];
    return entries;
}

// Rows go to the sink a band at a time, so the whole picture is never held: one band of converted rows
// and, for raw strips, one band of samples, both reused for every band of every strip.
constexpr uint32_t kBandBytes = 256 * 1024;

struct BandWriter {
    const TiffInfo* info = nullptr;
    RowSink* sink = nullptr;  // null while a strip is only being checked
    RasterLayout layout{};
    ColourRef palette[kPaletteSize] = {};
    uint32_t paletteSize = 0;
    uint32_t bandRows = 0;
    BlockPtr pixels;          // bandRows x layout.rowBytes
    BlockPtr samples;         // bandRows x sourceRowBytes
    Status sinkStatus = kOk;  // the first status other than 0 the sink answered
    FaxStrips fax;            // opened at the first CCITT strip
};

Status OpenBandWriter(const TiffInfo& info, const RasterLayout& layout, BandWriter* w) {
    w->info = &info;
    w->layout = layout;
    w->fax.Use(&info.section);
    w->paletteSize = PaletteOf(info, w->palette);
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

// Converts rowCount rows of samples (none: rows of a strip that failed, left zero) into the band and
// hands it to the sink, whose status goes to sinkStatus.
Status WriteBand(BandWriter* w, const uint8_t* source, uint32_t top, uint32_t rowCount) {
    const TiffInfo& info = *w->info;
    uint32_t bytes = rowCount * w->layout.rowBytes;  // at most the band block
    // A failed strip's rows are blank: no ink, which light samples say with all bits set.
    const bool light = w->layout.format == RowFormat::kLight;
    std::memset(w->pixels.get(), source == nullptr && light ? 0xFF : 0, bytes);
    if (source != nullptr) ConvertRows(info, source, rowCount, w->pixels.get(), w->layout.rowBytes);
    if (w->sink == nullptr) return kOk;
    RowBand band;
    band.format = w->layout.format;
    band.bitsPerPixel = w->layout.depth;
    band.width = info.width;
    band.height = info.height;
    band.top = top;
    band.rows = rowCount;
    band.rowBytes = w->layout.rowBytes;
    band.pixels = w->pixels.get();
    band.capacity = bytes;
    band.colours = w->paletteSize ? w->palette : nullptr;
    band.colourCount = w->paletteSize;
    Status drawn = w->sink->TakeRows(band);
    if (drawn != kOk && w->sinkStatus == kOk) w->sinkStatus = drawn;
    return kOk;
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
        std::memset(w->samples.get(), 0, want);
        if (take != 0) stored.CopyTo(static_cast<uint32_t>(from), take, w->samples.get());
        if (info.predictor) UndoDifferencing(w->samples.get(), info.sourceRowBytes, n, info.samplesPerPixel);
        status = WriteBand(w, w->samples.get(), top + done, n);
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

    BlockPtr source;
    Status status = AllocBlock(static_cast<uint32_t>(sourceBytes), &source);
    if (status != kOk) return status;
    status =
        UnpackStrip(info, strip, stored, &w->fax, source.get(), static_cast<uint32_t>(sourceBytes), rowCount);
    if (status == kOk) {
        if (info.predictor)
            UndoDifferencing(source.get(), info.sourceRowBytes, rowCount, info.samplesPerPixel);
        status = WriteDecodedRows(w, source.get(), top, rowCount);
    }
    return status;
}

// Every strip is drawn, a failed one as zero rows, but only when the last strip decodes: that strip
// is checked first, so that the bands can go to the sink as they come.
Status DrawStrips(BandWriter* w, RowSink* sink) {
    const uint32_t last = w->info->stripCount - 1;
    Status status = DecodeStrip(w, last);
    if (status != kOk || sink == nullptr) {
        // Without a sink, every strip is still decoded, as a caller checking a file expects; a
        // failed one would only have been drawn as zero rows.
        for (uint32_t strip = 0; status == kOk && strip < last; ++strip) (void)DecodeStrip(w, strip);
        return status;
    }
    w->sink = sink;
    for (uint32_t strip = 0; strip <= last && w->sinkStatus == kOk; ++strip) {
        uint32_t top = strip * w->info->rowsPerStrip;
        uint32_t rows =
            w->info->height - top < w->info->rowsPerStrip ? w->info->height - top : w->info->rowsPerStrip;
        // The sink's answer to the blank rows goes to sinkStatus, which ends the loop.
        if (DecodeStrip(w, strip) != kOk && w->sinkStatus == kOk)
            (void)WriteDecodedRows(w, nullptr, top, rows);
    }
    return w->sinkStatus;
}

// Reads length bytes from base on and decodes them as a TIFF file. A failed decode hands nothing
// over, so a second try with more of the file draws nothing twice.
Status DecodeSection(FileReader* r, uint64_t base, uint32_t length, RowSink* sink) {
    if (length > kMaxTiffSectionBytes) return kErrMemory;
    BlockPtr section;
    Status status = AllocBlock(length, &section);
    if (status == kOk) status = ReaderSeek(base, &r->cursor, r);
    if (status == kOk) status = ReaderRead(&r->cursor, r, section.get(), length);
    if (status == kOk) status = DecodeTiffImage(section.get(), length, sink);
    return status;
}

}  // namespace

Status DecodeTiffImage(const uint8_t* data, uint32_t size, RowSink* sink) {
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
    return status;
}

Status DecodeTiffPreview(EpsReader* eps, uint32_t tiffLength, RowSink* sink) {
    FileReader* r = &eps->reader;
    const uint64_t base = ReaderTell(r->cursor, r);
    if (tiffLength == 0 || base >= r->fileSize) return kErrFormat;
    const uint64_t rest = r->fileSize - base;
    const uint32_t length = tiffLength < rest ? tiffLength : static_cast<uint32_t>(rest);
    Status status = DecodeSection(r, base, length, sink);
    // Writers get the length field a little wrong now and then. A short one may leave the directory
    // or strips outside the section but inside the file: they count as long as they lie there.
    if (status == kErrFormat && rest > length) {
        const uint64_t all = rest < kMaxTiffSectionBytes ? rest : kMaxTiffSectionBytes;
        if (all > length) status = DecodeSection(r, base, static_cast<uint32_t>(all), sink);
    }
    return status;
}

Status DecodeDosEpsTiffPreview(EpsReader* eps, RowSink* sink) {
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
