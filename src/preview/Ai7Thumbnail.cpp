#include "preview/Ai7Thumbnail.h"

#include <cstring>
#include <utility>

#include "base/Block.h"
#include "base/PString.h"
#include "base/TextBuffer.h"
#include "eps/CommentParser.h"

namespace aldra {

namespace {

constexpr uint32_t kColourTableBytes = 3 * kPaletteSize;
constexpr uint8_t kMarker[] = {'R', 'L', 'E'};
constexpr uint32_t kMarkerBytes = sizeof kMarker;
constexpr uint32_t kPixelsStart = kColourTableBytes + kMarkerBytes;
constexpr uint8_t kRunEscape = 0xFD;
constexpr uint32_t kThumbnailDepth = 8;
// The first growth of the collected data: room for a small thumbnail at once.
constexpr uint32_t kFirstDataCapacity = 16384;

struct ThumbnailFacts {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
};

struct ThumbnailLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t stride = 0;
    uint32_t rasterBytes = 0;
};

// ---- The comments -----------------------------------------------------------------------------

bool IsComment(const uint8_t* line) {
    return PStrLength(line) > 0 && line[1] == '%';
}

// The thumbnail is one of the head comments: the first line of code ends the search.
Status FindThumbnailComment(EpsReader* eps, ThumbnailFacts* facts) {
    Status status = RewindToPostScript(eps);
    PString line;
    while (status == kOk) {
        status = ReadLine(eps, line);
        if (status != kOk) break;
        if (MatchKeyword(line, "%AI7_Thumbnail:")) {
            facts->width = ParseInteger(line);
            facts->height = ParseInteger(line);
            facts->bits = ParseInteger(line);
            return kOk;
        }
        if (!IsComment(line)) return kErrFormat;
    }
    return status;
}

Status ExpectBeginData(EpsReader* eps) {
    PString line;
    Status status = ReadLine(eps, line);
    if (status != kOk) return status;
    return MatchKeyword(line, "%%BeginData:") ? kOk : kErrFormat;
}

// ---- Collecting the data ----------------------------------------------------------------------

// The decoded bytes, grown by doubling (so a long block costs linear time) up to a limit (so a
// forged block costs no more memory than its picture could need); bytes past the limit are dropped.
struct CollectedData {
    BlockPtr bytes;
    uint32_t size = 0;
    uint32_t capacity = 0;
    uint32_t limit = 0;
};

Status GrowCollected(CollectedData* data, uint32_t needed) {
    uint64_t wanted = data->capacity == 0 ? kFirstDataCapacity : uint64_t{data->capacity} * 2;
    if (wanted < needed) wanted = needed;
    if (wanted > data->limit) wanted = data->limit;
    BlockPtr grown;
    if (AllocBlock(static_cast<uint32_t>(wanted), &grown) != kOk) return kErrMemory;
    if (data->size > 0) std::memcpy(grown.get(), data->bytes.get(), data->size);
    data->bytes = std::move(grown);
    data->capacity = static_cast<uint32_t>(wanted);
    return kOk;
}

Status AppendCollected(CollectedData* data, const uint8_t* bytes, uint32_t count) {
    uint32_t room = data->limit - data->size;
    if (count > room) count = room;
    if (count == 0) return kOk;
    if (count > data->capacity - data->size) {
        Status status = GrowCollected(data, data->size + count);
        if (status != kOk) return status;
    }
    std::memcpy(data->bytes.get() + data->size, bytes, count);
    data->size += count;
    return kOk;
}

// Every comment line up to the first line of code contributes its hexadecimal digits; a line with
// anything else in it ("%%EndData", a damaged line) contributes nothing.
Status CollectThumbnailData(EpsReader* eps, CollectedData* data) {
    BufferPtr lineBytes;
    if (NewBuffer(0, &lineBytes) != kOk) return kErrMemory;
    PString line;
    Status status = kOk;
    for (;;) {
        status = ReadLine(eps, line);
        if (status != kOk || !MatchKeyword(line, "%")) break;
        // A line holds at most 127 bytes, so the buffer never leaves its first granule; emptying it
        // cannot fail.
        (void)SetBufferSize(lineBytes.get(), 0);
        status = AppendHexLine(line, lineBytes.get());
        if (status == kOk)
            status = AppendCollected(data, BufferData(lineBytes.get()), GetBufferSize(lineBytes.get()));
        if (status != kOk) break;
    }
    return status;
}

// ---- The picture ------------------------------------------------------------------------------

bool PlanThumbnail(const ThumbnailFacts& facts, ThumbnailLayout* layout) {
    if (facts.width <= 0 || facts.height <= 0) return false;
    uint64_t stride = AlignedStride(kThumbnailDepth, static_cast<uint32_t>(facts.width));
    uint64_t bytes = stride * static_cast<uint64_t>(facts.height);
    if (bytes > kMaxAi7ThumbnailBytes) return false;
    layout->width = static_cast<uint32_t>(facts.width);
    layout->height = static_cast<uint32_t>(facts.height);
    layout->stride = static_cast<uint32_t>(stride);
    layout->rasterBytes = static_cast<uint32_t>(bytes);
    return true;
}

// No encoder needs more than two bytes a pixel (0xFD 0xFD); a picture that cannot be drawn needs
// no data at all.
uint32_t DataLimit(bool planned, const ThumbnailLayout& layout) {
    if (!planned) return 0;
    return kPixelsStart + static_cast<uint32_t>(2 * uint64_t{layout.width} * layout.height);
}

bool HasMarker(const CollectedData& data) {
    return data.size >= kPixelsStart &&
           std::memcmp(data.bytes.get() + kColourTableBytes, kMarker, kMarkerBytes) == 0;
}

uint32_t TakeColourTable(const CollectedData& data, ColourRef* colours) {
    uint32_t count = 0;
    for (uint32_t at = 0; count < kPaletteSize && data.size - at >= 3; at += 3) {
        colours[count++] = MakeColour(data.bytes[at], data.bytes[at + 1], data.bytes[at + 2]);
    }
    return count;
}

// The runs are decoded at width bytes a row into a block that has room for the aligned stride, so
// the sink can widen the rows in place.
Status HandOverThumbnail(const CollectedData& data, const ThumbnailLayout& layout, RowSink* sink) {
    if (!HasMarker(data)) return kErrFormat;
    BlockPtr pixels;
    if (AllocBlock(layout.rasterBytes, &pixels) != kOk) return kErrMemory;
    ColourRef colours[kPaletteSize];
    RowBand band;
    band.format = RowFormat::kIndexed;
    band.bitsPerPixel = kThumbnailDepth;
    band.width = layout.width;
    band.height = layout.height;
    band.rows = layout.height;
    band.rowBytes = layout.width;
    band.pixels = pixels.get();
    band.capacity = layout.rasterBytes;
    band.colours = colours;
    band.colourCount = TakeColourTable(data, colours);
    DecodeThumbnailRuns(data.bytes.get() + kPixelsStart, data.size - kPixelsStart, pixels.get(),
                        uint64_t{layout.width} * layout.height);
    return sink->TakeRows(band);
}

}  // namespace

uint64_t DecodeThumbnailRuns(const uint8_t* in, uint64_t inSize, uint8_t* out, uint64_t outSize) {
    uint64_t i = 0;
    uint64_t written = 0;
    while (written < outSize && i < inSize) {
        uint8_t byte = in[i++];
        if (byte != kRunEscape) {
            out[written++] = byte;
            continue;
        }
        if (i >= inSize) break;
        uint8_t count = in[i++];
        if (count == kRunEscape) {
            out[written++] = kRunEscape;
            continue;
        }
        if (i >= inSize) break;
        uint8_t value = in[i++];
        uint64_t run = count < outSize - written ? count : outSize - written;
        std::memset(out + written, value, run);
        written += run;
    }
    return written;
}

Status DecodeAi7Thumbnail(EpsReader* eps, RowSink* sink) {
    ThumbnailFacts facts;
    Status status = FindThumbnailComment(eps, &facts);
    if (status == kOk) status = ExpectBeginData(eps);
    if (status != kOk) return status;
    ThumbnailLayout layout;
    bool planned = PlanThumbnail(facts, &layout);
    CollectedData data;
    data.limit = DataLimit(planned, layout);
    status = CollectThumbnailData(eps, &data);
    if (status == kOk) {
        bool drawable = planned && facts.bits == static_cast<int32_t>(kThumbnailDepth);
        status = drawable ? HandOverThumbnail(data, layout, sink) : kErrFormat;
    }
    return status;
}

}  // namespace aldra
