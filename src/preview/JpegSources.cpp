// The chain sources that hold a JPEG stream in memory: the Photoshop thumbnail (resource 1033, or
// the IPTC data set 4:100, and, after both chains, resource 1036) and the Storm PicturePress
// binary block.
#include <utility>

#include "base/Block.h"
#include "base/PString.h"
#include "base/TextBuffer.h"
#include "eps/CommentParser.h"
#include "eps/DosEpsHeader.h"
#include "eps/Photoshop.h"
#include "preview/JpegDecoder.h"
#include "preview/PhotoshopRgbThumbnail.h"
#include "preview/PreviewSources.h"
#include "preview/TargetSink.h"

namespace aldra {

namespace {

constexpr uint16_t kThumbnailResource = 1033;
// Photoshop 5 and later write their thumbnail here, in red, green, blue order, and 1033 no more.
constexpr uint16_t kRgbThumbnailResource = 1036;
// Format, width, height, row bytes, sizes, depth and planes in front of the JPEG data.
constexpr uint32_t kThumbnailHeaderBytes = 28;
constexpr uint8_t kIptcThumbnailRecord = 4;
constexpr uint8_t kIptcThumbnailDataSet = 100;
// More digits than any file's size could need; a longer count is refused, not wrapped.
constexpr uint64_t kLargestByteCount = uint64_t{1} << 40;

// ---- Photoshop thumbnail --------------------------------------------------------------------

// Resource 1033 holds its pixels blue, green, red.
class BlueGreenRedSink final : public RowSink {
  public:
    explicit BlueGreenRedSink(RowSink* next) : next_(next) {}
    Status TakeRows(const RowBand& band) override {
        RowBand relabelled = band;
        if (band.format == RowFormat::kRgb) relabelled.format = RowFormat::kBgr;
        return next_->TakeRows(relabelled);
    }

  private:
    RowSink* next_;
};

// Once resource 1033 is there, it is the thumbnail, good or bad; the IPTC copy is for files
// without one.
Status DrawThumbnailFromResources(const uint8_t* block, uint32_t size, RowSink* sink) {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    if (FindImageResource(block, size, kThumbnailResource, &data, &length) == kOk) {
        if (length <= kThumbnailHeaderBytes) return kErrFormat;
        BlueGreenRedSink swapped(sink);
        return DecodeJpeg(data + kThumbnailHeaderBytes, length - kThumbnailHeaderBytes, &swapped);
    }
    const uint8_t* record = nullptr;
    uint32_t recordSize = 0;
    if (FindImageResource(block, size, kIptcResource, &record, &recordSize) != kOk) return kErrFormat;
    if (FindIptcDataSet(record, recordSize, kIptcThumbnailRecord, kIptcThumbnailDataSet, &data, &length) !=
        kOk)
        return kErrFormat;
    return DecodeJpeg(data, length, sink);
}

Status DrawRgbThumbnailFromResources(const uint8_t* block, uint32_t size, RowSink* sink) {
    const uint8_t* data = nullptr;
    uint32_t length = 0;
    Status status = FindImageResource(block, size, kRgbThumbnailResource, &data, &length);
    if (status != kOk) return status;
    if (length <= kThumbnailHeaderBytes) return kErrFormat;
    return DecodeJpeg(data + kThumbnailHeaderBytes, length - kThumbnailHeaderBytes, sink);
}

// ---- Storm PicturePress ---------------------------------------------------------------------

// Where the PostScript text ends: a DOS EPS file's previews behind it may run to gigabytes that no
// comment search has any business reading.
uint64_t PostScriptEnd(EpsReader* eps) {
    DosEpsHeader header;
    if (ReadDosEpsHeader(eps, &header) != kOk || header.postScriptOffset == 0) return EpsFileSize(eps);
    return uint64_t{header.postScriptOffset} + header.postScriptLength;
}

// The creator comment has to name Storm PicturePress, and it has to come before the setup ends.
Status FindStormCreator(EpsReader* eps, uint64_t end, uint8_t* line) {
    Status status = RewindToPostScript(eps);
    while (status == kOk) {
        if (EpsTell(eps) >= end) return kErrEof;
        status = ReadLine(eps, line);
        if (status != kOk) break;
        if (MatchKeyword(line, "%%Creator:")) {
            SkipBlanks(line);
            return MatchKeyword(line, "Storm PicturePress") ? kOk : kErrFormat;
        }
        if (MatchKeyword(line, "%%EndSetup")) return kErrFormat;
    }
    return status;
}

// Decimal digits after the keyword; false for none, for 0 and for counts no file could hold.
bool ParseByteCount(uint8_t* line, uint64_t* count) {
    SkipBlanks(line);
    uint64_t value = 0;
    int i = 1;
    while (i <= line[0] && line[i] >= '0' && line[i] <= '9') {
        value = value * 10 + static_cast<uint64_t>(line[i] - '0');
        if (value > kLargestByteCount) return false;
        ++i;
    }
    *count = value;
    return i > 1 && value > 0;
}

// Leaves the reader at the first byte behind the "%%BeginBinary:" line.
Status FindBinaryCount(EpsReader* eps, uint64_t end, uint8_t* line, uint64_t* count) {
    Status status = kOk;
    while (status == kOk) {
        if (EpsTell(eps) >= end) return kErrEof;
        status = ReadLine(eps, line);
        if (status != kOk) break;
        if (MatchKeyword(line, "%%BeginBinary:")) return ParseByteCount(line, count) ? kOk : kErrFormat;
    }
    return status;
}

// Exactly count bytes from the read position; a count beyond the end of the file is refused before
// anything is allocated for it.
Status ReadBinaryBlock(EpsReader* eps, uint64_t count, BlockPtr* block) {
    block->reset();
    uint64_t position = EpsTell(eps);
    uint64_t size = EpsFileSize(eps);
    if (position > size || count > size - position || count > UINT32_MAX) return kErrFormat;
    BlockPtr bytes;
    Status status = AllocBlock(static_cast<uint32_t>(count), &bytes);
    if (status != kOk) return status;
    uint64_t got = 0;
    status = EpsReadBytes(eps, bytes.get(), count, &got);
    if (status == kOk && got != count) status = kErrFormat;
    if (status != kOk) return status;
    *block = std::move(bytes);
    return kOk;
}

}  // namespace

Status DrawPhotoshopThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    BufferPtr resources;
    Status status = ReadPhotoshopData(eps, &resources);
    if (status != kOk) return status;
    LockBuffer(resources.get(), true);
    TargetSink sink(target, destination);
    return DrawThumbnailFromResources(BufferData(resources.get()), GetBufferSize(resources.get()), &sink);
}

Status DecodePhotoshopRgbThumbnail(EpsReader* eps, RowSink* sink) {
    BufferPtr resources;
    Status status = ReadPhotoshopData(eps, &resources);
    if (status != kOk) return status;
    LockBuffer(resources.get(), true);
    return DrawRgbThumbnailFromResources(BufferData(resources.get()), GetBufferSize(resources.get()), sink);
}

Status DrawPhotoshopRgbThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodePhotoshopRgbThumbnail(eps, &sink);
}

Status DrawStormPicture(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    PString line;
    const uint64_t end = PostScriptEnd(eps);
    Status status = FindStormCreator(eps, end, line);
    uint64_t count = 0;
    if (status == kOk) status = FindBinaryCount(eps, end, line, &count);
    BlockPtr block;
    if (status == kOk) status = ReadBinaryBlock(eps, count, &block);
    if (status != kOk) return status;
    TargetSink sink(target, destination);
    return DecodeJpeg(block.get(), static_cast<size_t>(count), &sink);
}

}  // namespace aldra
