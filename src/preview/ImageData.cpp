#include "preview/ImageData.h"

#include "base/Block.h"
#include "base/HexDigits.h"
#include "base/PString.h"
#include "eps/CommentParser.h"
#include "preview/ColourTables.h"
#include "preview/JpegDecoder.h"
#include "preview/PreviewChain.h"

namespace aldra {

namespace {

constexpr int32_t kBinarySamples = 1;
constexpr int32_t kHexSamples = 2;
constexpr int32_t kJpegAscii85 = 3;
constexpr int32_t kJpegAscii85Alternative = 4;

constexpr int32_t kModeGrey = 1;  // also 1-bit bitmaps
constexpr int32_t kModeLab = 2;
constexpr int32_t kModeRgb = 3;
constexpr int32_t kModeCmyk = 4;

// The comment belongs to the file's head; past this many lines of code the file has none.
constexpr uint32_t kMostCodeLinesBeforeComment = 20;

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

// Leaves the reader on the first byte behind the start word's line. The last comment before the
// start word is the one that describes the data.
Status FindImageDataStart(EpsReader* eps, ImageDataParams* params) {
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    bool found = false;
    uint32_t codeLines = 0;
    PString line;
    for (;;) {
        status = ReadLine(eps, line);
        if (status != kOk) return status;
        if (MatchKeyword(line, "%ImageData:")) {
            ParseImageDataComment(line, params);
            found = true;
        } else if (IsComment(line)) {
            continue;
        } else if (!found) {
            if (++codeLines > kMostCodeLinesBeforeComment) return kErrFormat;
        } else if (IsStartWord(line, params->startWord)) {
            return kOk;
        }
    }
}

// ---- Parameters -------------------------------------------------------------------------------

uint32_t ChannelsOfMode(int32_t mode) {
    return mode == kModeGrey ? 1 : mode == kModeCmyk ? 4 : 3;
}

bool ParamsAreReadable(const ImageDataParams& p) {
    if (p.mode < kModeGrey || p.mode > kModeCmyk) return false;
    bool bitsFit = p.mode == kModeGrey ? (p.bits == 1 || p.bits == 8) : p.bits == 8;
    if (!bitsFit) return false;
    return p.type == kBinarySamples || p.type == kHexSamples;
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

bool RasterRowBytes(uint32_t depth, uint32_t width, uint32_t* bytes) {
    uint64_t stride = ((static_cast<uint64_t>(depth) * width + 31) & ~uint64_t{31}) / 8;
    if (stride > kMaxImageDataRowBytes) return false;
    *bytes = static_cast<uint32_t>(stride);
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
    layout->depth = p.mode == kModeGrey ? static_cast<uint32_t>(p.bits) : 24;
    if (!SourceRowBytes(p, &layout->sourceBytes)) return kErrFormat;
    if (!RasterRowBytes(layout->depth, layout->width, &layout->rasterBytes)) return kErrFormat;
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

Status ReadSourceRow(EpsReader* eps, const RowLayout& layout, uint8_t* row) {
    if (layout.type == kBinarySamples) return ReadBinaryRow(eps, row, layout.sourceBytes);
    return ReadHexRow(eps, row, layout.sourceBytes);
}

// ---- Converting a row -------------------------------------------------------------------------

// PostScript's grey and bitmap samples are light (1 or 255 is white); the raster's are ink.
void ConvertGreyRow(const RowLayout& layout, const uint8_t* source, uint8_t* raster) {
    uint32_t n = layout.sourceBytes < layout.rasterBytes ? layout.sourceBytes : layout.rasterBytes;
    for (uint32_t i = 0; i < n; ++i) raster[i] = static_cast<uint8_t>(~source[i]);
}

// CIELAB and CMYK samples go through the colour tables as they stand; CMYK is ink already.
Status ConvertColourRow(const RowLayout& layout, const uint8_t* source, uint8_t* raster) {
    const int conversion = layout.mode == kModeLab ? kColourLab : kColourCmyk;
    for (uint32_t p = 0; p < layout.width; ++p) {
        const uint8_t* first = source + static_cast<size_t>(p) * layout.step;
        uint8_t samples[4];
        for (uint32_t c = 0; c < layout.channels; ++c)
            samples[c] = first[static_cast<size_t>(c) * layout.planeStep];
        uint8_t* out = raster + static_cast<size_t>(p) * 3;
        if (layout.mode == kModeRgb) {
            out[0] = samples[0];
            out[1] = samples[1];
            out[2] = samples[2];
            continue;
        }
        Status status = ConvertColour(conversion, samples, out);
        if (status != kOk) return status;
    }
    return kOk;
}

Status ConvertRow(const RowLayout& layout, const uint8_t* source, uint8_t* raster) {
    if (layout.mode == kModeGrey) {
        ConvertGreyRow(layout, source, raster);
        return kOk;
    }
    return ConvertColourRow(layout, source, raster);
}

// ---- The rows ---------------------------------------------------------------------------------

bool IsEmpty(const Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

struct RowBlocks {
    uint8_t* source = nullptr;
    uint8_t* raster = nullptr;
};

Status AllocRowBlocks(const RowLayout& layout, RowBlocks* blocks) {
    if (AllocBlock(layout.sourceBytes, &blocks->source) != kOk) return kErrMemory;
    if (AllocBlock(layout.rasterBytes, &blocks->raster) != kOk) {
        FreeBlock(blocks->source);
        blocks->source = nullptr;
        return kErrMemory;
    }
    return kOk;
}

void FreeRowBlocks(RowBlocks* blocks) {
    FreeBlock(blocks->source);
    FreeBlock(blocks->raster);
}

// Every row is read, so that the next one starts in the right place; only rows that land on a
// destination pixel are converted and drawn, which makes strong reductions cheap. A row that
// cannot be read is not drawn, and the last row's status is the answer.
Status DecodeRows(EpsReader* eps, const RowLayout& layout, TargetRaster* target, const Rect* destination) {
    RowBlocks blocks;
    if (AllocRowBlocks(layout, &blocks) != kOk) return kErrMemory;
    RasterImage row;
    InitRaster(layout.depth, layout.width, 1, layout.rasterBytes, nullptr, 0, blocks.raster,
               layout.rasterBytes, false, &row);
    DrawContext context{
        {0, 0, static_cast<int32_t>(layout.width), static_cast<int32_t>(layout.height)}, target, destination};
    Status status = kOk;
    for (uint32_t y = 0; y < layout.height; ++y) {
        status = ReadSourceRow(eps, layout, blocks.source);
        // At the end of the file every later row fails the same way; the answer stays 2016.
        if (status == kErrEof && AtEndOfFile(eps)) break;
        if (status != kOk) continue;
        Rect rowRect{0, static_cast<int32_t>(y), static_cast<int32_t>(layout.width),
                     static_cast<int32_t>(y + 1)};
        if (IsEmpty(MapRect(rowRect, context.image, *destination))) continue;
        status = ConvertRow(layout, blocks.source, blocks.raster);
        if (status == kOk) status = PresentRaster(&row, &rowRect, DrawMappedBand, &context);
    }
    FreeRowBlocks(&blocks);
    return status;
}

}  // namespace

Status DecodeImageData(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    ImageDataParams params;
    Status status = FindImageDataStart(eps, &params);
    if (status != kOk) return status;
    if (params.type == kJpegAscii85 || params.type == kJpegAscii85Alternative)
        return DecodeJpegAscii85(eps, target, destination);
    RowLayout layout;
    status = PlanRows(params, &layout);
    if (status != kOk) return status;
    return DecodeRows(eps, layout, target, destination);
}

}  // namespace aldra
