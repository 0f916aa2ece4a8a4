#include "host/FilterRecordText.h"

#include "aldra/DispIds.h"

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
    bool property = false;  // read with a property get; the others are methods
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
    {"PostScriptVersion", &FileFacts::postScriptVersion, true},
    {"EPSFVersion", &FileFacts::epsfVersion, true},
    {"EPSFType", &FileFacts::epsfType, true},
    {"Fonts", &FileFacts::fonts, true},
    {"Colors", &FileFacts::colors, true},
    {"Links", &FileFacts::links, true},
    {"OPISystem", &FileFacts::opiSystem, true},
    {"OPIHiResFileName", &FileFacts::opiHiResFileName, true},
};

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

// A value with its escapes undone, copied in runs between them, since most values have none.
std::string Unescaped(std::string_view escaped) {
    std::string value;
    value.reserve(escaped.size());
    size_t pos = 0;
    while (pos < escaped.size()) {
        const size_t escape = std::min(escaped.find('\\', pos), escaped.size());
        value.append(escaped.substr(pos, escape - pos));
        if (escape + 1 >= escaped.size()) {  // the end, or a lone backslash there, which stands for itself
            if (escape < escaped.size()) value.push_back('\\');
            break;
        }
        const char letter = escaped[escape + 1];
        value.push_back(letter == 't' ? '\t' : letter == 'r' ? '\r' : letter == 'n' ? '\n' : letter);
        pos = escape + 2;
    }
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

// The getter's answer to the call, into its field.
void SetFieldFrom(const RecordField& entry, const Answer& answer, FileFacts* facts) {
    if (const TextField* text = std::get_if<TextField>(&entry.field)) {
        facts->*(*text) = answer.Text();
    } else if (const NumberField* number = std::get_if<NumberField>(&entry.field)) {
        facts->*(*number) = answer.Number();
    } else {
        facts->*std::get<LongField>(entry.field) = answer.Long();
    }
}

}  // namespace

void ReadGetters(FilterControl& control, FileFacts* facts) {
    for (const RecordField& entry : kRecordFields) {
        SetFieldFrom(entry, entry.property ? control.Get(entry.name) : control.Call(entry.name), facts);
    }
}

void TakeRecord(std::string_view text, FileFacts* facts) {
    size_t next = 0;
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, tab);
        std::string value = Unescaped(line.substr(tab + 1));
        if (name.starts_with(kRecordFactPrefix)) {
            facts->documentFacts.emplace_back(std::string(name.substr(kRecordFactPrefix.size())),
                                              std::move(value));
        } else if (const RecordField* field = FieldNamed(name, &next)) {
            SetField(*field, std::move(value), facts);
        }
    }
}

}  // namespace aldra::host
