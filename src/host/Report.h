// How the host prints what it learnt about a file: as JSON objects (one a line) or as readable text.
#pragma once
#include <string>
#include <string_view>

#include "host/FilterHost.h"

namespace aldra::host {

// A JSON string literal for UTF-8 text: quotes, backslashes and control characters escaped; a byte
// that is not part of valid UTF-8 is written as the text \xNN (a backslash escaped for JSON), as
// TerminalText writes it, so the output always parses and no byte turns into U+FFFD.
std::string JsonString(std::string_view utf8);
// The same, appended to *out: a record is written into one buffer.
void AppendJsonString(std::string_view utf8, std::string* out);
// The shortest text that reads back as the same float; "0" for non-finite values.
std::string JsonNumber(double value);
// The bytes of a text that is not UTF-8, two lowercase hexadecimal digits each; "" for UTF-8 text.
std::string NonUtf8Hex(std::string_view bytes);

// Text as a terminal may safely show it: control characters (ESC, BEL, C1 controls and the like) and
// bytes that are not UTF-8 become \x1b-style escapes, so a file's contents cannot drive the terminal.
// Tabs stay; line ends are the caller's to handle.
std::string TerminalText(std::string_view utf8);

// The keys File, Format, DefaultExtension, ... OPIHiResFileName for an accepted file, File and
// Error {Code, Message} otherwise. A path that is not UTF-8 is also given exactly, as the hexadecimal
// digits of its bytes, in FileBytes. No line end.
std::string FactsJson(const FileFacts& facts);
// The information interface's facts as one JSON object ("{}" without any), for the catalogue.
std::string DocumentFactsJson(const FileFacts& facts);
// "Key: value" lines; continuation lines of multi-line values indented.
std::string FactsText(const FileFacts& facts);

}  // namespace aldra::host
