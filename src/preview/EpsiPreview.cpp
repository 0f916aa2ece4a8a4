#include "preview/EpsiPreview.h"

#include "base/Block.h"
#include "base/HexDigits.h"
#include "base/PString.h"
#include "eps/CommentParser.h"

namespace aldra {

namespace {

// The preview belongs to the file's head; past this many lines of code the file has none.
constexpr uint32_t kMostCodeLinesBeforePreview = 20;
constexpr uint32_t kBandBytes = 65536;
// Two-bit samples are widened to bytes, which the grey table shows: 0, 85, 170, 255.
constexpr uint8_t kTwoBitStep = 85;

struct PreviewParams {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
};

struct PreviewLayout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;
    uint32_t sourceBytes = 0;  // hexadecimal bytes of one row
    uint32_t bandDepth = 0;    // what the sink receives
    uint32_t rowBytes = 0;     // of a band row
    uint32_t rowsPerBand = 0;
};

// ---- The comment ------------------------------------------------------------------------------

bool IsComment(const uint8_t* line) {
    return PStrLength(line) > 0 && line[1] == '%';
}

// Leaves the reader on the first byte behind the comment's line. The line count it gives is
// only a help for readers that skip the preview, and is not needed here.
Status FindPreviewComment(EpsReader* eps, PreviewParams* params) {
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    uint32_t codeLines = 0;
    PString line;
    for (;;) {
        status = ReadLine(eps, line);
        if (status != kOk) return status;
        if (MatchKeyword(line, "%%BeginPreview:")) {
            params->width = ParseInteger(line);
            params->height = ParseInteger(line);
            params->depth = ParseInteger(line);
            return kOk;
        }
        if (!IsComment(line) && ++codeLines > kMostCodeLinesBeforePreview) return kErrFormat;
    }
}

// Every source row has to come from two digits a byte in what is left of the file, so a preview
// that claims more rows than that is refused before any is read.
Status PlanPreview(const PreviewParams& p, uint64_t bytesLeft, PreviewLayout* layout) {
    if (p.width <= 0 || p.height <= 0) return kErrFormat;
    if (p.depth != 1 && p.depth != 2 && p.depth != 4 && p.depth != 8) return kErrFormat;
    const uint64_t sourceBytes = (static_cast<uint64_t>(p.width) * static_cast<uint32_t>(p.depth) + 7) / 8;
    if (sourceBytes > kMaxEpsiRowBytes) return kErrFormat;
    if (sourceBytes * static_cast<uint64_t>(p.height) * 2 > bytesLeft) return kErrFormat;
    layout->width = static_cast<uint32_t>(p.width);
    layout->height = static_cast<uint32_t>(p.height);
    layout->depth = static_cast<uint32_t>(p.depth);
    layout->sourceBytes = static_cast<uint32_t>(sourceBytes);
    layout->bandDepth = layout->depth == 2 ? 8 : layout->depth;
    layout->rowBytes = AlignedStride(layout->bandDepth, layout->width);
    uint32_t rows = kBandBytes / layout->rowBytes;
    if (rows == 0) rows = 1;
    layout->rowsPerBand = rows < layout->height ? rows : layout->height;
    return kOk;
}

// ---- The hexadecimal comment lines ------------------------------------------------------------

enum class LinePlace : uint8_t { kLineStart, kAfterPercent, kInData };

// The digits of the comment lines behind the comment, read across line ends as the rows need
// them. The data end at the first line that is not a comment, or that is a structure comment
// ("%%EndPreview"); anything else that is not a digit is layout.
struct HexCommentStream {
    EpsReader* eps = nullptr;
    LinePlace place = LinePlace::kLineStart;
    int high = -1;  // a digit whose partner is still to come
    bool ended = false;
};

bool IsLineEnd(uint8_t c) {
    return c == '\r' || c == '\n';
}

void TakeDigit(HexCommentStream* s, uint8_t c, uint8_t* out, uint32_t* filled) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return;
    if (s->high < 0) {
        s->high = digit;
        return;
    }
    out[(*filled)++] = static_cast<uint8_t>(s->high << 4 | digit);
    s->high = -1;
}

// Decodes characters of the span until `size` bytes are in, the span is used up or the data end,
// and answers how many characters it took. Runs of sixteen digits inside a line go at once.
uint32_t DecodeCommentSpan(HexCommentStream* s, const uint8_t* span, uint32_t count, uint8_t* out,
                           uint32_t size, uint32_t* filled) {
    uint32_t i = 0;
    while (i < count && *filled < size && !s->ended) {
        if (s->place == LinePlace::kInData && s->high < 0 && count - i >= kHexRun &&
            size - *filled >= kHexRun / 2 && DecodeSixteenHexDigits(span + i, out + *filled) == kHexRun) {
            i += kHexRun;
            *filled += kHexRun / 2;
            continue;
        }
        const uint8_t c = span[i++];
        switch (s->place) {
            case LinePlace::kLineStart:
                if (IsLineEnd(c)) break;
                if (c == '%') {
                    s->place = LinePlace::kAfterPercent;
                } else {
                    s->ended = true;
                }
                break;
            case LinePlace::kAfterPercent:
                if (c == '%') {
                    s->ended = true;
                    break;
                }
                s->place = LinePlace::kInData;
                [[fallthrough]];
            case LinePlace::kInData:
                if (IsLineEnd(c)) {
                    s->place = LinePlace::kLineStart;
                } else {
                    TakeDigit(s, c, out, filled);
                }
                break;
        }
    }
    return i;
}

// Exactly `size` bytes, or 2020 when the data end first (2016 when the file does).
Status ReadCommentHex(HexCommentStream* s, uint8_t* out, uint32_t size) {
    uint32_t filled = 0;
    while (filled < size) {
        if (s->ended) return kErrFormat;
        const uint8_t* span = nullptr;
        uint32_t count = 0;
        Status status = EpsBufferedBytes(s->eps, &span, &count);
        if (status != kOk) return status;
        EpsSkipBuffered(s->eps, DecodeCommentSpan(s, span, count, out, size, &filled));
    }
    return kOk;
}

// ---- Rows and bands ---------------------------------------------------------------------------

// Widens the row's two-bit samples in place, from the last one back, to a byte each.
void WidenTwoBitRow(uint8_t* row, uint32_t width) {
    for (uint32_t x = width; x-- > 0;) {
        const uint32_t sample = (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
        row[x] = static_cast<uint8_t>(sample * kTwoBitStep);
    }
}

Status ReadPreviewRow(HexCommentStream* stream, const PreviewLayout& layout, uint8_t* row) {
    Status status = ReadCommentHex(stream, row, layout.sourceBytes);
    if (status == kOk && layout.depth == 2) WidenTwoBitRow(row, layout.width);
    return status;
}

Status DecodeBands(HexCommentStream* stream, const PreviewLayout& layout, RowSink* sink) {
    BlockPtr block;
    const uint32_t capacity = layout.rowBytes * layout.rowsPerBand;  // at most max(64 KiB, one row)
    if (AllocBlock(capacity, &block) != kOk) return kErrMemory;
    RowBand band;
    band.format = RowFormat::kInk;
    band.bitsPerPixel = layout.bandDepth;
    band.width = layout.width;
    band.height = layout.height;
    band.rowBytes = layout.rowBytes;
    band.pixels = block.get();
    band.capacity = capacity;
    for (uint32_t top = 0; top < layout.height; top += band.rows) {
        const uint32_t left = layout.height - top;
        band.top = top;
        band.rows = layout.rowsPerBand < left ? layout.rowsPerBand : left;
        for (uint32_t r = 0; r < band.rows; ++r) {
            Status status =
                ReadPreviewRow(stream, layout, block.get() + static_cast<size_t>(r) * layout.rowBytes);
            if (status != kOk) return status;
        }
        Status status = sink->TakeRows(band);
        if (status != kOk) return status;
    }
    return kOk;
}

}  // namespace

Status DecodeEpsiPreview(EpsReader* eps, RowSink* sink) {
    PreviewParams params;
    Status status = FindPreviewComment(eps, &params);
    if (status != kOk) return status;
    PreviewLayout layout;
    status = PlanPreview(params, EpsFileSize(eps) - EpsTell(eps), &layout);
    if (status != kOk) return status;
    HexCommentStream stream;
    stream.eps = eps;
    return DecodeBands(&stream, layout, sink);
}

}  // namespace aldra
