#include "preview/XmpThumbnail.h"

#include <string_view>

#include "base/Block.h"
#include "preview/JpegDecoder.h"

namespace aldra {

namespace {

constexpr std::string_view kProperty = "xmpGImg:image";
constexpr uint32_t kSearchChunk = 64 * 1024;
// A match is judged by the byte before it and the two behind it, so chunks overlap by that much.
constexpr uint32_t kSearchOverlap = static_cast<uint32_t>(kProperty.size()) + 2;
// "&#xA;", "&#10;", "&#x0D;": the line breaks XMP writers put into long values.
constexpr uint32_t kMostReferenceChars = 8;

// ---- Finding the value ------------------------------------------------------------------------

// Whether the property at `at` in the chunk opens a value, and if so where it begins and which
// byte ends it: "<" behind element content, the quote of an attribute. A closing tag opens none.
bool OpensValue(std::string_view chunk, size_t at, size_t* begin, uint8_t* closing) {
    if (at > 0 && chunk[at - 1] == '/') return false;
    const size_t behind = at + kProperty.size();
    if (chunk[behind] == '>') {
        *begin = behind + 1;
        *closing = '<';
        return true;
    }
    if (chunk[behind] == '=' && (chunk[behind + 1] == '"' || chunk[behind + 1] == '\'')) {
        *begin = behind + 2;
        *closing = static_cast<uint8_t>(chunk[behind + 1]);
        return true;
    }
    return false;
}

// Leaves the reader on the first byte of the first thumbnail value.
Status FindThumbnailValue(EpsReader* eps, uint8_t* closing) {
    Status status = RewindToPostScript(eps);
    if (status != kOk) return status;
    const uint64_t start = EpsTell(eps);
    const uint64_t size = EpsFileSize(eps);
    const uint64_t end = size - start > kMostXmpSearchBytes ? start + kMostXmpSearchBytes : size;
    BlockPtr block;
    if (AllocBlockForOverwrite(kSearchChunk, &block) != kOk) return kErrMemory;
    for (uint64_t at = start; at < end;) {
        const uint64_t want = end - at < kSearchChunk ? end - at : kSearchChunk;
        uint64_t got = 0;
        status = EpsSeek(eps, at);
        if (status == kOk) status = EpsReadBytes(eps, block.get(), want, &got);
        if (status != kOk) return status;
        const std::string_view chunk(reinterpret_cast<const char*>(block.get()), got);
        // A match at the chunk's first byte was judged in the chunk before, with the byte before it.
        for (size_t hit = chunk.find(kProperty, at > start ? 1 : 0); hit != std::string_view::npos;
             hit = chunk.find(kProperty, hit + 1)) {
            if (hit + kSearchOverlap > got) break;  // judged in the next chunk
            size_t begin = 0;
            if (OpensValue(chunk, hit, &begin, closing)) return EpsSeek(eps, at + begin);
        }
        if (at + got >= end || got <= kSearchOverlap) break;
        at += got - kSearchOverlap;
    }
    return kErrFormat;
}

// ---- Decoding the value -----------------------------------------------------------------------

struct Base64Table {
    int8_t value[256];
    constexpr Base64Table() : value() {
        for (int c = 0; c < 256; ++c) value[c] = -1;
        for (int c = 'A'; c <= 'Z'; ++c) value[c] = static_cast<int8_t>(c - 'A');
        for (int c = 'a'; c <= 'z'; ++c) value[c] = static_cast<int8_t>(c - 'a' + 26);
        for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<int8_t>(c - '0' + 52);
        value[static_cast<int>('+')] = 62;
        value[static_cast<int>('/')] = 63;
    }
};
constexpr Base64Table kBase64;

bool IsBlank(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The walk over a value: base64 digits, "=" padding at the end, and blanks and character
// references anywhere between them.
struct Base64Walk {
    uint8_t closing = '<';
    uint8_t* out = nullptr;  // null while only counting
    uint32_t capacity = 0;   // the bytes `out` holds
    uint32_t produced = 0;
    uint32_t accumulator = 0;
    int bits = 0;
    bool padded = false;
    bool inReference = false;
    uint32_t referenceChars = 0;
    bool done = false;
};

// false for a byte that has no place in a base64 value.
bool TakeValueByte(Base64Walk* w, uint8_t c) {
    if (c == w->closing) {
        w->done = true;
        return true;
    }
    if (w->inReference) {
        w->inReference = c != ';';
        return ++w->referenceChars <= kMostReferenceChars;
    }
    if (c == '&') {
        w->inReference = true;
        w->referenceChars = 0;
        return true;
    }
    if (IsBlank(c)) return true;
    if (c == '=') {
        w->padded = true;
        return true;
    }
    const int value = kBase64.value[c];
    if (value < 0 || w->padded) return false;
    w->accumulator = (w->accumulator << 6 | static_cast<uint32_t>(value)) & 0xFFFFFF;
    w->bits += 6;
    if (w->bits < 8) return true;
    w->bits -= 8;
    if (w->produced >= kMostXmpThumbnailBytes) return false;
    // The second pass may meet more than the first counted when the file changed in between.
    if (w->out != nullptr && w->produced >= w->capacity) return false;
    if (w->out != nullptr) w->out[w->produced] = static_cast<uint8_t>(w->accumulator >> w->bits);
    ++w->produced;
    return true;
}

// Walks from the reader's position to the closing delimiter; 2020 at a stray byte, at too many
// bytes, and when the file ends first.
Status WalkValue(EpsReader* eps, Base64Walk* walk) {
    while (!walk->done) {
        const uint8_t* span = nullptr;
        uint32_t count = 0;
        Status status = EpsBufferedBytes(eps, &span, &count);
        if (status == kErrEof) return kErrFormat;
        if (status != kOk) return status;
        uint32_t i = 0;
        while (i < count && !walk->done) {
            if (!TakeValueByte(walk, span[i++])) return kErrFormat;
        }
        EpsSkipBuffered(eps, i);
    }
    return kOk;
}

// Counts first, then decodes into a block of exactly that size; `walk` makes one pass over the value.
template <typename Walk>
Status CountThenDecode(uint8_t closing, Walk walk, BlockPtr* jpeg, uint32_t* length) {
    Base64Walk count;
    count.closing = closing;
    Status status = walk(&count);
    if (status != kOk) return status;
    if (count.produced == 0) return kErrFormat;
    status = AllocBlockForOverwrite(count.produced, jpeg);
    if (status != kOk) return status;
    Base64Walk fill;
    fill.closing = closing;
    fill.out = jpeg->get();
    fill.capacity = count.produced;
    status = walk(&fill);
    if (status == kOk && fill.produced != count.produced) status = kErrFormat;
    *length = fill.produced;
    return status;
}

Status DecodeValue(EpsReader* eps, uint8_t closing, BlockPtr* jpeg, uint32_t* length) {
    const uint64_t begin = EpsTell(eps);
    return CountThenDecode(
        closing,
        [&](Base64Walk* walk) {
            Status status = EpsSeek(eps, begin);
            return status == kOk ? WalkValue(eps, walk) : status;
        },
        jpeg, length);
}

// The walk over a value held in memory; 2020 where the file walk would meet the end of the file.
Status WalkValueBytes(std::string_view rest, Base64Walk* walk) {
    for (size_t i = 0; i < rest.size() && !walk->done; ++i) {
        if (!TakeValueByte(walk, static_cast<uint8_t>(rest[i]))) return kErrFormat;
    }
    return walk->done ? kOk : kErrFormat;
}

Status DecodeValueBytes(std::string_view rest, uint8_t closing, BlockPtr* jpeg, uint32_t* length) {
    return CountThenDecode(
        closing, [&](Base64Walk* walk) { return WalkValueBytes(rest, walk); }, jpeg, length);
}

}  // namespace

Status DecodeXmpPacketThumbnail(const uint8_t* packet, size_t size, RowSink* sink) {
    if (packet == nullptr) return kErrFormat;
    const std::string_view text(reinterpret_cast<const char*>(packet), size);
    for (size_t hit = text.find(kProperty); hit != std::string_view::npos;
         hit = text.find(kProperty, hit + 1)) {
        if (hit + kSearchOverlap > size) break;
        size_t begin = 0;
        uint8_t closing = '<';
        if (!OpensValue(text, hit, &begin, &closing)) continue;
        BlockPtr jpeg;
        uint32_t length = 0;
        Status status = DecodeValueBytes(text.substr(begin), closing, &jpeg, &length);
        if (status != kOk) return status;
        return DecodeJpeg(jpeg.get(), length, sink);
    }
    return kErrFormat;
}

Status DecodeXmpThumbnail(EpsReader* eps, RowSink* sink) {
    uint8_t closing = '<';
    Status status = FindThumbnailValue(eps, &closing);
    if (status != kOk) return status;
    BlockPtr jpeg;
    uint32_t length = 0;
    status = DecodeValue(eps, closing, &jpeg, &length);
    if (status != kOk) return status;
    return DecodeJpeg(jpeg.get(), length, sink);
}

}  // namespace aldra
