// Destructive parsers for comment lines: each one deletes what it recognised from the front of the
// line, so a comment is taken apart by a chain of calls (keyword, blanks, number, number, ...).
// They never fail: malformed input gives what the characters present give.
#pragma once
#include <cstdint>

#include "base/PString.h"
#include "base/Result.h"
#include "base/TextBuffer.h"

namespace aldra {

// Case-sensitive prefix test; the keyword is consumed only on a match.
bool MatchKeyword(uint8_t* line, const char* keyword);
void SkipBlanks(uint8_t* line);
// Photoshop writes its hex comment lines as "% 3842494D...": the blank after the "%" is layout, not
// data, and counting it as a digit would make every line of a real block be skipped. Call on a hex
// line whose "%" is already consumed, before AppendHexLine.
void SkipHexLineIndent(uint8_t* line);
// Optional '-', then decimal digits; no digits give 0.
int32_t ParseInteger(uint8_t* line);
// Like ParseInteger, then '.' or ',' and fraction digits; no exponent.
double ParseReal(uint8_t* line);
// "3.0" -> 0x0300, "2.01" -> 0x0201, "10.0" -> 0x1000: decimal digits in 4-bit fields.
uint16_t ParseVersion(uint8_t* line);
// A DSC text value: "(...)" or "\"...\"" with PostScript escapes, or the rest of the line.
void ParseToken(uint8_t* line, uint8_t* token);
// The characters up to the first space; the space stays in the line.
void TakeWord(uint8_t* line, uint8_t* word);
// Decodes a line of hex digit pairs and appends the bytes; a line with any bad digit is skipped
// (nothing appended, result 0).
Status AppendHexLine(const uint8_t* line, TextBuffer* buffer);

}  // namespace aldra
