#include "eps/CommentParser.h"

#include <cstring>

#include "base/HexDigits.h"

namespace aldra {

namespace {

bool StartsWithDigit(const uint8_t* line) {
    return line[0] > 0 && line[1] >= '0' && line[1] <= '9';
}

bool StartsWith(const uint8_t* line, char c) {
    return line[0] > 0 && line[1] == c;
}

bool IsAt(const uint8_t* line, int i, char c) {
    return i <= line[0] && line[i] == c;
}

// digit / 10^(place + 1) for the first places after a decimal point, each the same double as the
// division gives: a drawing is mostly numbers of four decimals, and the divisions took longer than
// the rest of reading them.
constexpr int kTabledPlaces = 8;
struct FractionDigits {
    double share[kTabledPlaces][10];
};
constexpr FractionDigits MakeFractionDigits() {
    FractionDigits table{};
    double divisor = 10;
    for (int place = 0; place < kTabledPlaces; ++place, divisor *= 10)
        for (int digit = 0; digit < 10; ++digit) table.share[place][digit] = digit / divisor;
    return table;
}
constexpr FractionDigits kFractionDigits = MakeFractionDigits();

// Counts the leading decimal digits, adding each to value.
template <typename Number>
int TakeDigits(const uint8_t* line, int from, Number* value) {
    int i = from;
    while (i <= line[0] && line[i] >= '0' && line[i] <= '9') {
        *value = static_cast<Number>(*value * 10 + (line[i] - '0'));
        ++i;
    }
    return i - from;
}

// The bytes of a line of hex digit pairs; 0 for a line with any bad digit.
uint32_t DecodeHexPairs(const uint8_t* line, uint8_t bytes[128]) {
    int count = line[0] / 2;
    const uint8_t* digits = line + 1;
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        if (DecodeSixteenHexDigits(digits + 2 * k, bytes + k) != kHexRun) return 0;
    }
    int bad = 0;
    for (; k < count; ++k) {
        int high = HexDigitValue(digits[2 * k]);
        int low = HexDigitValue(digits[2 * k + 1]);
        bad |= high | low;
        bytes[k] = static_cast<uint8_t>(((high & 0xF) << 4) | (low & 0xF));
    }
    return bad < 0 ? 0 : static_cast<uint32_t>(count);
}

}  // namespace

int32_t ParseInteger(uint8_t* line) {
    SkipBlanks(line);
    bool negative = MatchKeyword(line, "-");
    // Unsigned arithmetic wraps silently, as the format has no overflow rule.
    uint32_t value = 0;
    int digits = TakeDigits(line, 1, &value);
    PStrDelete(line, 1, digits);
    return static_cast<int32_t>(negative ? 0u - value : value);
}

double ReadRealAt(const uint8_t* line, int* at) {
    int i = BlanksEnd(line, *at);
    const bool negative = IsAt(line, i, '-');
    if (negative) ++i;
    double value = 0;
    i += TakeDigits(line, i, &value);
    if (IsAt(line, i, '.') || IsAt(line, i, ',')) {
        ++i;
        double divisor = 10;
        for (int place = 0; i <= line[0] && line[i] >= '0' && line[i] <= '9'; ++place, ++i) {
            const int digit = line[i] - '0';
            value += place < kTabledPlaces ? kFractionDigits.share[place][digit] : digit / divisor;
            divisor *= 10;
        }
    }
    *at = i;
    return negative ? -value : value;
}

double ParseReal(uint8_t* line) {
    int end = 1;
    const double value = ReadRealAt(line, &end);
    if (end > 1) PStrDelete(line, 1, end - 1);
    return value;
}

uint16_t ParseVersion(uint8_t* line) {
    uint32_t value = 0;
    for (int majorDigits = 0; majorDigits < 2 && StartsWithDigit(line); ++majorDigits) {
        value = value * 16 + (line[1] - '0');
        PStrDelete(line, 1, 1);
    }
    value <<= 8;
    if (StartsWith(line, '.')) {
        PStrDelete(line, 1, 1);
        if (StartsWithDigit(line)) {
            value |= static_cast<uint32_t>(line[1] - '0') << 4;
            PStrDelete(line, 1, 1);
            if (StartsWithDigit(line)) {
                value |= static_cast<uint32_t>(line[1] - '0');
                PStrDelete(line, 1, 1);
            }
        }
    }
    return static_cast<uint16_t>(value);
}

void ParseToken(uint8_t* line, uint8_t* token) {
    SkipBlanks(line);
    int closing = -1;  // -1: the token runs to the end of the line
    if (MatchKeyword(line, "\"")) {
        closing = '"';
    } else if (MatchKeyword(line, "(")) {
        closing = ')';
    }
    int len = line[0];
    int i = 1;
    int out = 0;
    while (i <= len) {
        uint8_t c = line[i];
        if (c == closing) {
            ++i;
            break;
        }
        if (c != '\\' || i == len) {
            token[++out] = c;
            ++i;
            continue;
        }
        uint8_t next = line[i + 1];
        if (next == 'r') {
            token[++out] = '\r';
            i += 2;
        } else if (next == '(' || next == ')' || next == '\\') {
            token[++out] = next;
            i += 2;
        } else if (i + 3 <= len) {
            int code = (line[i + 1] - 48) * 64 + (line[i + 2] - 48) * 8 + (line[i + 3] - 48);
            token[++out] = static_cast<uint8_t>(code & 0xFF);
            i += 4;
        } else {
            // Too short for an octal escape: the backslash is dropped, the character kept.
            token[++out] = next;
            i += 2;
        }
    }
    token[0] = static_cast<uint8_t>(out);
    PStrDelete(line, 1, i - 1);
}

void TakeWord(uint8_t* line, uint8_t* word) {
    int len = line[0];
    int end = 1;
    while (end <= len && line[end] != ' ') ++end;
    PStrSub(line, 1, end - 1, word, kPStringCapacity);
    PStrDelete(line, 1, end - 1);
}

Status AppendHexLine(const uint8_t* line, TextBuffer* buffer) {
    uint8_t bytes[128];
    return AppendBytes(bytes, DecodeHexPairs(line, bytes), buffer);
}

Status OpenHexBlock(int64_t announced, uint64_t bytesLeft, bool keep, HexBlock* block) {
    *block = HexBlock{};
    block->announced = announced;
    if (!keep || announced < 0 || announced > kMaxHexBlockBytes ||
        static_cast<uint64_t>(announced) > bytesLeft / 2) {
        return kOk;
    }
    return NewBuffer(static_cast<uint32_t>(announced), &block->buffer);
}

void AddHexCommentLine(const uint8_t* line, HexBlock* block) {
    PString digits;
    PStrSub(line, 2, line[0] - 1, digits, sizeof digits);
    SkipBlanks(digits);
    uint8_t bytes[128];
    uint32_t count = DecodeHexPairs(digits, bytes);
    if (block->buffer != nullptr && block->decoded + count <= static_cast<uint64_t>(block->announced))
        std::memcpy(BufferData(block->buffer.get()) + block->decoded, bytes, count);
    block->decoded += count;
}

bool HexBlockWanted(const HexBlock& block) {
    return block.announced > 0 && block.decoded < static_cast<uint64_t>(block.announced);
}

BufferPtr CloseHexBlock(HexBlock* block) {
    BufferPtr kept = std::move(block->buffer);
    if (kept != nullptr && block->decoded == static_cast<uint64_t>(block->announced)) return kept;
    return nullptr;
}

}  // namespace aldra
