#include "preview/ImageData.h"

#include "base/Block.h"
#include "base/HexDigits.h"
#include "base/PString.h"
#include "eps/CommentParser.h"
#include "preview/Ascii85Stream.h"
#include "preview/JpegDecoder.h"

namespace aldra {

namespace {

constexpr int32_t kBinarySamples = 1;
constexpr int32_t kHexSamples = 2;
constexpr int32_t kJpegAscii85 = 3;
constexpr int32_t kJpegAscii85Alternative = 4;
constexpr int32_t kAscii85Samples = 7;

constexpr int32_t kModeGrey = 1;  // also 1-bit bitmaps
constexpr int32_t kModeLab = 2;
constexpr int32_t kModeRgb = 3;
constexpr int32_t kModeCmyk = 4;

// The comment belongs to the file's head; past this many lines of code the file has none.
constexpr uint32_t kMostCodeLinesBeforeComment = 20;
// Binary samples are taken for hexadecimal text when the bytes of their first two rows (as text,
// twice as many), but no more than this, are all digits and blanks.
constexpr uint64_t kMostHexTextLooked = 64 * 1024;

struct ImageDataParams {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits = 0;
    int32_t mode = 0;
    int32_t pad = 0;
    int32_t blockSize = 0;
    int32_t type = 0;
    PString startWord = {};
};

// Everything the row loop needs, checked and in the sizes the blocks have.
struct RowLayout {
    int32_t mode = 0;
    int32_t type = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 0;
    uint32_t step = 0;       // byte distance between two pixels' first channel
    uint32_t planeStep = 0;  // byte distance between two channels of a pixel
    uint32_t sourceBytes = 0;
    uint32_t depth = 0;
    uint32_t rasterBytes = 0;
};

// ---- The comment and the start of the data ------------------------------------------------------

void ParseImageDataComment(uint8_t* line, ImageDataParams* params) {
    params->width = ParseInteger(line);
    params->height = ParseInteger(line);
    params->bits = ParseInteger(line);
    params->mode = ParseInteger(line);
    params->pad = ParseInteger(line);
    params->blockSize = ParseInteger(line);
    params->type = ParseInteger(line);
    ParseToken(line, params->startWord);
}

bool IsComment(const uint8_t* line) {
    return PStrLength(line) > 0 && line[1] == '%';
}

bool IsStartWord(const uint8_t* line, const uint8_t* startWord) {
    return PStrView(line) == PStrView(startWord);
}

// Where a line lies in the file: from its first byte to behind its line end.
struct LineSpan {
    uint64_t start = 0;
    uint64_t end = 0;
    uint32_t textBytes = 0;
};

// What the search found besides the parameters: the start word's line, the line before it, and a
// "%%BeginBinary:" count when that comment came right before the start word.
struct DataStart {
    LineSpan startLine;
    LineSpan before;
    bool hasBinaryCount = false;
    uint64_t binaryCount = 0;  // bytes from the start word's line on
};

// Leaves the reader on the first byte behind the start word's line as the line reader takes it.
// The last comment before the start word is the one that describes the data.
Status FindImageDataStart(EpsReader* eps, ImageDataParams* params, DataStart* start) {
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    bool found = false;
    uint32_t codeLines = 0;
    PString line;
    LineSpan previous;
    for (;;) {
        LineSpan span;
        span.start = EpsTell(eps);
        status = ReadLine(eps, line);
        if (status != kOk) return status;
        span.end = EpsTell(eps);
        span.textBytes = PStrLength(line);
        bool countsBinary = false;
        if (MatchKeyword(line, "%ImageData:")) {
            ParseImageDataComment(line, params);
            found = true;
        } else if (MatchKeyword(line, "%%BeginBinary:")) {
            int32_t count = ParseInteger(line);
            countsBinary = count > 0;
            start->binaryCount = count > 0 ? static_cast<uint64_t>(count) : 0;
        } else if (IsComment(line)) {
        } else if (!found) {
            if (++codeLines > kMostCodeLinesBeforeComment) return kErrFormat;
        } else if (IsStartWord(line, params->startWord)) {
            start->startLine = span;
            start->before = previous;
            return kOk;
        }
        start->hasBinaryCount = countsBinary;
        previous = span;
    }
}

uint32_t EndBytes(const LineSpan& line) {
    return static_cast<uint32_t>(line.end - line.start - line.textBytes);
}

// Whether the line before the start word's ended with the same two bytes: then the file ends its
// lines that way.
Status EndsLikeLineBefore(EpsReader* eps, const DataStart& start, bool* same) {
    *same = false;
    if (EndBytes(start.before) != 2) return kOk;
    uint8_t ending[2] = {};
    uint8_t before[2] = {};
    uint64_t got = 0;
    Status status = EpsSeek(eps, start.startLine.start + start.startLine.textBytes);
    if (status == kOk) status = EpsReadBytes(eps, ending, 2, &got);
    if (status == kOk) status = EpsSeek(eps, start.before.start + start.before.textBytes);
    if (status == kOk) status = EpsReadBytes(eps, before, 2, &got);
    *same = status == kOk && ending[0] == before[0] && ending[1] == before[1];
    return status;
}

// The line reader takes CR LF and LF CR as one line end, but binary samples may begin right behind
// a lone CR or LF with the other character. The announced counts decide: a "%%BeginBinary:" count
// covers the start word's line, its line end and the data. Without one that fits, the line before
// tells how the file ends its lines.
Status SeekBinaryData(EpsReader* eps, const DataStart& start, uint64_t dataBytes) {
    const LineSpan& line = start.startLine;
    if (EndBytes(line) != 2) return kOk;
    const uint64_t loneEnd = line.start + line.textBytes + 1;
    if (start.hasBinaryCount && start.binaryCount == loneEnd - line.start + dataBytes)
        return EpsSeek(eps, loneEnd);
    if (start.hasBinaryCount && start.binaryCount == line.end - line.start + dataBytes)
        return EpsSeek(eps, line.end);
    bool pairEndsLines = false;
    Status status = EndsLikeLineBefore(eps, start, &pairEndsLines);
    if (status != kOk) return status;
    return EpsSeek(eps, pairEndsLines ? line.end : loneEnd);
}

// ---- Parameters -------------------------------------------------------------------------------

uint32_t ChannelsOfMode(int32_t mode) {
    return mode == kModeGrey ? 1 : mode == kModeCmyk ? 4 : 3;
}

bool ParamsAreReadable(const ImageDataParams& p) {
    if (p.mode < kModeGrey || p.mode > kModeCmyk) return false;
    bool bitsFit = p.mode == kModeGrey ? (p.bits == 1 || p.bits == 8) : p.bits == 8;
    if (!bitsFit) return false;
    return p.type == kBinarySamples || p.type == kHexSamples || p.type == kAscii85Samples;
}

// Bytes of one source row: each of the channels and pad channels holds (width x bits + 7) / 8
// bytes. Pad may be negative in a damaged file; a row of no bytes, or of more than the cap, is
// refused.
bool SourceRowBytes(const ImageDataParams& p, uint32_t* bytes) {
    int64_t planeBytes = (static_cast<int64_t>(p.width) * p.bits + 7) >> 3;
    int64_t planes = static_cast<int64_t>(ChannelsOfMode(p.mode)) + p.pad;
    int64_t total = 0;
    if (planeBytes <= 0 || planes <= 0 || __builtin_mul_overflow(planeBytes, planes, &total)) return false;
    if (static_cast<uint64_t>(total) > kMaxImageDataRowBytes) return false;
    *bytes = static_cast<uint32_t>(total);
    return true;
}

// Every sample the conversion reads, p x step + c x planeStep for every pixel p and channel c,
// has to lie inside the source row: a block size that puts the planes past the row's end does not
// describe this row.
bool SamplesLieInsideRow(const RowLayout& layout) {
    uint64_t highest = static_cast<uint64_t>(layout.width - 1) * layout.step +
                       static_cast<uint64_t>(layout.channels - 1) * layout.planeStep;
    return highest < layout.sourceBytes;
}

Status PlanRows(const ImageDataParams& p, RowLayout* layout) {
    if (!ParamsAreReadable(p) || p.width <= 0 || p.height <= 0) return kErrFormat;
    layout->mode = p.mode;
    layout->type = p.type;
    layout->width = static_cast<uint32_t>(p.width);
    layout->height = static_cast<uint32_t>(p.height);
    layout->channels = ChannelsOfMode(p.mode);
    layout->depth = p.mode == kModeGrey ? static_cast<uint32_t>(p.bits) : p.mode == kModeCmyk ? 32 : 24;
    // A source row that passes its cap leaves no room for the stride to wrap.
    if (!SourceRowBytes(p, &layout->sourceBytes)) return kErrFormat;
    layout->rasterBytes = AlignedStride(layout->depth, layout->width);
    if (layout->rasterBytes > kMaxImageDataRowBytes) return kErrFormat;
    if (layout->mode == kModeGrey) return kOk;
    // Interleaved pixels carry their pad channels with them; planes lie blockSize bytes apart, and
    // planes before the row's start describe no row. SourceRowBytes has made sure that channels +
    // pad is positive and small.
    if (p.blockSize < 0) return kErrFormat;
    bool interleaved = p.blockSize == 1;
    layout->step = interleaved ? static_cast<uint32_t>(static_cast<int64_t>(layout->channels) + p.pad) : 1;
    layout->planeStep = interleaved ? 1 : static_cast<uint32_t>(p.blockSize);
    return SamplesLieInsideRow(*layout) ? kOk : kErrFormat;
}

// ---- Reading a row ----------------------------------------------------------------------------

Status ReadBinaryRow(EpsReader* eps, uint8_t* row, uint32_t size) {
    uint64_t got = 0;
    Status status = EpsReadBytes(eps, row, size, &got);
    if (status != kOk) return status;
    return got == size ? kOk : kErrEof;
}

// Decodes the digits at the front of `span` into the row from *filled on, and returns how many
// bytes of the span it took: all of them, or those up to the digit that filled the row. *high
// carries a digit whose partner lies in the next span. Line ends, blanks and anything else between
// the digits are layout, not data.
uint32_t DecodeHexSpan(const uint8_t* span, uint32_t count, uint8_t* row, uint32_t size, uint32_t* filled,
                       int* high) {
    uint32_t i = 0;
    while (i < count && *filled < size) {
        // Digit by digit: up to the byte that stopped the last run (a line end, a blank) and past
        // it, and always while half a pair is open or too little is left for a run.
        uint32_t scalarEnd = i + 1;
        if (*high < 0 && count - i >= kHexRun && size - *filled >= kHexRun / 2) {
            uint32_t run = DecodeSixteenHexDigits(span + i, row + *filled);
            if (run == kHexRun) {
                i += kHexRun;
                *filled += kHexRun / 2;
                continue;
            }
            scalarEnd = i + run + 1;
        }
        while (i < count && *filled < size && (i < scalarEnd || *high >= 0)) {
            int digit = HexDigitValue(span[i++]);
            if (digit < 0) continue;
            if (*high < 0) {
                *high = digit;
            } else {
                row[(*filled)++] = static_cast<uint8_t>(*high << 4 | digit);
                *high = -1;
            }
        }
    }
    return i;
}

// Hexadecimal rows are decoded straight from the reader's window, a buffered span at a time.
Status ReadHexRow(EpsReader* eps, uint8_t* row, uint32_t size) {
    uint32_t filled = 0;
    int high = -1;
    while (filled < size) {
        const uint8_t* span = nullptr;
        uint32_t count = 0;
        Status status = EpsBufferedBytes(eps, &span, &count);
        if (status != kOk) return status;
        EpsSkipBuffered(eps, DecodeHexSpan(span, count, row, size, &filled, &high));
    }
    return kOk;
}

Status ReadSourceRow(EpsReader* eps, const RowLayout& layout, Ascii85Stream* ascii85, uint8_t* row) {
    if (layout.type == kBinarySamples) return ReadBinaryRow(eps, row, layout.sourceBytes);
    if (layout.type == kAscii85Samples) return ReadAscii85Bytes(ascii85, row, layout.sourceBytes);
    return ReadHexRow(eps, row, layout.sourceBytes);
}

bool IsHexTextByte(uint8_t c) {
    return HexDigitValue(c) >= 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Whether the bytes from the read position on, as many as the first two rows would take as text,
// are all digits and blanks, and mostly digits: rows of a binary picture that happen to be all
// blanks stay binary. The reader is left where it was.
Status LooksLikeHexText(EpsReader* eps, const RowLayout& layout, bool* hex) {
    const uint64_t start = EpsTell(eps);
    uint64_t left = uint64_t{layout.sourceBytes} * 4;
    if (left > kMostHexTextLooked) left = kMostHexTextLooked;
    uint64_t looked = 0;
    uint64_t digits = 0;
    *hex = true;
    while (left > 0 && *hex) {
        const uint8_t* span = nullptr;
        uint32_t count = 0;
        if (EpsBufferedBytes(eps, &span, &count) != kOk) break;  // the file ends: judge what was there
        if (count > left) count = static_cast<uint32_t>(left);
        for (uint32_t i = 0; i < count && *hex; ++i) {
            *hex = IsHexTextByte(span[i]);
            digits += HexDigitValue(span[i]) >= 0;
        }
        EpsSkipBuffered(eps, count);
        left -= count;
        looked += count;
    }
    *hex = *hex && looked > 0 && digits * 2 >= looked;
    return EpsSeek(eps, start);
}

// ---- Handing the rows over ----------------------------------------------------------------

RowFormat FormatOfMode(int32_t mode) {
    switch (mode) {
        case kModeLab:
            return RowFormat::kLab;
        case kModeRgb:
            return RowFormat::kRgb;
        case kModeCmyk:
            return RowFormat::kCmyk;
        default:
            return RowFormat::kLight;  // PostScript's grey and bitmap samples: 1 or 255 is white
    }
}

// Colour samples are gathered pixel by pixel, whether the channels lie together or in planes.
void GatherChannels(const RowLayout& layout, const uint8_t* source, uint8_t* raster) {
    for (uint32_t p = 0; p < layout.width; ++p) {
        const uint8_t* first = source + static_cast<size_t>(p) * layout.step;
        uint8_t* out = raster + static_cast<size_t>(p) * layout.channels;
        for (uint32_t c = 0; c < layout.channels; ++c)
            out[c] = first[static_cast<size_t>(c) * layout.planeStep];
    }
}

// Grey rows go over as they were read, so the source block has room for the aligned stride too;
// colour rows are gathered into a row of their own.
struct RowBlocks {
    BlockPtr source;
    BlockPtr raster;
    uint32_t sourceCapacity = 0;
};

Status AllocRowBlocks(const RowLayout& layout, RowBlocks* blocks) {
    const bool grey = layout.mode == kModeGrey;
    blocks->sourceCapacity =
        grey && layout.rasterBytes > layout.sourceBytes ? layout.rasterBytes : layout.sourceBytes;
    if (AllocBlock(blocks->sourceCapacity, &blocks->source) != kOk) return kErrMemory;
    if (!grey && AllocBlock(layout.rasterBytes, &blocks->raster) != kOk) return kErrMemory;
    return kOk;
}

// Every row is read, so that the next one starts in the right place. A row that cannot be read is
// not handed over, and the last row's status is the answer.
Status DecodeRows(EpsReader* eps, const RowLayout& layout, RowSink* sink) {
    RowBlocks blocks;
    Status status = AllocRowBlocks(layout, &blocks);
    if (status != kOk) return status;
    Ascii85Stream ascii85;
    StartAscii85Stream(eps, &ascii85);
    const bool grey = layout.mode == kModeGrey;
    RowBand band;
    band.format = FormatOfMode(layout.mode);
    band.bitsPerPixel = layout.depth;
    band.width = layout.width;
    band.height = layout.height;
    band.rows = 1;
    band.rowBytes = grey ? layout.sourceBytes : layout.rasterBytes;
    band.pixels = grey ? blocks.source.get() : blocks.raster.get();
    band.capacity = grey ? blocks.sourceCapacity : layout.rasterBytes;
    for (uint32_t y = 0; y < layout.height; ++y) {
        status = ReadSourceRow(eps, layout, &ascii85, blocks.source.get());
        // At the end of the file every later row fails the same way; the answer stays 2016. ASCII85
        // text that ends or breaks gives no further row either.
        if (status == kErrEof && AtEndOfFile(eps)) break;
        if (status != kOk && layout.type == kAscii85Samples) break;
        if (status != kOk) continue;
        if (!grey) GatherChannels(layout, blocks.source.get(), blocks.raster.get());
        band.top = y;
        status = sink->TakeRows(band);
        if (status != kOk) break;
    }
    return status;
}

// Binary samples that turn out to be hexadecimal text are read as such; real binary data may begin
// right behind a lone line end.
Status PlaceBinaryData(EpsReader* eps, const DataStart& start, RowLayout* layout) {
    bool hexText = false;
    Status status = LooksLikeHexText(eps, *layout, &hexText);
    if (status != kOk) return status;
    if (hexText) {
        layout->type = kHexSamples;
        return kOk;
    }
    return SeekBinaryData(eps, start, uint64_t{layout->sourceBytes} * layout->height);
}

// The encodings one call reads: the classic ones (binary samples, which may turn out to be
// hexadecimal text, hexadecimal samples, JPEG in ASCII85), or only the samples in ASCII85 text.
enum class ImageDataEncodings : uint8_t { kClassic, kAscii85Samples };

Status DecodeEncodings(EpsReader* eps, RowSink* sink, ImageDataEncodings encodings) {
    ImageDataParams params;
    DataStart start;
    Status status = FindImageDataStart(eps, &params, &start);
    if (status != kOk) return status;
    const bool ascii85Samples = params.type == kAscii85Samples;
    if (encodings == ImageDataEncodings::kAscii85Samples && !ascii85Samples) return kErrFormat;
    if (encodings == ImageDataEncodings::kClassic) {
        if (params.type == kJpegAscii85 || params.type == kJpegAscii85Alternative)
            return DecodeJpegAscii85(eps, sink);
        if (ascii85Samples) return kErrFormat;
    }
    RowLayout layout;
    status = PlanRows(params, &layout);
    if (status == kOk && layout.type == kBinarySamples) status = PlaceBinaryData(eps, start, &layout);
    if (status != kOk) return status;
    return DecodeRows(eps, layout, sink);
}

}  // namespace

Status DecodeImageData(EpsReader* eps, RowSink* sink) {
    return DecodeEncodings(eps, sink, ImageDataEncodings::kClassic);
}

Status DecodeAscii85ImageData(EpsReader* eps, RowSink* sink) {
    return DecodeEncodings(eps, sink, ImageDataEncodings::kAscii85Samples);
}

}  // namespace aldra
