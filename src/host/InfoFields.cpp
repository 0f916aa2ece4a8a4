#include "host/InfoFields.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>
#include <vector>

#include "host/Report.h"

namespace aldra::host {

namespace {

// A value as JSON types it: text, a number already written as JSON, or a list of texts, kept joined
// as the filter answers it and split where it is written.
struct InfoValue {
    enum class Type { Text, Number, List } type = Type::Text;
    std::string text;
};

InfoValue Text(const std::string& text) {
    return {InfoValue::Type::Text, text};
}
InfoValue Number(double value) {
    return {InfoValue::Type::Number, JsonNumber(value)};
}
InfoValue Integer(int32_t value) {
    return {InfoValue::Type::Number, std::to_string(value)};
}

// Lists come joined by line feeds, categories and notes by carriage returns; empty entries are none.
template <typename Take>
void ForEachLine(std::string_view joined, Take take) {
    size_t start = 0;
    for (size_t i = 0; i <= joined.size(); ++i) {
        if (i < joined.size() && joined[i] != '\r' && joined[i] != '\n') continue;
        if (i > start) take(joined.substr(start, i - start));
        if (i + 1 < joined.size() && joined[i] == '\r' && joined[i + 1] == '\n') ++i;
        start = i + 1;
    }
}

std::vector<std::string> SplitLines(const std::string& joined) {
    std::vector<std::string> lines;
    ForEachLine(joined, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

InfoValue List(const std::string& joined) {
    return {InfoValue::Type::List, joined};
}

// Notes are prose whose lines the filter joins with carriage returns; JSON readers expect line feeds.
InfoValue Prose(const std::string& text) {
    InfoValue prose{InfoValue::Type::Text, {}};
    ForEachLine(text, [&](std::string_view line) {
        if (!prose.text.empty()) prose.text += '\n';
        prose.text += line;
    });
    return prose;
}

// Points are the unit of the bounding box the inches came from: two decimals give them back, rounded
// as printf's "%.2f" rounds them.
InfoValue Points(double inches) {
    char text[400];  // the longest double in fixed notation with two decimals
    const auto [end, ec] = std::to_chars(
        text, text + sizeof text, std::isfinite(inches) ? inches * 72.0 : 0.0, std::chars_format::fixed, 2);
    std::string number(text, ec == std::errc() ? end : text);
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return {InfoValue::Type::Number, number == "-0" ? "0" : number};
}

const char* KindName(int32_t kind) {
    return kind == 1 ? "greyscale" : kind == 2 ? "colour" : "one-bit";
}

const char* EpsfTypeName(int32_t type) {
    return type == 1 ? "EPS" : type == 2 ? "DCS" : type == 3 ? "ICS" : "";
}

const char* OpiSystemName(int32_t system) {
    static const char* const kNames[] = {
        "",        "none",      "unknown",           "Helios EtherShare OPI", "Luminous Color Central",
        "4-Sight", "LinoPrint", "IPT GetThePicture", "NineBits PrintDesk"};
    return system >= 0 && system < static_cast<int32_t>(std::size(kNames)) ? kNames[system] : "";
}

using Getter = InfoValue (*)(const FileFacts&);

}  // namespace

struct InfoField {
    const char* name;     // as JSON and CSV name it
    const char* rawName;  // the getter's or property's name; null for a field only derived
    Getter value;
    Getter raw;        // the exact answer; null with rawName
    const char* unit;  // what text output writes after the number; null for none
};

namespace {

const std::vector<InfoField>& Fields() {
    using F = const FileFacts&;
    static const std::vector<InfoField> fields = {
        {"format", "Format", [](F f) { return Text(f.format); }, [](F f) { return Text(f.format); }, nullptr},
        {"default_extension", "DefaultExtension", [](F f) { return Text(f.defaultExtension); },
         [](F f) { return Text(f.defaultExtension); }, nullptr},
        {"width_in", "Width", [](F f) { return Number(f.width); }, [](F f) { return Number(f.width); }, "in"},
        {"height_in", "Height", [](F f) { return Number(f.height); }, [](F f) { return Number(f.height); },
         "in"},
        {"width_pt", nullptr, [](F f) { return Points(f.width); }, nullptr, "pt"},
        {"height_pt", nullptr, [](F f) { return Points(f.height); }, nullptr, "pt"},
        {"h_resolution_ppi", "HResolution", [](F f) { return Number(f.hResolution); },
         [](F f) { return Number(f.hResolution); }, "ppi"},
        {"v_resolution_ppi", "VResolution", [](F f) { return Number(f.vResolution); },
         [](F f) { return Number(f.vResolution); }, "ppi"},
        {"kind", "Kind", [](F f) { return Integer(f.kind); }, [](F f) { return Integer(f.kind); }, nullptr},
        {"kind_name", nullptr, [](F f) { return Text(KindName(f.kind)); }, nullptr, nullptr},
        {"creating_software", "CreatingSoftware", [](F f) { return Text(f.creatingSoftware); },
         [](F f) { return Text(f.creatingSoftware); }, nullptr},
        {"mac_type", "MacType", [](F f) { return Text(f.macType); }, [](F f) { return Text(f.macType); },
         nullptr},
        {"mac_signature", "MacSignature", [](F f) { return Text(f.macSignature); },
         [](F f) { return Text(f.macSignature); }, nullptr},
        {"image_name", "ImageName", [](F f) { return Text(f.imageName); },
         [](F f) { return Text(f.imageName); }, nullptr},
        {"user", "User", [](F f) { return Text(f.user); }, [](F f) { return Text(f.user); }, nullptr},
        {"categories", "Categories", [](F f) { return List(f.categories); },
         [](F f) { return Text(f.categories); }, nullptr},
        {"notes", "Notes", [](F f) { return Prose(f.notes); }, [](F f) { return Text(f.notes); }, nullptr},
        {"postscript_version", "PostScriptVersion", [](F f) { return Text(f.postScriptVersion); },
         [](F f) { return Text(f.postScriptVersion); }, nullptr},
        {"epsf_version", "EPSFVersion", [](F f) { return Text(f.epsfVersion); },
         [](F f) { return Text(f.epsfVersion); }, nullptr},
        {"epsf_type", "EPSFType", [](F f) { return Integer(f.epsfType); },
         [](F f) { return Integer(f.epsfType); }, nullptr},
        {"epsf_type_name", nullptr, [](F f) { return Text(EpsfTypeName(f.epsfType)); }, nullptr, nullptr},
        {"fonts", "Fonts", [](F f) { return List(f.fonts); }, [](F f) { return Text(f.fonts); }, nullptr},
        {"colors", "Colors", [](F f) { return List(f.colors); }, [](F f) { return Text(f.colors); }, nullptr},
        {"links", "Links", [](F f) { return List(f.links); }, [](F f) { return Text(f.links); }, nullptr},
        {"opi_system", "OPISystem", [](F f) { return Integer(f.opiSystem); },
         [](F f) { return Integer(f.opiSystem); }, nullptr},
        {"opi_system_name", nullptr, [](F f) { return Text(OpiSystemName(f.opiSystem)); }, nullptr, nullptr},
        {"opi_hires_file", "OPIHiResFileName", [](F f) { return Text(f.opiHiResFileName); },
         [](F f) { return Text(f.opiHiResFileName); }, nullptr},
    };
    return fields;
}

// The information interface's facts; the lists among them come one entry a line.
struct KnownFact {
    const char* name;
    bool list;
};
constexpr KnownFact kFacts[] = {
    {"Title", false},          {"CreationDate", false},  {"For", false},
    {"Creator", false},        {"Pages", false},         {"LanguageLevel", false},
    {"BoundingBox", false},    {"TrailerFonts", true},   {"TrailerColors", true},
    {"TrailerFiles", true},    {"XmpTitle", false},      {"XmpDescription", false},
    {"XmpCreator", true},      {"XmpKeywords", true},    {"XmpRating", false},
    {"XmpCreatorTool", false}, {"XmpCreateDate", false}, {"XmpModifyDate", false},
    {"IptcObjectName", false}, {"IptcHeadline", false},  {"IptcCaption", false},
    {"IptcByline", true},      {"IptcKeywords", true},
};

// "XmpCreateDate" as "xmp_create_date".
std::string SnakeName(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool upper = c >= 'A' && c <= 'Z';
        if (upper && i > 0 && !(name[i - 1] >= 'A' && name[i - 1] <= 'Z')) out += '_';
        out += upper ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// Made once: every fact of every file is looked up here.
const std::vector<std::string>& SnakeNames() {
    static const std::vector<std::string> snakeNames = [] {
        std::vector<std::string> names;
        for (const KnownFact& fact : kFacts) names.push_back(SnakeName(fact.name));
        return names;
    }();
    return snakeNames;
}

// The known fact of exactly this name; std::size(kFacts) for none.
size_t ExactFactIndex(std::string_view name) {
    static const auto names = [] {
        std::array<std::string_view, std::size(kFacts)> views;
        for (size_t i = 0; i < views.size(); ++i) views[i] = kFacts[i].name;
        return views;
    }();
    for (size_t i = 0; i < names.size(); ++i)
        if (name == names[i]) return i;
    return names.size();
}

// The filter answers the names as they stand, so those are tried first; no two facts' names differ
// only in case, and no snake name has a capital, so the first match is the same.
size_t FactIndex(const std::string& name) {
    if (const size_t exact = ExactFactIndex(name); exact < std::size(kFacts)) return exact;
    for (size_t i = 0; i < std::size(kFacts); ++i)
        if (strcasecmp(kFacts[i].name, name.c_str()) == 0 || SnakeNames()[i] == name) return i;
    return std::size(kFacts);
}

const KnownFact* FindFact(const std::string& name) {
    const size_t i = FactIndex(name);
    return i < std::size(kFacts) ? &kFacts[i] : nullptr;
}

InfoValue FactValue(const std::string& name, const std::string& value, bool raw) {
    if (raw) return Text(value);
    const KnownFact* fact = FindFact(name);
    return fact != nullptr && fact->list ? List(value) : Text(value);
}

// `,"name":` for every field in both namings, made once: each record writes all of them.
const std::string& JsonKey(const InfoField& field, bool raw) {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> made;
        for (const InfoField& f : Fields()) {
            made.push_back(std::string(",\"") + f.name + "\":");
            made.push_back(f.rawName != nullptr ? std::string(",\"") + f.rawName + "\":" : std::string());
        }
        return made;
    }();
    return keys[2 * static_cast<size_t>(&field - Fields().data()) + (raw ? 1 : 0)];
}

void AppendJsonValue(const InfoValue& value, std::string* out) {
    if (value.type == InfoValue::Type::Number) {
        *out += value.text;
    } else if (value.type == InfoValue::Type::Text) {
        AppendJsonString(value.text, out);
    } else {
        *out += '[';
        const size_t first = out->size();
        ForEachLine(value.text, [&](std::string_view entry) {
            if (out->size() > first) *out += ',';
            AppendJsonString(entry, out);
        });
        *out += ']';
    }
}

// Calls `take` with the name the output uses and the value of every fact chosen that the file has.
template <typename Take>
void ForEachChosenFact(const FileFacts& facts, const FieldChoice& choice, bool raw, Take take) {
    auto add = [&](const std::string& name, const std::string& value) {
        if (raw) return take(name, Text(value));
        // A name the filter answers is one of the known facts, found once for both its key and its type.
        const size_t i = ExactFactIndex(name);
        if (i == std::size(kFacts)) return take(SnakeName(name), FactValue(name, value, raw));
        take(SnakeNames()[i], kFacts[i].list ? List(value) : Text(value));
    };
    if (choice.allFacts) {
        for (const auto& [name, value] : facts.documentFacts) add(name, value);
        return;
    }
    for (const std::string& wanted : choice.factNames) {
        const std::string* value = nullptr;
        for (const auto& [name, v] : facts.documentFacts)
            if (name == wanted) value = &v;
        add(wanted, value != nullptr ? *value : std::string());
    }
}

std::vector<std::pair<std::string, InfoValue>> ChosenFacts(const FileFacts& facts, const FieldChoice& choice,
                                                           bool raw) {
    std::vector<std::pair<std::string, InfoValue>> out;
    ForEachChosenFact(facts, choice, raw, [&](std::string name, InfoValue value) {
        out.emplace_back(std::move(name), std::move(value));
    });
    return out;
}

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A cell's text: lines kept, every other control character and every byte that is not UTF-8 escaped.
std::string CsvText(const InfoValue& value) {
    if (value.type == InfoValue::Type::Number) return value.text;
    std::string out;
    for (const std::string& line : SplitLines(value.text))
        out += (out.empty() ? "" : value.type == InfoValue::Type::List ? "; " : "\n") + TerminalText(line);
    return out;
}

std::string FieldName(const InfoField& field, bool raw) {
    return raw ? field.rawName : field.name;
}

void AppendFileKeys(const FileFacts& facts, bool raw, std::string* out) {
    *out += raw ? "\"File\":" : "\"file\":";
    AppendJsonString(facts.path, out);
    std::string hex = NonUtf8Hex(facts.path);
    if (!hex.empty()) *out += std::string(raw ? ",\"FileBytes\":\"" : ",\"file_bytes\":\"") + hex + "\"";
}

}  // namespace

std::string ChooseFields(const std::string& list, bool raw, FieldChoice* choice) {
    *choice = {};
    if (list.empty()) {
        for (const InfoField& field : Fields())
            if (!raw || field.rawName != nullptr) choice->fields.push_back(&field);
        return {};
    }
    choice->allFacts = false;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = std::min(list.find(',', start), list.size());
        std::string name = list.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == "file" || strcasecmp(name.c_str(), "File") == 0) continue;
        const InfoField* found = nullptr;
        for (const InfoField& field : Fields())
            if (name == field.name ||
                (field.rawName != nullptr && strcasecmp(name.c_str(), field.rawName) == 0))
                found = &field;
        if (found != nullptr && raw && found->rawName == nullptr)
            return "the field '" + name + "' is not a getter's answer (--raw gives only those)";
        // A field named twice is printed once: JSON keys must be unique.
        if (found != nullptr) {
            if (std::find(choice->fields.begin(), choice->fields.end(), found) == choice->fields.end())
                choice->fields.push_back(found);
        } else if (const KnownFact* fact = FindFact(name)) {
            if (std::find(choice->factNames.begin(), choice->factNames.end(), fact->name) ==
                choice->factNames.end())
                choice->factNames.push_back(fact->name);
        } else {
            return "unknown field '" + name + "' (the fields are " + FieldNamesText(raw) + ")";
        }
    }
    return {};
}

std::string FieldNamesText(bool raw) {
    std::string out;
    for (const InfoField& field : Fields())
        if (!raw || field.rawName != nullptr) out += (out.empty() ? "" : ",") + FieldName(field, raw);
    for (const KnownFact& fact : kFacts) out += "," + (raw ? std::string(fact.name) : SnakeName(fact.name));
    return out;
}

std::string InfoJson(const FileFacts& facts, const FieldChoice& choice, bool raw) {
    std::string out;
    AppendInfoJson(facts, choice, raw, &out);
    return out;
}

void AppendInfoJson(const FileFacts& facts, const FieldChoice& choice, bool raw, std::string* out) {
    *out += '{';
    AppendFileKeys(facts, raw, out);
    if (facts.status != FileStatus::Accepted) {
        *out += raw ? ",\"Error\":{\"Code\":" : ",\"error\":{\"code\":";
        *out += std::to_string(facts.errorCode);
        *out += raw ? ",\"Message\":" : ",\"message\":";
        AppendJsonString(facts.errorMessage, out);
        *out += "}}";
        return;
    }
    for (const InfoField* field : choice.fields) {
        *out += JsonKey(*field, raw);
        AppendJsonValue(raw ? field->raw(facts) : field->value(facts), out);
    }
    ForEachChosenFact(facts, choice, raw, [&](const std::string& name, const InfoValue& value) {
        *out += ',';
        AppendJsonString(name, out);
        *out += ':';
        AppendJsonValue(value, out);
    });
    *out += '}';
}

std::string InfoCsvHeader(const FieldChoice& choice, bool raw) {
    std::string out = raw ? "File" : "file";
    for (const InfoField* field : choice.fields) out += "," + FieldName(*field, raw);
    if (!choice.allFacts)
        for (const std::string& name : choice.factNames) out += "," + (raw ? name : SnakeName(name));
    return out + (raw ? ",Error\r\n" : ",error\r\n");
}

std::string InfoCsvRow(const FileFacts& facts, const FieldChoice& choice, bool raw) {
    std::string out = CsvCell(TerminalText(facts.path));
    bool accepted = facts.status == FileStatus::Accepted;
    for (const InfoField* field : choice.fields)
        out += "," +
               (accepted ? CsvCell(CsvText(raw ? field->raw(facts) : field->value(facts))) : std::string());
    if (!choice.allFacts) {
        for (const auto& [name, value] : ChosenFacts(facts, choice, raw))
            out += "," + (accepted ? CsvCell(CsvText(value)) : std::string());
    }
    return out + "," + (accepted ? std::string() : CsvCell(TerminalText(facts.errorMessage))) + "\r\n";
}

std::string InfoText(const FileFacts& facts, const FieldChoice& choice) {
    auto text = [](const InfoValue& value) {
        if (value.type == InfoValue::Type::Number) return value.text;
        std::string out;
        for (const std::string& line : SplitLines(value.text))
            out += (out.empty() ? "" : "\n    ") + TerminalText(line);
        return out;
    };
    std::string out = "File: " + TerminalText(facts.path) + "\n";
    for (const InfoField* field : choice.fields) {
        // Readable lines give the getters' names and say the unit and the name beside a number.
        if (choice.allFacts && field->rawName == nullptr) continue;
        std::string value = text(field->value(facts));
        if (field->unit != nullptr) value += std::string(" ") + field->unit;
        if (std::string(field->name) == "kind") value += std::string(" (") + KindName(facts.kind) + ")";
        if (std::string(field->name) == "opi_system" && facts.opiSystem > 0)
            value += std::string(" (") + OpiSystemName(facts.opiSystem) + ")";
        out += std::string(field->rawName != nullptr ? field->rawName : field->name) + ": " + value + "\n";
    }
    for (const auto& [name, value] : ChosenFacts(facts, choice, true))
        out += TerminalText(name) + ": " + text(FactValue(name, value.text, false)) + "\n";
    return out;
}

}  // namespace aldra::host
