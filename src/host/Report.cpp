#include "host/Report.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace aldra::host {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    uint8_t lead = byte(i);
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
    if (length == 0 || i + length > s.size()) return 0;
    uint32_t point = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and points beyond Unicode are not text.
    static constexpr uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kMinimum[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

struct Field {
    const char* key;
    std::string json;
};

bool IsUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t length = Utf8SequenceLength(s, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// The path's bytes, two hexadecimal digits each, for a path JSON cannot carry as text.
std::string FileBytesField(const std::string& path) {
    std::string hex = NonUtf8Hex(path);
    return hex.empty() ? hex : ",\"FileBytes\":\"" + hex + '"';
}

void AppendEscape(unsigned char c, std::string* out) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
    *out += escaped;
}

std::vector<Field> AcceptedFields(const FileFacts& f) {
    return {
        {"File", JsonString(f.path)},
        {"Format", JsonString(f.format)},
        {"DefaultExtension", JsonString(f.defaultExtension)},
        {"Width", JsonNumber(f.width)},
        {"Height", JsonNumber(f.height)},
        {"HResolution", JsonNumber(f.hResolution)},
        {"VResolution", JsonNumber(f.vResolution)},
        {"Kind", std::to_string(f.kind)},
        {"CreatingSoftware", JsonString(f.creatingSoftware)},
        {"MacType", JsonString(f.macType)},
        {"MacSignature", JsonString(f.macSignature)},
        {"ImageName", JsonString(f.imageName)},
        {"User", JsonString(f.user)},
        {"Categories", JsonString(f.categories)},
        {"Notes", JsonString(f.notes)},
        {"PostScriptVersion", JsonString(f.postScriptVersion)},
        {"EPSFVersion", JsonString(f.epsfVersion)},
        {"EPSFType", std::to_string(f.epsfType)},
        {"Fonts", JsonString(f.fonts)},
        {"Colors", JsonString(f.colors)},
        {"Links", JsonString(f.links)},
        {"OPISystem", std::to_string(f.opiSystem)},
        {"OPIHiResFileName", JsonString(f.opiHiResFileName)},
    };
}

}  // namespace

namespace {
// Printable ASCII that JSON takes as it is: most of every text, copied a run at a time.
size_t PlainRun(std::string_view s, size_t i) {
    size_t end = i;
    while (end < s.size()) {
        auto c = static_cast<unsigned char>(s[end]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') break;
        ++end;
    }
    return end - i;
}
}  // namespace

std::string JsonString(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    AppendJsonString(utf8, &out);
    return out;
}

void AppendJsonString(std::string_view utf8, std::string* to) {
    std::string& out = *to;
    out += '"';
    for (size_t i = 0; i < utf8.size();) {
        if (size_t plain = PlainRun(utf8, i); plain > 0) {
            out.append(utf8.substr(i, plain));
            i += plain;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t length = Utf8SequenceLength(utf8, i);
        if (length == 0) {
            out += '\\';  // JSON's escape for the backslash of \xNN
            AppendEscape(c, &out);
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(utf8.substr(i, length));
            i += length;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++i;
    }
    out += '"';
}

std::string NonUtf8Hex(std::string_view bytes) {
    if (IsUtf8(bytes)) return {};
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "0";
    // The filter answers floats; printing the float's own shortest form keeps 0.1f as 0.1.
    float narrow = static_cast<float>(value);
    char text[32];
    auto [end, ec] = std::isfinite(narrow) && static_cast<double>(narrow) == value
                         ? std::to_chars(text, text + sizeof text, narrow)
                         : std::to_chars(text, text + sizeof text, value);
    if (ec != std::errc()) return "0";
    return std::string(text, end);
}

std::string TerminalText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        size_t length = Utf8SequenceLength(utf8, i);
        // U+0080 to U+009F are the C1 controls: CSI among them starts escape sequences too.
        bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0;
        if (length == 0 || (length == 1 && ((c < 0x20 && c != '\t') || c == 0x7F)) || c1) {
            for (size_t k = 0; k < (c1 ? 2 : 1); ++k)
                AppendEscape(static_cast<unsigned char>(utf8[i + k]), &out);
            i += c1 ? 2 : 1;
            continue;
        }
        out.append(utf8.substr(i, length));
        i += length;
    }
    return out;
}

std::string FactsJson(const FileFacts& facts) {
    std::string out = "{";
    if (facts.status == FileStatus::Accepted) {
        bool first = true;
        // The keys are plain names that need no escaping; appended in place, a record costs no
        // temporary strings.
        for (const Field& field : AcceptedFields(facts)) {
            if (!first) out += ',';
            first = false;
            out += '"';
            out += field.key;
            out += "\":";
            out += field.json;
            if (std::string_view(field.key) == "File") out += FileBytesField(facts.path);
        }
        for (const auto& [name, value] : facts.documentFacts)
            out += "," + JsonString(name) + ":" + JsonString(value);
    } else {
        out += "\"File\":" + JsonString(facts.path) + FileBytesField(facts.path) +
               ",\"Error\":{\"Code\":" + std::to_string(facts.errorCode) +
               ",\"Message\":" + JsonString(facts.errorMessage) + "}";
    }
    out += '}';
    return out;
}

std::string DocumentFactsJson(const FileFacts& facts) {
    std::string out = "{";
    for (const auto& [name, value] : facts.documentFacts)
        out += (out.size() > 1 ? "," : "") + JsonString(name) + ":" + JsonString(value);
    return out + "}";
}

std::string FactsText(const FileFacts& facts) {
    if (facts.status != FileStatus::Accepted) {
        return "File: " + TerminalText(facts.path) + "\nError: " + TerminalText(facts.errorMessage) +
               (facts.errorCode != 0 ? " (code " + std::to_string(facts.errorCode) + ")" : "") + "\n";
    }
    auto text = [](const std::string& value) {
        // Lists come joined by line feeds, categories and notes by carriage returns.
        std::string out;
        size_t start = 0;
        for (size_t i = 0; i <= value.size(); ++i) {
            if (i < value.size() && value[i] != '\r' && value[i] != '\n') continue;
            out += TerminalText(std::string_view(value).substr(start, i - start));
            if (i == value.size()) break;
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
            out += "\n    ";
            start = i + 1;
        }
        return out;
    };
    std::vector<std::pair<const char*, std::string>> lines = {
        {"File", TerminalText(facts.path)},
        {"Format", text(facts.format)},
        {"DefaultExtension", text(facts.defaultExtension)},
        {"Width", JsonNumber(facts.width) + " in"},
        {"Height", JsonNumber(facts.height) + " in"},
        {"HResolution", JsonNumber(facts.hResolution) + " ppi"},
        {"VResolution", JsonNumber(facts.vResolution) + " ppi"},
        {"Kind", std::to_string(facts.kind) + (facts.kind == 1   ? " (greyscale)"
                                               : facts.kind == 2 ? " (colour)"
                                                                 : " (one bit or unknown)")},
        {"CreatingSoftware", text(facts.creatingSoftware)},
        {"MacType", text(facts.macType)},
        {"MacSignature", text(facts.macSignature)},
        {"ImageName", text(facts.imageName)},
        {"User", text(facts.user)},
        {"Categories", text(facts.categories)},
        {"Notes", text(facts.notes)},
        {"PostScriptVersion", text(facts.postScriptVersion)},
        {"EPSFVersion", text(facts.epsfVersion)},
        {"EPSFType", std::to_string(facts.epsfType)},
        {"Fonts", text(facts.fonts)},
        {"Colors", text(facts.colors)},
        {"Links", text(facts.links)},
        {"OPISystem", std::to_string(facts.opiSystem)},
        {"OPIHiResFileName", text(facts.opiHiResFileName)},
    };
    std::string out;
    for (const auto& [key, value] : lines) out += std::string(key) + ": " + value + "\n";
    for (const auto& [name, value] : facts.documentFacts)
        out += TerminalText(name) + ": " + text(value) + "\n";
    return out;
}

}  // namespace aldra::host
