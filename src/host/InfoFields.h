// What `info` prints about a file, field by field: typed values for JSON (numbers with their unit in
// the name, lists as arrays, kinds and OPI systems named beside their numbers), the getters' exact
// answers for --raw, and the same fields as CSV cells or readable lines.
#pragma once
#include <string>
#include <vector>

#include "host/FilterHost.h"

namespace aldra::host {

struct InfoField;

// The fields a run prints, in order; the document's further facts follow them unless some were
// chosen by name.
struct FieldChoice {
    std::vector<const InfoField*> fields;
    std::vector<std::string> factNames;  // chosen facts, by the filter's names
    bool allFacts = true;
};

// Every field (or, with `raw`, those the getters answer) and every fact. `list` is "" for that or
// FIELD,... by either name of a field or fact; a name neither is refused with the message.
std::string ChooseFields(const std::string& list, bool raw, FieldChoice* choice);
// The names that ChooseFields takes, for messages and completion.
std::string FieldNamesText(bool raw);

// One JSON object for a file, without a line end; a file that failed carries its error instead.
std::string InfoJson(const FileFacts& facts, const FieldChoice& choice, bool raw);
// The same, appended to *out.
void AppendInfoJson(const FileFacts& facts, const FieldChoice& choice, bool raw, std::string* out);
// A CSV header and a row (RFC 4180, CRLF line ends); the last column is the error.
std::string InfoCsvHeader(const FieldChoice& choice, bool raw);
std::string InfoCsvRow(const FileFacts& facts, const FieldChoice& choice, bool raw);
// "Label: value" lines of an accepted file, safe for a terminal.
std::string InfoText(const FileFacts& facts, const FieldChoice& choice);

}  // namespace aldra::host
