#include "platform/com/Ansi.h"

#include <cstdint>

#include "base/Windows1252.h"
#include "platform/com/Bstr.h"

namespace aldra {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// The lone low surrogates that stand for the bytes of a file name that is not UTF-8.
constexpr char16_t kEscapedByteFirst = 0xDC80;
constexpr char16_t kEscapedByteLast = 0xDCFF;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Reads one code point at text[*pos] and advances; lone surrogates read as U+FFFD.
char32_t NextUtf16(std::u16string_view text, size_t* pos) {
    char16_t first = text[(*pos)++];
    if (IsHighSurrogate(first) && *pos < text.size() && IsLowSurrogate(text[*pos])) {
        char16_t second = text[(*pos)++];
        return 0x10000 + ((static_cast<char32_t>(first) - 0xD800) << 10) + (second - 0xDC00);
    }
    if (IsHighSurrogate(first) || IsLowSurrogate(first)) return kReplacement;
    return first;
}

void AppendUtf8(char32_t point, std::string* out) {
    if (point < 0x80) {
        out->push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (point >> 6)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (point >> 12)));
        out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (point >> 18)));
        out->push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}

void AppendUtf16(char32_t point, std::u16string* out) {
    if (point < 0x10000) {
        out->push_back(static_cast<char16_t>(point));
        return;
    }
    point -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
}

// How many continuation bytes a lead byte announces and the range its first continuation byte
// must fall in; the narrowed ranges exclude overlong forms, surrogates and points past U+10FFFF.
struct Utf8Lead {
    int continuations;
    uint8_t low;
    uint8_t high;
};

Utf8Lead ClassifyLead(uint8_t byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {1, 0x80, 0xBF};
    if (byte == 0xE0) return {2, 0xA0, 0xBF};
    if (byte == 0xED) return {2, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {2, 0x80, 0xBF};
    if (byte == 0xF0) return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {3, 0x80, 0xBF};
    if (byte == 0xF4) return {3, 0x80, 0x8F};
    return {-1, 0, 0};
}

// Reads one code point at utf8[*pos] and advances. An invalid sequence yields one U+FFFD for its
// longest valid-looking prefix, and reading resumes at the first byte that broke it.
char32_t NextUtf8(std::string_view utf8, size_t* pos) {
    auto lead = static_cast<uint8_t>(utf8[(*pos)++]);
    if (lead < 0x80) return lead;
    Utf8Lead shape = ClassifyLead(lead);
    if (shape.continuations < 0) return kReplacement;
    char32_t point = lead & (0x3F >> shape.continuations);
    for (int i = 0; i < shape.continuations; ++i) {
        if (*pos >= utf8.size()) return kReplacement;
        auto byte = static_cast<uint8_t>(utf8[*pos]);
        uint8_t low = i == 0 ? shape.low : 0x80;
        uint8_t high = i == 0 ? shape.high : 0xBF;
        if (byte < low || byte > high) return kReplacement;
        point = (point << 6) | (byte & 0x3F);
        ++*pos;
    }
    return point;
}

std::u16string_view BstrView(const OLECHAR* text) {
    return std::u16string_view(text, SysStringLen(const_cast<BSTR>(text)));
}

// The units before the first that is not ASCII (or is NUL when `stopAtNul`): every conversion
// here maps such a unit to itself, and most texts are nothing else, so they are copied as a run
// before the unit-by-unit conversion takes the rest.
template <typename Char>
size_t AsciiRun(std::basic_string_view<Char> text, bool stopAtNul = false) {
    size_t n = 0;
    const uint32_t lowest = stopAtNul ? 1 : 0;
    while (n < text.size() && static_cast<uint32_t>(text[n]) - lowest < 0x80 - lowest) ++n;
    return n;
}

// `out` starts with the ASCII run of `text`, with room for `text`'s length; returns the run's length.
template <typename To, typename Char>
size_t StartWithAsciiRun(std::basic_string_view<Char> text, To* out, bool stopAtNul = false) {
    const size_t run = AsciiRun(text, stopAtNul);
    out->reserve(text.size());
    out->resize(run);
    for (size_t i = 0; i < run; ++i) (*out)[i] = static_cast<typename To::value_type>(text[i]);
    return run;
}

BSTR AllocBstr(const std::u16string& text) {
    return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
    std::u16string text;
    for (size_t pos = StartWithAsciiRun(ansi, &text); pos < ansi.size(); ++pos)
        text.push_back(Windows1252ToUtf16(static_cast<uint8_t>(ansi[pos])));
    return text;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string ansi;
    for (size_t pos = StartWithAsciiRun(text, &ansi); pos < text.size();)
        ansi.push_back(CodePointToWindows1252(NextUtf16(text, &pos)));
    return ansi;
}

BSTR AnsiToBstr(std::string_view ansi) {
    return AllocBstr(AnsiToUtf16(ansi));
}

std::string BstrToAnsi(const OLECHAR* text) {
    return Utf16ToAnsi(BstrView(text));
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string utf8;
    for (size_t pos = StartWithAsciiRun(text, &utf8); pos < text.size();)
        AppendUtf8(NextUtf16(text, &pos), &utf8);
    return utf8;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string text;
    for (size_t pos = StartWithAsciiRun(utf8, &text); pos < utf8.size();)
        AppendUtf16(NextUtf8(utf8, &pos), &text);
    return text;
}

BSTR Utf8ToBstr(std::string_view utf8) {
    return AllocBstr(Utf8ToUtf16(utf8));
}

std::string BstrToUtf8(const OLECHAR* text) {
    return Utf16ToUtf8(BstrView(text));
}

bool BstrToUtf8Path(const OLECHAR* text, std::string* path) {
    std::u16string_view name = BstrView(text);
    std::string utf8;
    // A NUL refuses the name, so it ends the run.
    for (size_t pos = StartWithAsciiRun(name, &utf8, true); pos < name.size();) {
        char16_t unit = name[pos];
        if (unit >= kEscapedByteFirst && unit <= kEscapedByteLast) {
            utf8.push_back(static_cast<char>(unit & 0xFF));
            ++pos;
            continue;
        }
        char32_t point = NextUtf16(name, &pos);
        // NextUtf16 stands U+FFFD in for a lone surrogate; a real U+FFFD is no surrogate.
        if (point == 0 || (point == kReplacement && unit != kReplacement)) return false;
        AppendUtf8(point, &utf8);
    }
    *path = std::move(utf8);
    return true;
}

BSTR Utf8PathToBstr(std::string_view path) {
    std::u16string text;
    for (size_t pos = StartWithAsciiRun(path, &text); pos < path.size();) {
        size_t start = pos;
        char32_t point = NextUtf8(path, &pos);
        if (point != kReplacement || path.substr(start, pos - start) == "\xEF\xBF\xBD") {
            AppendUtf16(point, &text);
            continue;
        }
        // The bytes of a broken sequence are all 0x80 or above.
        for (size_t i = start; i < pos; ++i)
            text.push_back(static_cast<char16_t>(0xDC00 + static_cast<uint8_t>(path[i])));
    }
    return AllocBstr(text);
}

std::string AnsiToUtf8(std::string_view ansi) {
    return Utf16ToUtf8(AnsiToUtf16(ansi));
}

std::string Utf8ToAnsi(std::string_view utf8) {
    std::string ansi;
    for (size_t pos = StartWithAsciiRun(utf8, &ansi); pos < utf8.size();)
        ansi.push_back(CodePointToWindows1252(NextUtf8(utf8, &pos)));
    return ansi;
}

}  // namespace aldra
