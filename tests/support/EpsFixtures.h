// Builders for the EPS bytes that tests write: comment headers, hex comment blocks, Photoshop image
// resources and IPTC data sets. Everything is assembled in memory so that each test shows the
// structure it depends on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace aldra::testing {

// A PostScript header line, the comments given one per line, and enough code lines behind them that
// the header scan ends by its own rule.
inline std::string EpsText(const std::string& comments, const char* eol = "\n") {
    std::string text = "%!PS-Adobe-3.0 EPSF-3.0";
    text += eol;
    size_t start = 0;
    while (start < comments.size()) {
        size_t end = comments.find('\n', start);
        if (end == std::string::npos) end = comments.size();
        text += comments.substr(start, end - start);
        text += eol;
        start = end + 1;
    }
    for (int i = 0; i < 25; ++i) text += std::string("gsave grestore") + eol;
    return text;
}

// "%"-prefixed hex lines of 32 bytes each, without a final line end.
// Photoshop's layout: "% " and then 32 bytes a line.
inline std::string HexCommentLines(const std::string& bytes, const char* prefix = "% ") {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0) {
            if (i) out += '\n';
            out += prefix;
        }
        out += digits[static_cast<uint8_t>(bytes[i]) >> 4];
        out += digits[static_cast<uint8_t>(bytes[i]) & 15];
    }
    return out;
}

inline std::string BigEndian16(uint32_t v) {
    return {static_cast<char>(v >> 8), static_cast<char>(v)};
}

inline std::string BigEndian32(uint32_t v) {
    return BigEndian16(v >> 16) + BigEndian16(v & 0xFFFF);
}

// One "8BIM" resource: id, a Pascal name padded to even length, size and data padded to even length.
inline std::string ImageResource(uint16_t id, const std::string& data, const std::string& name = "") {
    std::string r = "8BIM" + BigEndian16(id);
    r += static_cast<char>(name.size());
    r += name;
    if ((name.size() + 1) % 2) r += '\0';
    r += BigEndian32(static_cast<uint32_t>(data.size())) + data;
    if (data.size() % 2) r += '\0';
    return r;
}

// Resolution resource with the 16.16 fixed values and the given unit codes.
inline std::string ResolutionInfo(uint32_t hFixed, uint32_t vFixed, uint16_t unit = 1) {
    return BigEndian32(hFixed) + BigEndian16(unit) + BigEndian16(unit) + BigEndian32(vFixed) +
           BigEndian16(unit) + BigEndian16(unit);
}

// An IPTC data set in the short form, or in the extended form (0x80 0x04 and a 32-bit length).
inline std::string IptcDataSetBytes(uint8_t record, uint8_t dataSet, const std::string& data,
                                    bool extended = false) {
    std::string d = {'\x1C', static_cast<char>(record), static_cast<char>(dataSet)};
    if (extended) return d + "\x80\x04" + BigEndian32(static_cast<uint32_t>(data.size())) + data;
    return d + BigEndian16(static_cast<uint32_t>(data.size())) + data;
}

// The "%BeginPhotoshop:" comment block around resource bytes; `announced` overrides the byte count.
inline std::string PhotoshopBlock(const std::string& resources, long announced = -1) {
    long n = announced >= 0 ? announced : static_cast<long>(resources.size());
    return "%BeginPhotoshop: " + std::to_string(n) + "\n" + HexCommentLines(resources) + "\n%EndPhotoshop";
}

}  // namespace aldra::testing
