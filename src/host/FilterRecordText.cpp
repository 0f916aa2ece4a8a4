#include "host/FilterRecordText.h"

#include <charconv>
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

// The value from *pos to the end of its line, escapes undone; *pos ends past the line's end.
std::string ValueAt(std::string_view text, size_t* pos) {
    std::string value;
    while (*pos < text.size() && text[*pos] != '\n') {
        char c = text[(*pos)++];
        if (c == '\\' && *pos < text.size()) {
            const char escaped = text[(*pos)++];
            c = escaped == 't' ? '\t' : escaped == 'r' ? '\r' : escaped == 'n' ? '\n' : escaped;
        }
        value.push_back(c);
    }
    ++*pos;
    return value;
}

}  // namespace

void TakeRecord(std::string_view text, FileFacts* facts) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t tab = text.find('\t', pos);
        if (tab == std::string_view::npos) return;
        const std::string_view name = text.substr(pos, tab - pos);
        pos = tab + 1;
        std::string value = ValueAt(text, &pos);
        if (name.starts_with(kFactPrefix)) {
            facts->documentFacts.emplace_back(std::string(name.substr(kFactPrefix.size())), std::move(value));
            continue;
        }
        for (const RecordField& entry : kRecordFields) {
            if (entry.name == name) SetField(entry, std::move(value), facts);
        }
    }
}

}  // namespace aldra::host
