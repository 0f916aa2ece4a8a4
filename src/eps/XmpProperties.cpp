#include "eps/XmpProperties.h"

#include <algorithm>
#include <cstdint>

namespace aldra {

namespace {

constexpr std::string_view kDeclaration = "xmlns:";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

size_t SkipBlanks(std::string_view text, size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

// ---- Values as text --------------------------------------------------------------------------

void AppendUtf8(uint32_t code, std::string* out) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return;
    if (code < 0x80) {
        *out += static_cast<char>(code);
    } else if (code < 0x800) {
        *out += static_cast<char>(0xC0 | code >> 6);
        *out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out += static_cast<char>(0xE0 | code >> 12);
        *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | code >> 18);
        *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "&#65;", "&#x41;" or one of the five named references; false for anything else.
bool ResolveReference(std::string_view name, std::string* out) {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : kNamed) {
        if (name == entity) {
            *out += c;
            return true;
        }
    }
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 6) return false;
    uint32_t code = 0;
    for (char c : digits) {
        int d = c >= '0' && c <= '9'          ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
        if (d < 0) return false;
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    }
    AppendUtf8(code, out);
    return true;
}

std::string Unescaped(std::string_view raw) {
    std::string out;
    for (size_t i = 0; i < raw.size() && out.size() < kMostXmpValueBytes; ++i) {
        if (raw[i] == '&') {
            const size_t end = raw.find(';', i);
            if (end != std::string_view::npos && end - i <= 10 &&
                ResolveReference(raw.substr(i + 1, end - i - 1), &out)) {
                i = end;
                continue;
            }
        }
        out += raw[i];
    }
    if (out.size() > kMostXmpValueBytes) out.resize(kMostXmpValueBytes);
    // Leading and trailing blanks are layout, not part of the value.
    const size_t first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

// ---- Names and where their values begin --------------------------------------------------------

// Whether the name at `at` stands as a whole name: `<` before an element's start, a blank before an
// attribute; not an end tag and not the tail or the head of a longer name.
bool NameStandsAt(std::string_view text, size_t at, size_t length, bool* element) {
    if (at == 0) return false;
    const char before = text[at - 1];
    if (before != '<' && !IsBlank(before)) return false;
    const size_t behind = at + length;
    if (behind >= text.size()) return false;
    const char next = text[behind];
    *element = before == '<';
    return next == '>' || next == '=' || next == '/' || IsBlank(next);
}

// The value behind the name that ends at `at`: element content, behind the start tag's own
// attributes too (`<rdf:li xml:lang="x-default">`), or an attribute's quoted text. Only a value whose
// closing byte follows counts.
bool ValueOpens(std::string_view text, size_t at, bool element, XmpValueStart* value) {
    if (element) {
        // A "<" before the tag's end is the next tag: this one is damaged. Stopping there keeps a
        // packet of many damaged tags from being searched to its end once for each.
        const size_t close = text.find_first_of("<>", at);
        if (close == std::string_view::npos || text[close] != '>' || text[close - 1] == '/') return false;
        *value = {close + 1, '<'};
    } else {
        size_t i = SkipBlanks(text, at);
        if (i >= text.size() || text[i] != '=') return false;
        i = SkipBlanks(text, i + 1);
        if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return false;
        *value = {i + 1, text[i]};
    }
    return text.find(value->closing, value->begin) != std::string_view::npos;
}

std::string_view DeclaredName(std::string_view packet, size_t at) {
    size_t end = at;
    while (end < packet.size() && packet[end] != '=' && !IsBlank(packet[end]) && packet[end] != '>' &&
           packet[end] != '<' && packet[end] != '"' && packet[end] != '\'')
        ++end;
    return packet.substr(at, end - at);
}

}  // namespace

XmpProperties::XmpProperties(std::string_view packet) : packet_(packet) {
    for (size_t hit = packet.find(kDeclaration);
         hit != std::string_view::npos && declarations_.size() < kMostXmpDeclarations;
         hit = packet.find(kDeclaration, hit + 1)) {
        if (hit == 0 || !IsBlank(packet[hit - 1])) continue;
        const std::string_view prefix = DeclaredName(packet, hit + kDeclaration.size());
        size_t i = SkipBlanks(packet, hit + kDeclaration.size() + prefix.size());
        if (prefix.empty() || i >= packet.size() || packet[i] != '=') continue;
        i = SkipBlanks(packet, i + 1);
        if (i >= packet.size() || (packet[i] != '"' && packet[i] != '\'')) continue;
        const size_t end = packet.find(packet[i], i + 1);
        if (end == std::string_view::npos) break;
        declarations_.emplace_back(prefix, packet.substr(i + 1, end - i - 1));
    }
}

std::vector<std::string> XmpProperties::QualifiedNames(const XmpName& name) const {
    std::vector<std::string> names;
    for (const auto& [prefix, space] : declarations_) {
        if (space != name.space) continue;
        std::string qualified = std::string(prefix) + ":" + std::string(name.local);
        if (std::find(names.begin(), names.end(), qualified) == names.end()) names.push_back(qualified);
    }
    if (names.empty()) names.push_back(std::string(name.usualPrefix) + ":" + std::string(name.local));
    return names;
}

std::string_view XmpProperties::Element(std::string_view span, const XmpName& name) const {
    size_t first = std::string_view::npos;
    std::string firstName;
    for (const std::string& qualified : QualifiedNames(name)) {
        const std::string open = "<" + qualified;
        for (size_t at = span.find(open); at != std::string_view::npos && at < first;
             at = span.find(open, at + 1)) {
            bool element = false;
            if (!NameStandsAt(span, at + 1, qualified.size(), &element)) continue;
            first = at;
            firstName = qualified;
            break;
        }
    }
    if (first == std::string_view::npos) return {};
    const size_t begin = first + 1 + firstName.size();
    const size_t end = span.find("</" + firstName + ">", begin);
    if (end == std::string_view::npos) return {};
    return span.substr(begin, end - begin);
}

std::vector<XmpValueStart> XmpProperties::ValueStarts(std::string_view span, const XmpName& name,
                                                      size_t most) const {
    std::vector<XmpValueStart> starts;
    for (const std::string& qualified : QualifiedNames(name)) {
        size_t found = 0;
        for (size_t hit = span.find(qualified); hit != std::string_view::npos && found < most;
             hit = span.find(qualified, hit + 1)) {
            bool element = false;
            XmpValueStart value;
            if (!NameStandsAt(span, hit, qualified.size(), &element) ||
                !ValueOpens(span, hit + qualified.size(), element, &value))
                continue;
            starts.push_back(value);
            ++found;
        }
    }
    // A packet that uses two prefixes for one namespace gives its values in the order they stand.
    std::sort(starts.begin(), starts.end(),
              [](const XmpValueStart& a, const XmpValueStart& b) { return a.begin < b.begin; });
    if (starts.size() > most) starts.resize(most);
    return starts;
}

std::vector<std::string> XmpProperties::Values(std::string_view span, const XmpName& name) const {
    std::vector<std::string> values;
    for (const XmpValueStart& start : ValueStarts(span, name, kMostXmpListEntries)) {
        const size_t end = span.find(start.closing, start.begin);
        std::string value = Unescaped(span.substr(start.begin, end - start.begin));
        if (!value.empty()) values.push_back(std::move(value));
    }
    return values;
}

std::string XmpProperties::FirstValue(std::string_view span, const XmpName& name) const {
    std::vector<std::string> values = Values(span, name);
    return values.empty() ? std::string() : std::move(values.front());
}

}  // namespace aldra
