#include "preview/XmpThumbnail.h"

#include <string>
#include <string_view>

#include "base/Block.h"
#include "eps/XmpPacket.h"
#include "eps/XmpProperties.h"
#include "preview/JpegDecoder.h"

namespace aldra {

namespace {

constexpr XmpName kThumbnailImage{xmp::kImage, "image", "xmpGImg"};
// "&#xA;", "&#10;", "&#x0D;": the line breaks XMP writers put into long values.
constexpr uint32_t kMostReferenceChars = 8;

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
    if (w->out != nullptr && w->produced >= w->capacity) return false;
    if (w->out != nullptr) w->out[w->produced] = static_cast<uint8_t>(w->accumulator >> w->bits);
    ++w->produced;
    return true;
}

// 2020 when the text ends before the value's closing delimiter.
Status WalkValueBytes(std::string_view rest, Base64Walk* walk) {
    for (size_t i = 0; i < rest.size() && !walk->done; ++i) {
        if (!TakeValueByte(walk, static_cast<uint8_t>(rest[i]))) return kErrFormat;
    }
    return walk->done ? kOk : kErrFormat;
}

// Counts first, then decodes into a block of exactly that size.
Status DecodeValueBytes(std::string_view rest, uint8_t closing, BlockPtr* jpeg, uint32_t* length) {
    Base64Walk count;
    count.closing = closing;
    Status status = WalkValueBytes(rest, &count);
    if (status != kOk) return status;
    if (count.produced == 0) return kErrFormat;
    status = AllocBlockForOverwrite(count.produced, jpeg);
    if (status != kOk) return status;
    Base64Walk fill;
    fill.closing = closing;
    fill.out = jpeg->get();
    fill.capacity = count.produced;
    status = WalkValueBytes(rest, &fill);
    if (status == kOk && fill.produced != count.produced) status = kErrFormat;
    *length = fill.produced;
    return status;
}

}  // namespace

Status DecodeXmpPacketThumbnail(const uint8_t* packet, size_t size, RowSink* sink) {
    if (packet == nullptr) return kErrFormat;
    const std::string_view text(reinterpret_cast<const char*>(packet), size);
    const XmpProperties xmp(text);
    const std::vector<XmpValueStart> starts = xmp.ValueStarts(text, kThumbnailImage, 1);
    if (starts.empty()) return kErrFormat;
    BlockPtr jpeg;
    uint32_t length = 0;
    Status status = DecodeValueBytes(text.substr(starts.front().begin),
                                     static_cast<uint8_t>(starts.front().closing), &jpeg, &length);
    if (status != kOk) return status;
    return DecodeJpeg(jpeg.get(), length, sink);
}

Status DecodeXmpThumbnail(EpsReader* eps, RowSink* sink) {
    std::string packet;
    Status status = ReadXmpPacket(eps, &packet);
    if (status != kOk) return status;
    return DecodeXmpPacketThumbnail(reinterpret_cast<const uint8_t*>(packet.data()), packet.size(), sink);
}

}  // namespace aldra
