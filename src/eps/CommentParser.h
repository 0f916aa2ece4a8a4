// Destructive parsers for comment lines: each one deletes what it recognised from the front of the
// line, so a comment is taken apart by a chain of calls (keyword, blanks, number, number, ...).
// They never fail: malformed input gives what the characters present give.
#pragma once
#include <cstdint>
#include <cstring>

#include "base/PString.h"
#include "base/Result.h"
#include "base/TextBuffer.h"

namespace aldra {

// Case-sensitive prefix test; the keyword is consumed only on a match. The header scan tries some
// thirty keywords on every comment line, so this is inline: for a literal keyword the length is
// known and the comparison comes down to a few loads.
[[gnu::always_inline]] inline bool MatchKeyword(uint8_t* line, const char* keyword) {
    size_t n = std::strlen(keyword);
    if (n > line[0] || std::memcmp(line + 1, keyword, n) != 0) return false;
    PStrDelete(line, 1, static_cast<int>(n));
    return true;
}
// Every keyword, and every line of a hex block, is a comment: a line that begins with "%".
inline bool IsCommentLine(const uint8_t* line) {
    return line[0] > 0 && line[1] == '%';
}
// The index of the first character at or after `from` that is no blank. Inline: every token of
// a drawing starts with it.
inline int BlanksEnd(const uint8_t* line, int from) {
    int i = from;
    while (i <= line[0] && (line[i] == ' ' || line[i] == '\t')) ++i;
    return i;
}
// Inline as well: a drawing's reader asks before every token, and mostly there is no blank.
inline void SkipBlanks(uint8_t* line) {
    const int i = BlanksEnd(line, 1);
    if (i > 1) PStrDelete(line, 1, i - 1);
}
// Optional '-', then decimal digits; no digits give 0.
int32_t ParseInteger(uint8_t* line);
// Like ParseInteger, then '.' or ',' and fraction digits; no exponent.
double ParseReal(uint8_t* line);
// ParseReal from line[*at] without taking the number out of the line: *at moves past it. Lets a
// reader of many numbers shift the line once for a number and what follows it.
double ReadRealAt(const uint8_t* line, int* at);
// "3.0" -> 0x0300, "2.01" -> 0x0201, "10.0" -> 0x1000: decimal digits in 4-bit fields.
uint16_t ParseVersion(uint8_t* line);
// A DSC text value: "(...)" or "\"...\"" with PostScript escapes, or the rest of the line.
void ParseToken(uint8_t* line, uint8_t* token);
// The characters up to the first space; the space stays in the line.
void TakeWord(uint8_t* line, uint8_t* word);
// Decodes a line of hex digit pairs and appends the bytes; a line with any bad digit is skipped
// (nothing appended, result 0).
Status AppendHexLine(const uint8_t* line, TextBuffer* buffer);

// One hex comment block (Photoshop resources, a 9 Bits reference) decodes to at most this: real
// blocks hold a thumbnail, a colour profile and some metadata, a few megabytes at the most, and a
// forged byte count must not make the header scan hold most of a 200 MB file.
inline constexpr int64_t kMaxHexBlockBytes = int64_t{16} << 20;

// A hex comment block collected line by line into one buffer of the announced size, made when the
// block starts: appending line by line would copy the whole block again every 256 bytes, which
// takes seconds for a block of a few megabytes. Bytes are counted past the announcement but not
// kept; the block is complete when the count equals it.
struct HexBlock {
    int64_t announced = 0;
    uint64_t decoded = 0;
    BufferPtr buffer;  // none when the bytes are only counted
};

// Keeps the bytes only when asked to and when the block can be complete: announced from 0 to
// kMaxHexBlockBytes, and no more than the two hex digits a byte takes in the bytesLeft of the file.
// 1000 when the buffer cannot be had.
Status OpenHexBlock(int64_t announced, uint64_t bytesLeft, bool keep, HexBlock* block);
// Decodes one comment line of the block ("%" and hex digits) as AppendHexLine decodes its digits.
// Photoshop writes these lines as "% 3842494D...": the blanks after the "%" are layout, not data,
// and counting them as digits would make every line of a real block be skipped.
void AddHexCommentLine(const uint8_t* line, HexBlock* block);
bool HexBlockWanted(const HexBlock& block);  // fewer bytes than announced so far
// The buffer of a complete, kept block; otherwise none, the buffer disposed of.
BufferPtr CloseHexBlock(HexBlock* block);

}  // namespace aldra
