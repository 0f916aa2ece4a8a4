// How the host prints what it learnt about a file: as JSON objects (one a line) or as readable text.
#pragma once
#include <string>
#include <string_view>

#include "host/FilterHost.h"

namespace aldra::host {

// A JSON string literal for UTF-8 text: quotes, backslashes and control characters escaped; bytes that
// are not valid UTF-8 become U+FFFD so the output always parses.
std::string JsonString(std::string_view utf8);
// The shortest text that reads back as the same float; "0" for non-finite values.
std::string JsonNumber(double value);

// The keys File, Format, DefaultExtension, ... OPIHiResFileName for an accepted file, File and
// Error {Code, Message} otherwise. No line end.
std::string FactsJson(const FileFacts& facts);
// "Key: value" lines; continuation lines of multi-line values indented.
std::string FactsText(const FileFacts& facts);

}  // namespace aldra::host
