#include "preview/Ascii85Stream.h"

#include <cstring>

#include "base/Bytes.h"

namespace aldra {

namespace {

constexpr int kGroupDigits = 5;
constexpr int kGroupBytes = 4;
constexpr uint32_t kLargestDigit = 84;  // "u"

enum OpeningState : uint8_t { kBeforeText, kAfterLessThan };

bool IsBlank(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

bool IsDigit(uint8_t c) {
    return c >= '!' && c <= 'u';
}

uint32_t TakePending(Ascii85Stream* s, uint8_t* out, uint32_t room) {
    uint32_t n = static_cast<uint32_t>(s->pendingCount - s->pendingAt);
    if (n > room) n = room;
    std::memcpy(out, s->pending + s->pendingAt, n);
    s->pendingAt += static_cast<int>(n);
    return n;
}

// The group's first `count` bytes go to the row as far as it has room, the rest wait for the next.
void EmitGroup(Ascii85Stream* s, int count, uint8_t* out, uint32_t size, uint32_t* filled) {
    StoreBe32(s->pending, s->value);
    s->pendingAt = 0;
    s->pendingCount = count;
    s->value = 0;
    s->digits = 0;
    *filled += TakePending(s, out + *filled, size - *filled);
}

// A final group of k digits stands for k - 1 bytes, the missing digits counted as the largest.
// One digit alone stands for nothing and is an error.
void FinishText(Ascii85Stream* s, uint8_t* out, uint32_t size, uint32_t* filled) {
    const int digits = s->digits;
    if (digits == 1) s->digits = 0;
    if (digits >= 2) {
        uint64_t value = s->value;
        for (int i = digits; i < kGroupDigits; ++i) value = value * 85 + kLargestDigit;
        // Only a final group above the largest 32-bit number wraps here; its bytes are rubbish
        // either way, and the picture ends with them.
        s->value = static_cast<uint32_t>(value);
        EmitGroup(s, digits - 1, out, size, filled);
    }
    s->ended = true;
}

// Skips an opening "<~" that some writers put in front of the text.
bool SkipOpening(Ascii85Stream* s, uint8_t c, uint8_t* state) {
    if (s->started) return false;
    if (*state == kAfterLessThan) {
        s->started = true;
        return c == '~';
    }
    if (IsBlank(c)) return true;
    if (c == '<') {
        *state = kAfterLessThan;
        return true;
    }
    s->started = true;
    return false;
}

// Decodes characters of the span until the row is full, the span used up or the text over, and
// answers how many characters it took.
uint32_t DecodeSpan(Ascii85Stream* s, const uint8_t* span, uint32_t count, uint8_t* out, uint32_t size,
                    uint32_t* filled, uint8_t* opening) {
    uint32_t i = 0;
    while (i < count && *filled < size && !s->ended) {
        const uint8_t c = span[i++];
        if (SkipOpening(s, c, opening)) continue;
        if (IsDigit(c)) {
            const uint64_t value = uint64_t{s->value} * 85 + static_cast<uint32_t>(c - '!');
            if (value > UINT32_MAX) {
                s->ended = true;
                break;
            }
            s->value = static_cast<uint32_t>(value);
            if (++s->digits == kGroupDigits) EmitGroup(s, kGroupBytes, out, size, filled);
        } else if (c == 'z' && s->digits == 0) {
            EmitGroup(s, kGroupBytes, out, size, filled);
        } else if (c == '~') {
            FinishText(s, out, size, filled);
        } else if (!IsBlank(c)) {
            s->ended = true;  // a "z" inside a group, or no ASCII85 at all
        }
    }
    return i;
}

}  // namespace

void StartAscii85Stream(EpsReader* eps, Ascii85Stream* stream) {
    *stream = Ascii85Stream{};
    stream->eps = eps;
}

Status ReadAscii85Bytes(Ascii85Stream* stream, uint8_t* out, uint32_t size) {
    uint32_t filled = 0;
    uint8_t opening = kBeforeText;
    while (filled < size) {
        if (stream->pendingAt < stream->pendingCount) {
            filled += TakePending(stream, out + filled, size - filled);
            continue;
        }
        if (stream->ended) return kErrFormat;
        const uint8_t* span = nullptr;
        uint32_t count = 0;
        Status status = EpsBufferedBytes(stream->eps, &span, &count);
        if (status != kOk) {
            stream->ended = true;
            return status;
        }
        EpsSkipBuffered(stream->eps, DecodeSpan(stream, span, count, out, size, &filled, &opening));
    }
    return kOk;
}

}  // namespace aldra
