#include "preview/TiffDirectory.h"

namespace aldra {

namespace {

enum : uint16_t {
    kTagImageWidth = 256,
    kTagImageLength = 257,
    kTagBitsPerSample = 258,
    kTagCompression = 259,
    kTagPhotometric = 262,
    kTagStripOffsets = 273,
    kTagSamplesPerPixel = 277,
    kTagRowsPerStrip = 278,
    kTagStripByteCounts = 279,
    kTagPlanarConfiguration = 284,
    kTagPredictor = 317,
    kTagColorMap = 320,
    kTagTileWidth = 322,
    kTagTileOffsets = 324,
    kTagTileByteCounts = 325,
    kTagExtraSamples = 338,
};

enum : uint16_t { kTypeShort = 3, kTypeLong = 4 };

constexpr uint32_t kEntryBytes = 12;

uint32_t ElementSize(uint16_t type) {
    switch (type) {
        case 1:  // BYTE
        case 2:  // ASCII
        case 6:  // SBYTE
            return 1;
        case 3:  // SHORT
        case 8:  // SSHORT
            return 2;
        case 4:   // LONG
        case 9:   // SLONG
        case 11:  // FLOAT
            return 4;
        default:
            return 0;
    }
}

struct Entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    BoundedBytes value;  // count elements, in the entry or wherever its offset points
};

// 2020 when the value lies (partly) outside the section.
Status ReadEntry(const BoundedBytes& section, uint32_t at, Entry* entry) {
    uint32_t count = 0;
    if (!section.Get16(at, &entry->tag) || !section.Get16(at + 2, &entry->type) ||
        !section.Get32(at + 4, &count)) {
        return kErrFormat;
    }
    entry->count = count;
    uint64_t size = static_cast<uint64_t>(count) * ElementSize(entry->type);
    if (size > section.size()) return kErrFormat;
    auto bytes = static_cast<uint32_t>(size);
    if (bytes <= 4) return section.Sub(at + 8, bytes, &entry->value) ? kOk : kErrFormat;
    uint32_t offset = 0;
    if (!section.Get32(at + 8, &offset) || !section.Sub(offset, bytes, &entry->value)) return kErrFormat;
    return kOk;
}

bool IsShortOrLong(const Entry& e) {
    return e.type == kTypeShort || e.type == kTypeLong;
}

TiffList ListOf(const Entry& e) {
    return TiffList{e.value, e.count, e.type == kTypeShort ? 2u : 4u};
}

// The single SHORT or LONG value of an entry whose type and count allow it.
bool SingleValue(const Entry& e, bool shortOnly, uint32_t* value) {
    if (e.count != 1 || !(e.type == kTypeShort || (!shortOnly && e.type == kTypeLong))) return false;
    return ListOf(e).At(0, value);
}

bool SampleBitsSupported(uint32_t bits) {
    return bits == 1 || bits == 2 || bits == 4 || bits == 8;
}

// Red, green and blue runs of 2^bits SHORT values each; only the high byte of each is kept.
void TakeColourMap(const Entry& e, TiffInfo* info) {
    uint32_t entries = 1u << info->bitsPerSample;
    if (e.type != kTypeShort || e.count != 3 * entries) return;
    TiffList map = ListOf(e);
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t red = 0, green = 0, blue = 0;
        if (!map.At(i, &red) || !map.At(entries + i, &green) || !map.At(2 * entries + i, &blue)) return;
        info->colourMap[i] = MakeColour(static_cast<uint8_t>(red >> 8), static_cast<uint8_t>(green >> 8),
                                        static_cast<uint8_t>(blue >> 8));
    }
    info->hasColourMap = true;
}

bool IsUsedTag(uint16_t tag) {
    switch (tag) {
        case kTagImageWidth:
        case kTagImageLength:
        case kTagBitsPerSample:
        case kTagCompression:
        case kTagPhotometric:
        case kTagStripOffsets:
        case kTagSamplesPerPixel:
        case kTagRowsPerStrip:
        case kTagStripByteCounts:
        case kTagPlanarConfiguration:
        case kTagPredictor:
        case kTagColorMap:
        case kTagTileWidth:
        case kTagTileOffsets:
        case kTagTileByteCounts:
        case kTagExtraSamples:
            return true;
        default:
            return false;
    }
}

Status TakeEntry(const Entry& e, TiffInfo* info) {
    uint32_t v = 0;
    switch (e.tag) {
        case kTagImageWidth:
            return SingleValue(e, false, &info->width) ? kOk : kErrFormat;
        case kTagImageLength:
            return SingleValue(e, false, &info->height) ? kOk : kErrFormat;
        case kTagBitsPerSample: {
            if (!IsShortOrLong(e) || e.count < 1 || e.count > 4) return kErrFormat;
            TiffList bits = ListOf(e);
            if (!bits.At(0, &v) || !SampleBitsSupported(v)) return kErrFormat;
            // Samples of different sizes cannot share one row layout.
            for (uint32_t i = 1; i < e.count; ++i) {
                uint32_t other = 0;
                if (!bits.At(i, &other) || other != v) return kErrFormat;
            }
            info->bitsPerSample = v;
            return kOk;
        }
        case kTagCompression:
            if (!SingleValue(e, false, &v)) return kErrFormat;
            if (v != kTiffNoCompression && v != kTiffLzw && v != kTiffPackBits && v != kTiffDeflate &&
                v != kTiffOldDeflate && !IsFaxCompression(v))
                return kErrFormat;
            info->compression = v;
            return kOk;
        case kTagPhotometric:
            if (!SingleValue(e, true, &v)) return kErrFormat;
            if (v > kTiffPalette && v != kTiffSeparated) return kErrFormat;
            info->photometric = v;
            return kOk;
        case kTagStripOffsets:
            if (!IsShortOrLong(e)) return kErrFormat;
            info->stripOffsets = ListOf(e);
            return kOk;
        case kTagStripByteCounts:
            if (!IsShortOrLong(e)) return kErrFormat;
            info->stripByteCounts = ListOf(e);
            return kOk;
        case kTagSamplesPerPixel:
            if (!SingleValue(e, true, &v) || v < 1 || v > 4) return kErrFormat;
            info->samplesPerPixel = v;
            return kOk;
        case kTagRowsPerStrip:
            return SingleValue(e, false, &info->rowsPerStrip) ? kOk : kErrFormat;
        case kTagPlanarConfiguration:
            if (!SingleValue(e, true, &v) || (v != 1 && v != 2)) return kErrFormat;
            info->planarSeparate = v == 2;
            return kOk;
        case kTagPredictor:
            if (!SingleValue(e, true, &v) || (v != 1 && v != 2)) return kErrFormat;
            info->predictor = v == 2;
            return kOk;
        case kTagColorMap:
            TakeColourMap(e, info);
            return kOk;
        case kTagTileWidth:
        case kTagTileOffsets:
        case kTagTileByteCounts:
            // Tiles are not strips: read as strips they would scramble the picture.
            return kErrFormat;
        case kTagExtraSamples:
            if (e.type == kTypeShort && e.count >= 1 && ListOf(e).At(0, &v)) {
                info->extraSample = v == 1   ? TiffExtraSample::kAssociatedAlpha
                                    : v == 2 ? TiffExtraSample::kUnassociatedAlpha
                                             : TiffExtraSample::kUnspecified;
            }
            return kOk;
        default:
            return kOk;
    }
}

// Whether the decoder can turn the sample layout into a raster.
bool LayoutSupported(const TiffInfo& info) {
    switch (info.photometric) {
        case kTiffRgb:
            return info.bitsPerSample == 8 && info.samplesPerPixel >= 3;
        case kTiffSeparated:
            return info.bitsPerSample == 8 && info.samplesPerPixel == 4;
        default:
            return true;
    }
}

Status CheckDirectory(TiffInfo* info) {
    if (info->width == 0 || info->height == 0) return kErrFormat;
    if (!LayoutSupported(*info)) return kErrFormat;
    if (IsFaxCompression(info->compression) && (info->bitsPerSample != 1 || info->samplesPerPixel != 1))
        return kErrFormat;
    // With one sample per pixel both configurations store the same bytes.
    if (info->planarSeparate && info->samplesPerPixel > 1) return kErrFormat;
    if (info->predictor && info->bitsPerSample != 8) return kErrFormat;

    uint64_t rowBits = static_cast<uint64_t>(info->bitsPerSample) * info->samplesPerPixel * info->width;
    // Sample positions are bit offsets into a row, which must stay within 32 bits.
    if (rowBits > UINT32_MAX) return kErrFormat;
    info->sourceRowBytes = static_cast<uint32_t>((rowBits + 7) >> 3);

    if (info->rowsPerStrip == 0 || info->rowsPerStrip > info->height) info->rowsPerStrip = info->height;
    info->stripCount = info->height / info->rowsPerStrip + (info->height % info->rowsPerStrip != 0 ? 1 : 0);
    if (info->stripOffsets.count < info->stripCount) return kErrFormat;
    info->byteCountMadeUp = false;
    if (info->stripByteCounts.count < info->stripCount) {
        if (info->stripCount != 1) return kErrFormat;
        info->byteCountMadeUp = true;
        if (info->compression == kTiffNoCompression) {
            uint64_t bytes = static_cast<uint64_t>(info->sourceRowBytes) * info->height;
            info->madeUpByteCount = bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
        } else {
            // The strip runs to the end of the section.
            uint32_t offset = 0;
            info->stripOffsets.At(0, &offset);
            info->madeUpByteCount = offset < info->section.size() ? info->section.size() - offset : 0;
        }
    }
    return kOk;
}

}  // namespace

bool TiffList::At(uint32_t index, uint32_t* value) const {
    if (index >= count) return false;
    if (elementSize == 2) {
        uint16_t v = 0;
        if (index > UINT32_MAX / 2 || !bytes.Get16(index * 2, &v)) return false;
        *value = v;
        return true;
    }
    return index <= UINT32_MAX / 4 && bytes.Get32(index * 4, value);
}

bool TiffStripByteCount(const TiffInfo& info, uint32_t strip, uint32_t* count) {
    if (info.byteCountMadeUp) {
        *count = info.madeUpByteCount;
        return strip == 0;
    }
    return info.stripByteCounts.At(strip, count);
}

Status ReadTiffDirectory(const BoundedBytes& section, TiffInfo* info) {
    *info = TiffInfo{};
    info->section = section;
    uint8_t order[2] = {0, 0};
    if (!section.Get8(0, &order[0]) || !section.Get8(1, &order[1])) return kErrFormat;
    if (order[0] == 'M' && order[1] == 'M') {
        info->section.SetBigEndian(true);
    } else if (order[0] == 'I' && order[1] == 'I') {
        info->section.SetBigEndian(false);
    } else {
        return kErrFormat;
    }
    const BoundedBytes& s = info->section;
    uint16_t magic = 0;
    uint32_t directory = 0;
    if (!s.Get16(2, &magic) || magic != 42 || !s.Get32(4, &directory)) return kErrFormat;

    uint16_t entries = 0;
    if (!s.Get16(directory, &entries)) return kErrFormat;
    if (!s.Has(directory + 2u, static_cast<uint32_t>(entries) * kEntryBytes)) return kErrFormat;
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t at = directory + 2 + i * kEntryBytes;
        uint16_t tag = 0;
        s.Get16(at, &tag);
        // Tags the decoder does not use (private ones included) may hold anything and point anywhere.
        if (!IsUsedTag(tag)) continue;
        Entry entry;
        Status status = ReadEntry(s, at, &entry);
        if (status == kOk) {
            status = TakeEntry(entry, info);
        } else if (tag == kTagColorMap || tag == kTagExtraSamples) {
            status = kOk;  // out of reach, these are ignored like malformed ones
        }
        if (status != kOk) return status;
    }
    return CheckDirectory(info);
}

}  // namespace aldra
