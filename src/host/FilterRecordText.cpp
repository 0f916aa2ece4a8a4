#include "host/FilterRecordText.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>
#include <variant>

namespace aldra::host {

namespace {

using TextField = std::string FileFacts::*;
using NumberField = double FileFacts::*;
using LongField = int32_t FileFacts::*;

struct RecordField {
    std::string_view name;
    std::variant<TextField, NumberField, LongField> field;
};

// The getters by their dispatch names.
const RecordField kRecordFields[] = {
    {"GetDefaultExtension", &FileFacts::defaultExtension},
    {"InfoGetWidth", &FileFacts::width},
    {"InfoGetHeight", &FileFacts::height},
    {"InfoGetHResolution", &FileFacts::hResolution},
    {"InfoGetVResolution", &FileFacts::vResolution},
    {"InfoGetKind", &FileFacts::kind},
    {"InfoGetCreatingSoftware", &FileFacts::creatingSoftware},
    {"InfoGetMacType", &FileFacts::macType},
    {"InfoGetMacSignature", &FileFacts::macSignature},
    {"InfoGetImageName", &FileFacts::imageName},
    {"InfoGetUser", &FileFacts::user},
    {"InfoGetCategories", &FileFacts::categories},
    {"InfoGetNotes", &FileFacts::notes},
    {"PostScriptVersion", &FileFacts::postScriptVersion},
    {"EPSFVersion", &FileFacts::epsfVersion},
    {"EPSFType", &FileFacts::epsfType},
    {"Fonts", &FileFacts::fonts},
    {"Colors", &FileFacts::colors},
    {"Links", &FileFacts::links},
    {"OPISystem", &FileFacts::opiSystem},
    {"OPIHiResFileName", &FileFacts::opiHiResFileName},
};

constexpr std::string_view kFactPrefix = "Fact:";

// The getters answer single-precision numbers; read back as one, the value is theirs to the bit.
double FloatOf(const std::string& text) {
    float value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

int32_t LongOf(const std::string& text) {
    int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void SetField(const RecordField& entry, std::string value, FileFacts* facts) {
    if (const TextField* text = std::get_if<TextField>(&entry.field)) {
        facts->*(*text) = std::move(value);
    } else if (const NumberField* number = std::get_if<NumberField>(&entry.field)) {
        facts->*(*number) = FloatOf(value);
    } else {
        facts->*std::get<LongField>(entry.field) = LongOf(value);
    }
}

// The value from *pos to the end of its line, escapes undone; *pos ends past the line's end. Copied in
// runs between escapes, since most values have none.
std::string ValueAt(std::string_view text, size_t* pos) {
    const size_t end = std::min(text.find('\n', *pos), text.size());
    std::string value;
    value.reserve(end - *pos);
    while (*pos < end) {
        const size_t escape = std::min(text.find('\\', *pos), end);
        value.append(text.substr(*pos, escape - *pos));
        if (escape == end) break;
        if (escape + 1 == end) {  // a lone backslash at the end stands for itself
            value.push_back('\\');
            break;
        }
        const char letter = text[escape + 1];
        value.push_back(letter == 't' ? '\t' : letter == 'r' ? '\r' : letter == 'n' ? '\n' : letter);
        *pos = escape + 2;
    }
    *pos = end + 1;
    return value;
}

// The getter's field, or null for a name the host does not know. A filter lists the getters in the
// table's order, so the search starts behind the last one found.
const RecordField* FieldNamed(std::string_view name, size_t* next) {
    constexpr size_t kCount = std::size(kRecordFields);
    for (size_t i = 0; i < kCount; ++i) {
        const RecordField& field = kRecordFields[(*next + i) % kCount];
        if (field.name != name) continue;
        *next = (*next + i + 1) % kCount;
        return &field;
    }
    return nullptr;
}

}  // namespace

void TakeRecord(std::string_view text, FileFacts* facts) {
    size_t pos = 0, next = 0;
    while (pos < text.size()) {
        const size_t tab = text.find('\t', pos);
        if (tab == std::string_view::npos) return;
        if (const size_t lineEnd = text.find('\n', pos); lineEnd < tab) {  // a line without a value
            pos = lineEnd + 1;
            continue;
        }
        const std::string_view name = text.substr(pos, tab - pos);
        pos = tab + 1;
        std::string value = ValueAt(text, &pos);
        if (name.starts_with(kFactPrefix)) {
            facts->documentFacts.emplace_back(std::string(name.substr(kFactPrefix.size())), std::move(value));
            continue;
        }
        if (const RecordField* field = FieldNamed(name, &next)) SetField(*field, std::move(value), facts);
    }
}

}  // namespace aldra::host
