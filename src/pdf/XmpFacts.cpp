#include "pdf/XmpFacts.h"

#include <algorithm>
#include <cstdint>

namespace aldra {

namespace {

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

// Element content behind a start tag with attributes of its own (`<rdf:li xml:lang="x-default">`);
// a tag that closes itself has none.
bool ContentBehindAttributes(std::string_view packet, size_t at, std::string* value) {
    const size_t close = packet.find('>', at);
    if (close == std::string_view::npos || packet[close - 1] == '/' ||
        packet.substr(at, close - at).find('<') != std::string_view::npos)
        return false;
    const size_t end = packet.find('<', close + 1);
    if (end == std::string_view::npos) return false;
    *value = Unescaped(packet.substr(close + 1, end - close - 1));
    return true;
}

// The value of the property `name` whose start lies at `at` (just behind its name) in the
// packet: element content up to the next tag, or an attribute's quoted text.
bool ValueBehind(std::string_view packet, size_t at, std::string* value) {
    if (at >= packet.size()) return false;
    if (packet[at] == '>') {
        const size_t end = packet.find('<', at + 1);
        if (end == std::string_view::npos) return false;
        *value = Unescaped(packet.substr(at + 1, end - at - 1));
        return true;
    }
    size_t i = at;
    while (i < packet.size() &&
           (packet[i] == ' ' || packet[i] == '\t' || packet[i] == '\r' || packet[i] == '\n'))
        ++i;
    if (i + 1 >= packet.size() || packet[i] != '=' || (packet[i + 1] != '"' && packet[i + 1] != '\''))
        return ContentBehindAttributes(packet, at, value);
    const size_t end = packet.find(packet[i + 1], i + 2);
    if (end == std::string_view::npos) return false;
    *value = Unescaped(packet.substr(i + 2, end - i - 2));
    return true;
}

// Whether the name stands at `at` as a whole name: an element's start or an attribute, not the
// end tag and not the tail of a longer name.
bool NameStandsAt(std::string_view packet, size_t at, size_t length) {
    if (at == 0) return false;
    const char before = packet[at - 1];
    if (before != '<' && before != ' ' && before != '\t' && before != '\r' && before != '\n') return false;
    const size_t behind = at + length;
    return behind < packet.size() &&
           (packet[behind] == '>' || packet[behind] == '=' || packet[behind] == ' ' ||
            packet[behind] == '\t' || packet[behind] == '\r' || packet[behind] == '\n');
}

// Every non-empty value of the property within the span, in order.
std::vector<std::string> ValuesOf(std::string_view span, std::string_view name) {
    std::vector<std::string> values;
    for (size_t hit = span.find(name); hit != std::string_view::npos && values.size() < kMostXmpListEntries;
         hit = span.find(name, hit + 1)) {
        std::string value;
        if (NameStandsAt(span, hit, name.size()) && ValueBehind(span, hit + name.size(), &value) &&
            !value.empty())
            values.push_back(std::move(value));
    }
    return values;
}

// The text between the first opening of the element and its end tag (empty when absent).
std::string_view ElementSpan(std::string_view packet, std::string_view name) {
    const std::string open = "<" + std::string(name);
    const std::string close = "</" + std::string(name) + ">";
    for (size_t at = packet.find(open); at != std::string_view::npos; at = packet.find(open, at + 1)) {
        if (!NameStandsAt(packet, at + 1, name.size())) continue;
        const size_t end = packet.find(close, at);
        if (end == std::string_view::npos) return {};
        return packet.substr(at + open.size(), end - at - open.size());
    }
    return {};
}

std::string FirstOf(std::vector<std::string> values) {
    return values.empty() ? std::string() : std::move(values.front());
}

}  // namespace

XmpFacts ReadXmpFacts(std::string_view packet) {
    XmpFacts facts;
    std::vector<std::string> creator = ValuesOf(packet, "xmp:CreatorTool");
    if (!creator.empty()) facts.creatorTool = creator.front();
    facts.fonts = ValuesOf(ElementSpan(packet, "xmpTPg:Fonts"), "stFnt:fontName");
    facts.swatches = ValuesOf(ElementSpan(packet, "xmpTPg:SwatchGroups"), "xmpG:swatchName");
    facts.plates = ValuesOf(ElementSpan(packet, "xmpTPg:PlateNames"), "rdf:li");
    facts.title = FirstOf(ValuesOf(ElementSpan(packet, "dc:title"), "rdf:li"));
    facts.description = FirstOf(ValuesOf(ElementSpan(packet, "dc:description"), "rdf:li"));
    facts.creators = ValuesOf(ElementSpan(packet, "dc:creator"), "rdf:li");
    facts.keywords = ValuesOf(ElementSpan(packet, "dc:subject"), "rdf:li");
    facts.rating = FirstOf(ValuesOf(packet, "xmp:Rating"));
    facts.createDate = FirstOf(ValuesOf(packet, "xmp:CreateDate"));
    facts.modifyDate = FirstOf(ValuesOf(packet, "xmp:ModifyDate"));
    return facts;
}

std::vector<std::string> XmpColours(const XmpFacts& facts) {
    std::vector<std::string> colours = facts.swatches;
    for (const std::string& plate : facts.plates) {
        if (std::find(colours.begin(), colours.end(), plate) == colours.end()) colours.push_back(plate);
    }
    return colours;
}

bool NamesIllustrator(std::string_view creatorTool) {
    return creatorTool.find("Illustrator") != std::string_view::npos;
}

}  // namespace aldra
