#include "preview/LzwDecoder.h"

namespace aldra {

namespace {

constexpr uint32_t kClearCode = 256;
constexpr uint32_t kEndCode = 257;
constexpr uint32_t kFirstFree = 258;
constexpr uint32_t kTableSize = 4096;
constexpr uint32_t kNoCode = kTableSize;

// A string of the table is its last byte plus the string it extends.
struct LzwEntry {
    uint16_t prefix;
    uint16_t length;
    uint8_t last;
    uint8_t first;
};

class CodeReader {
  public:
    CodeReader(const BoundedBytes& in, bool lowBitFirst)
        : in_(in), bitsTotal_(static_cast<uint64_t>(in.size()) * 8), lowBitFirst_(lowBitFirst) {}

    bool Next(uint32_t width, uint32_t* code) {
        if (bitPos_ + width > bitsTotal_) return false;
        auto byte = static_cast<uint32_t>(bitPos_ >> 3);
        uint32_t shift = static_cast<uint32_t>(bitPos_ & 7);
        // A code of at most 12 bits starting anywhere in a byte lies within three bytes; bytes
        // past the end count as zero and never reach the code, which was checked to fit.
        uint8_t b[3] = {0, 0, 0};
        for (uint32_t i = 0; i < 3; ++i) in_.Get8(byte + i, &b[i]);
        uint32_t window;
        if (lowBitFirst_) {
            window = (static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[1]) << 8 | b[0]) >> shift;
        } else {
            window = (static_cast<uint32_t>(b[0]) << 16 | static_cast<uint32_t>(b[1]) << 8 | b[2]) >>
                     (24 - shift - width);
        }
        *code = window & ((1u << width) - 1);
        bitPos_ += width;
        return true;
    }

  private:
    const BoundedBytes& in_;
    uint64_t bitsTotal_;
    uint64_t bitPos_ = 0;
    bool lowBitFirst_;
};

bool IsOldLayout(const BoundedBytes& in) {
    uint8_t b0 = 0xFF;
    uint8_t b1 = 0;
    return in.Get8(0, &b0) && in.Get8(1, &b1) && b0 == 0 && (b1 & 1) != 0;
}

}  // namespace

Status DecodeLzw(const BoundedBytes& in, uint8_t* out, uint32_t outSize) {
    const bool oldLayout = IsOldLayout(in);
    const uint32_t early = oldLayout ? 0 : 1;
    CodeReader reader(in, oldLayout);

    LzwEntry table[kTableSize];
    for (uint32_t i = 0; i < 256; ++i) {
        table[i] = {static_cast<uint16_t>(kNoCode), 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
    }

    uint32_t next = kFirstFree;
    uint32_t previous = kNoCode;
    uint32_t written = 0;
    while (written < outSize) {
        uint32_t reach = next + early;
        uint32_t width = reach < 512 ? 9 : reach < 1024 ? 10 : reach < 2048 ? 11 : 12;
        uint32_t code;
        if (!reader.Next(width, &code)) return kErrFormat;
        if (code == kClearCode) {
            next = kFirstFree;
            previous = kNoCode;
            continue;
        }
        if (code == kEndCode) return kErrFormat;
        if (previous == kNoCode) {
            if (code >= 256) return kErrFormat;
        } else {
            if (code > next || code >= kTableSize) return kErrFormat;
            // The new string is the previous one extended by the first byte of this one; when the
            // code is the one being defined (the string repeats itself), that byte is the previous
            // string's own first byte.
            if (next < kTableSize) {
                uint8_t extension = code < next ? table[code].first : table[previous].first;
                table[next] = {static_cast<uint16_t>(previous),
                               static_cast<uint16_t>(table[previous].length + 1), extension,
                               table[previous].first};
                ++next;
            }
        }
        // Write the string from its end back to its start, keeping what fits.
        uint32_t length = table[code].length;
        uint32_t room = outSize - written;
        uint32_t at = length;  // 1-based position in the string of the byte at hand
        for (uint32_t c = code; at > 0; c = table[c].prefix, --at) {
            if (at <= room) out[written + at - 1] = table[c].last;
        }
        written += length < room ? length : room;
        previous = code;
    }
    return kOk;
}

}  // namespace aldra
