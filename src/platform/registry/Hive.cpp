#include "platform/registry/Hive.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "base/Bytes.h"

namespace aldra {

namespace {

constexpr uint32_t kString = 1;
constexpr uint32_t kDword = 4;
constexpr const char kHexDigits[] = "0123456789abcdef";

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsChildPath(std::string_view parent, std::string_view path) {
    if (parent.empty()) return !path.empty();
    return path.size() > parent.size() + 1 && path[parent.size()] == '\\' &&
           NamesEqual(path.substr(0, parent.size()), parent);
}

std::string_view ParentOf(std::string_view path) {
    size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// Text that a quoted REGEDIT4 string can carry; anything else is written as hex(1).
bool Quotable(std::string_view data) {
    for (unsigned char c : data) {
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string HexBytes(std::string_view data) {
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) out += ',';
        auto byte = static_cast<unsigned char>(data[i]);
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 15];
    }
    return out;
}

std::string FormatData(const HiveValue& value) {
    if (value.type == kString && Quotable(value.data)) return Quoted(value.data);
    if (value.type == kDword && value.data.size() == 4) {
        uint32_t v = LoadLe32(reinterpret_cast<const uint8_t*>(value.data.data()));
        char text[16];
        for (int i = 7; i >= 0; --i, v >>= 4) text[i] = kHexDigits[v & 15];
        return "dword:" + std::string(text, 8);
    }
    // The type in hex(...) is hexadecimal, as regedit writes it and ParseHexType reads it.
    std::string type;
    for (uint32_t v = value.type; type.empty() || v != 0; v >>= 4)
        type.insert(type.begin(), kHexDigits[v & 15]);
    std::string prefix = value.type == 3 ? "hex:" : "hex(" + type + "):";
    // A REG_SZ in hex form carries its terminating zero, as regedit writes it.
    std::string bytes = value.data;
    if (value.type == kString || value.type == 2) bytes += '\0';
    return prefix + HexBytes(bytes);
}

bool TooDeep(std::string_view path) {
    return !path.empty() && static_cast<size_t>(std::count(path.begin(), path.end(), '\\')) >= kMaxKeyDepth;
}

// A cursor over one logical line (continuations already joined).
struct LineCursor {
    std::string_view text;
    size_t at = 0;
    bool Take(char c) {
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    bool TakeWord(std::string_view word) {
        if (text.substr(at, word.size()) != word) return false;
        at += word.size();
        return true;
    }
    bool AtEnd() const { return at == text.size(); }
};

bool ParseQuoted(LineCursor* cursor, std::string* out) {
    if (!cursor->Take('"')) return false;
    out->clear();
    while (cursor->at < cursor->text.size()) {
        char c = cursor->text[cursor->at++];
        if (c == '"') return true;
        if (c == '\\') {
            if (cursor->at >= cursor->text.size()) return false;
            c = cursor->text[cursor->at++];
            if (c != '\\' && c != '"') return false;
        }
        *out += c;
    }
    return false;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseHexList(LineCursor* cursor, std::string* out) {
    out->clear();
    std::string_view rest = cursor->text.substr(cursor->at);
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    };
    while (i < rest.size()) {
        skipBlanks();
        if (i + 1 >= rest.size()) return false;
        int high = HexValue(rest[i]);
        int low = HexValue(rest[i + 1]);
        if (high < 0 || low < 0) return false;
        *out += static_cast<char>(high * 16 + low);
        i += 2;
        skipBlanks();
        if (i == rest.size()) break;
        if (rest[i++] != ',') return false;
        // A comma promises another byte: a list that ends in one was cut short.
        skipBlanks();
        if (i == rest.size()) return false;
    }
    cursor->at = cursor->text.size();
    return true;
}

bool ParseDword(LineCursor* cursor, std::string* out) {
    std::string_view digits = cursor->text.substr(cursor->at);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t v = 0;
    for (char c : digits) {
        int d = HexValue(c);
        if (d < 0) return false;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    out->assign(4, '\0');
    for (int i = 0; i < 4; ++i) (*out)[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    cursor->at = cursor->text.size();
    return true;
}

bool ParseHexType(LineCursor* cursor, uint32_t* type) {
    if (cursor->TakeWord("hex:")) {
        *type = 3;
        return true;
    }
    if (!cursor->TakeWord("hex(")) return false;
    uint32_t value = 0;
    int digits = 0;
    while (cursor->at < cursor->text.size() && HexValue(cursor->text[cursor->at]) >= 0 && digits < 8) {
        value = value * 16 + static_cast<uint32_t>(HexValue(cursor->text[cursor->at++]));
        ++digits;
    }
    if (digits == 0 || !cursor->TakeWord("):")) return false;
    *type = value;
    return true;
}

bool ParseValueLine(std::string_view line, HiveValue* value) {
    LineCursor cursor{line};
    if (cursor.Take('@')) {
        value->name.clear();
    } else if (!ParseQuoted(&cursor, &value->name)) {
        return false;
    }
    if (!cursor.Take('=')) return false;
    if (cursor.text.substr(cursor.at, 1) == "\"") {
        value->type = kString;
        return ParseQuoted(&cursor, &value->data) && cursor.AtEnd();
    }
    if (cursor.TakeWord("dword:")) {
        value->type = kDword;
        return ParseDword(&cursor, &value->data);
    }
    if (!ParseHexType(&cursor, &value->type) || !ParseHexList(&cursor, &value->data)) return false;
    // Strings in hex form end in their terminating zero, which the hive does not keep.
    if ((value->type == kString || value->type == 2) && !value->data.empty() && value->data.back() == '\0')
        value->data.pop_back();
    if (value->type == kDword && value->data.size() != 4) return false;
    return true;
}

// The key path of a "[ROOT\\a\\b]" line, or false for another root or a malformed line.
bool ParseSection(std::string_view line, std::string_view rootName, std::string* path) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
    std::string_view full = line.substr(1, line.size() - 2);
    if (!NamesEqual(full.substr(0, rootName.size()), rootName)) return false;
    std::string_view rest = full.substr(rootName.size());
    if (!rest.empty() && rest.front() != '\\') return false;
    if (!rest.empty()) rest.remove_prefix(1);
    if (!ValidKeyPath(rest) || (rest.empty() && full.size() != rootName.size())) return false;
    *path = rest;
    return true;
}

// A hex list that regedit wrapped: the line ends in a backslash and the data began as hex.
bool ContinuesHexList(std::string_view line, bool inContinuation) {
    if (line.empty() || line.back() != '\\') return false;
    return inContinuation || line.find("=hex:") != std::string_view::npos ||
           line.find("=hex(") != std::string_view::npos;
}

// Splits the text into logical lines: line ends are LF or CRLF, and wrapped hex lists are joined.
std::vector<std::string> LogicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    bool inContinuation = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (inContinuation) {
            size_t lead = line.find_first_not_of(" \t");
            line = lead == std::string_view::npos ? std::string_view() : line.substr(lead);
        }
        if (ContinuesHexList(line, inContinuation)) {
            current += line.substr(0, line.size() - 1);
            inContinuation = true;
            continue;
        }
        current += line;
        lines.push_back(std::move(current));
        current.clear();
        inContinuation = false;
    }
    if (inContinuation) lines.push_back(std::move(current));
    return lines;
}

}  // namespace

bool ValidKeyPath(std::string_view path) {
    if (path.empty()) return true;
    if (path.front() == '\\' || path.back() == '\\') return false;
    return path.find("\\\\") == std::string_view::npos;
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

const HiveKey* FindKey(const Hive* hive, std::string_view path) {
    for (const HiveKey& key : hive->keys) {
        if (NamesEqual(key.path, path)) return &key;
    }
    return nullptr;
}

HiveKey* FindKey(Hive* hive, std::string_view path) {
    return const_cast<HiveKey*>(FindKey(static_cast<const Hive*>(hive), path));
}

const HiveValue* FindValue(const HiveKey* key, std::string_view name) {
    for (const HiveValue& value : key->values) {
        if (NamesEqual(value.name, name)) return &value;
    }
    return nullptr;
}

HiveValue* FindValue(HiveKey* key, std::string_view name) {
    return const_cast<HiveValue*>(FindValue(static_cast<const HiveKey*>(key), name));
}

std::vector<std::string> ChildNames(const Hive& hive, std::string_view path) {
    std::vector<std::string> names;
    for (const HiveKey& key : hive.keys) {
        if (!IsChildPath(path, key.path)) continue;
        std::string_view name = std::string_view(key.path).substr(path.empty() ? 0 : path.size() + 1);
        if (name.find('\\') == std::string_view::npos) names.emplace_back(name);
    }
    return names;
}

HiveKey* CreateKey(Hive* hive, std::string_view path, bool* created) {
    if (created) *created = false;
    if (HiveKey* existing = FindKey(hive, path)) return existing;
    if (TooDeep(path)) return nullptr;
    CreateKey(hive, ParentOf(path), nullptr);
    hive->keys.push_back(HiveKey{std::string(path), {}});
    if (created) *created = true;
    return &hive->keys.back();
}

void RemoveTree(Hive* hive, std::string_view path, bool keepKey) {
    std::string target(path);
    std::vector<HiveKey> kept;
    kept.reserve(hive->keys.size());
    for (HiveKey& key : hive->keys) {
        bool isTarget = NamesEqual(key.path, target);
        if (IsChildPath(target, key.path) || (isTarget && !keepKey && !target.empty())) continue;
        if (isTarget) key.values.clear();
        kept.push_back(std::move(key));
    }
    hive->keys = std::move(kept);
}

namespace {

using KeyIndex = std::unordered_map<std::string, size_t>;

std::string LowerPath(std::string_view path) {
    std::string lower(path);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
}

// CreateKey through an index of the keys by their path in lower case: searching every key for each
// section and each of its ancestors made a hive of a few thousand deep keys take minutes to parse.
size_t CreateIndexedKey(Hive* hive, KeyIndex* index, std::string_view path) {
    std::string lower = LowerPath(path);
    auto found = index->find(lower);
    if (found != index->end()) return found->second;
    CreateIndexedKey(hive, index, ParentOf(path));  // as deep as the path, which the caller checked
    hive->keys.push_back(HiveKey{std::string(path), {}});
    index->emplace(std::move(lower), hive->keys.size() - 1);
    return hive->keys.size() - 1;
}

// The values of the key being parsed by name in lower case, for the same reason: a section of many
// thousand values would be searched once for each of them.
using ValueIndex = std::unordered_map<std::string, size_t>;

void SetParsedValue(HiveKey* key, ValueIndex* index, HiveValue value) {
    auto [found, added] = index->emplace(LowerPath(value.name), key->values.size());
    if (added) {
        key->values.push_back(std::move(value));
    } else {
        key->values[found->second] = std::move(value);
    }
}

}  // namespace

bool ParseHive(std::string_view text, std::string_view rootName, Hive* hive) {
    *hive = Hive();
    KeyIndex index = {{std::string(), 0}};
    std::unordered_map<size_t, ValueIndex> values;  // by key index
    std::vector<std::string> lines = LogicalLines(text);
    size_t i = 0;
    while (i < lines.size() && lines[i].empty()) ++i;
    if (i == lines.size()) return true;  // an empty file is an empty hive
    if (lines[i++] != "REGEDIT4") return false;
    HiveKey* current = nullptr;
    ValueIndex* currentValues = nullptr;
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            std::string path;
            if (!ParseSection(line, rootName, &path)) return false;
            if (TooDeep(path)) return false;
            size_t key = CreateIndexedKey(hive, &index, path);
            current = &hive->keys[key];
            currentValues = &values[key];
            continue;
        }
        HiveValue value;
        if (current == nullptr || !ParseValueLine(line, &value)) return false;
        SetParsedValue(current, currentValues, std::move(value));
    }
    return true;
}

std::string FormatHive(const Hive& hive, std::string_view rootName) {
    std::string text = "REGEDIT4\n";
    for (const HiveKey& key : hive.keys) {
        if (key.path.empty() && key.values.empty()) continue;
        text += "\n[";
        text += rootName;
        if (!key.path.empty()) {
            text += '\\';
            text += key.path;
        }
        text += "]\n";
        for (const HiveValue& value : key.values) {
            text += value.name.empty() ? std::string("@") : Quoted(value.name);
            text += '=';
            text += FormatData(value);
            text += '\n';
        }
    }
    return text;
}

}  // namespace aldra
