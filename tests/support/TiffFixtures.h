// Builders for TIFF files and DOS EPS files in memory, so that each test states the picture it
// decodes: a pixel pattern the test knows, stored with the layout, byte order and compression the
// test chooses. The encoders here follow the formats' definitions independently of the decoder.
#pragma once
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace aldra::testing {

// ---- Byte order -----------------------------------------------------------------------------

inline void Put16(std::string* out, uint32_t v, bool bigEndian) {
    if (bigEndian) {
        *out += static_cast<char>(v >> 8);
        *out += static_cast<char>(v);
    } else {
        *out += static_cast<char>(v);
        *out += static_cast<char>(v >> 8);
    }
}

inline void Put32(std::string* out, uint32_t v, bool bigEndian) {
    if (bigEndian) {
        Put16(out, v >> 16, true);
        Put16(out, v & 0xFFFF, true);
    } else {
        Put16(out, v & 0xFFFF, false);
        Put16(out, v >> 16, false);
    }
}

inline std::string Le16(uint32_t v) {
    std::string s;
    Put16(&s, v, false);
    return s;
}
inline std::string Le32(uint32_t v) {
    std::string s;
    Put32(&s, v, false);
    return s;
}
inline std::string Be16(uint32_t v) {
    std::string s;
    Put16(&s, v, true);
    return s;
}
inline std::string Be32(uint32_t v) {
    std::string s;
    Put32(&s, v, true);
    return s;
}

// A byte array written out as a list of numbers, for hand-annotated files.
inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

// ---- Pictures -------------------------------------------------------------------------------

// Samples as a TIFF stores them without compression: rows of (bits x samples x width + 7) / 8
// bytes, samples packed from the most significant bit down.
struct TiffPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerSample = 8;
    uint32_t samplesPerPixel = 1;
    std::vector<uint8_t> rows;

    uint32_t RowBytes() const { return (bitsPerSample * samplesPerPixel * width + 7) / 8; }
    uint32_t Sample(uint32_t x, uint32_t y, uint32_t s) const {
        uint32_t bit = (x * samplesPerPixel + s) * bitsPerSample;
        uint32_t value = 0;
        for (uint32_t i = 0; i < bitsPerSample; ++i, ++bit) {
            uint8_t byte = rows[y * RowBytes() + bit / 8];
            value = value << 1 | ((byte >> (7 - bit % 8)) & 1);
        }
        return value;
    }
};

// A picture whose sample (x, y, s) is pattern(x, y, s), cut to the sample size.
template <typename Pattern>
TiffPicture MakePicture(uint32_t width, uint32_t height, uint32_t bits, uint32_t samples, Pattern pattern) {
    TiffPicture p;
    p.width = width;
    p.height = height;
    p.bitsPerSample = bits;
    p.samplesPerPixel = samples;
    p.rows.assign(static_cast<size_t>(p.RowBytes()) * height, 0);
    uint32_t mask = (1u << bits) - 1;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t s = 0; s < samples; ++s) {
                uint32_t v = static_cast<uint32_t>(pattern(x, y, s)) & mask;
                uint32_t bit = (x * samples + s) * bits;
                for (uint32_t i = 0; i < bits; ++i, ++bit) {
                    if ((v >> (bits - 1 - i)) & 1)
                        p.rows[y * p.RowBytes() + bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
                }
            }
        }
    }
    return p;
}

// A pattern with no repeats along a row short enough to hide an off-by-one.
inline uint32_t Busy(uint32_t x, uint32_t y, uint32_t s) {
    return x * 7 + y * 13 + s * 71 + (x * y) % 5;
}

// ---- Encoders -------------------------------------------------------------------------------

// One row: runs of three or more equal bytes become repeats, the rest literals of up to 128.
inline std::string PackBitsRow(const uint8_t* row, size_t n) {
    std::string out;
    size_t i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out += static_cast<char>(static_cast<int8_t>(1 - static_cast<int>(run)));
            out += static_cast<char>(row[i]);
            i += run;
            continue;
        }
        size_t start = i;
        while (i < n && i - start < 128) {
            if (i + 2 < n && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
            ++i;
        }
        out += static_cast<char>(i - start - 1);
        out.append(reinterpret_cast<const char*>(row + start), i - start);
    }
    return out;
}

// LZW as TIFF writers produce it: a clear code first, codes packed from the most significant bit
// (or, for the TIFF 5.0 layout, from the least), a code one bit wider once the writer's next free
// code passes 2^bits - 1 (2^bits in the old layout), a clear code when the table reaches 4094, and
// the end code last.
class LzwWriter {
  public:
    explicit LzwWriter(bool oldLayout) : oldLayout_(oldLayout) {}

    std::string Encode(const uint8_t* data, size_t n) {
        Emit(256);
        std::map<std::pair<int, int>, int> table;
        int next = 258;
        int prefix = -1;
        for (size_t i = 0; i < n; ++i) {
            int c = data[i];
            if (prefix < 0) {
                prefix = c;
                continue;
            }
            auto found = table.find({prefix, c});
            if (found != table.end()) {
                prefix = found->second;
                continue;
            }
            Emit(prefix);
            table[{prefix, c}] = next++;
            if (next == 4094) {
                Emit(256);
                table.clear();
                next = 258;
                bits_ = 9;
            } else {
                Widen(next);
            }
            prefix = c;
        }
        if (prefix >= 0) {
            Emit(prefix);
            ++next;
            Widen(next);
        }
        Emit(257);
        if (fill_ > 0) Flush();
        return out_;
    }

  private:
    void Widen(int next) {
        int limit = (1 << bits_) - (oldLayout_ ? 0 : 1);
        if (next > limit && bits_ < 12) ++bits_;
    }
    void Emit(int code) {
        for (int i = 0; i < bits_; ++i) {
            int bit = oldLayout_ ? (code >> i) & 1 : (code >> (bits_ - 1 - i)) & 1;
            if (oldLayout_) {
                acc_ |= bit << fill_;
            } else {
                acc_ |= bit << (7 - fill_);
            }
            if (++fill_ == 8) Flush();
        }
    }
    void Flush() {
        out_ += static_cast<char>(acc_);
        acc_ = 0;
        fill_ = 0;
    }

    bool oldLayout_;
    int bits_ = 9;
    int acc_ = 0;
    int fill_ = 0;
    std::string out_;
};

inline std::string LzwEncode(const std::vector<uint8_t>& data, bool oldLayout = false) {
    return LzwWriter(oldLayout).Encode(data.data(), data.size());
}

// ---- TIFF files -----------------------------------------------------------------------------

enum TiffType : uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4 };

struct TiffTag {
    uint16_t tag;
    uint16_t type;
    std::vector<uint32_t> values;
};

struct TiffOptions {
    bool bigEndian = false;
    uint32_t compression = 1;
    uint32_t photometric = 1;
    bool predictor = false;
    uint32_t rowsPerStrip = 0;  // 0: no RowsPerStrip tag, one strip
    bool writeByteCounts = true;
    bool shortStripOffsets = false;
    bool oldLzw = false;
    std::vector<uint16_t> colourMap;  // red run, green run, blue run
    std::vector<TiffTag> extraTags;   // added or replacing tags of the same number
    std::vector<uint16_t> omitTags;
};

// Strips of the picture, compressed as the options say (after differencing when asked).
inline std::vector<std::string> EncodeStrips(const TiffPicture& p, const TiffOptions& o,
                                             uint32_t rowsPerStrip) {
    std::vector<std::string> strips;
    const uint32_t rowBytes = p.RowBytes();
    for (uint32_t top = 0; top < p.height; top += rowsPerStrip) {
        uint32_t rows = p.height - top < rowsPerStrip ? p.height - top : rowsPerStrip;
        std::vector<uint8_t> raw(p.rows.begin() + static_cast<long>(top) * rowBytes,
                                 p.rows.begin() + static_cast<long>(top + rows) * rowBytes);
        if (o.predictor) {
            for (uint32_t r = 0; r < rows; ++r) {
                uint8_t* row = raw.data() + static_cast<size_t>(r) * rowBytes;
                for (uint32_t i = rowBytes; i-- > p.samplesPerPixel;)
                    row[i] = static_cast<uint8_t>(row[i] - row[i - p.samplesPerPixel]);
            }
        }
        std::string s;
        if (o.compression == 32773) {
            for (uint32_t r = 0; r < rows; ++r)
                s += PackBitsRow(raw.data() + static_cast<size_t>(r) * rowBytes, rowBytes);
        } else if (o.compression == 5) {
            s = LzwEncode(raw, o.oldLzw);
        } else {
            s.assign(raw.begin(), raw.end());
        }
        strips.push_back(s);
    }
    return strips;
}

// A complete TIFF file: header, strips, the directory (tags in ascending order) and the values
// that do not fit in their entries.
inline std::string MakeTiff(const TiffPicture& p, const TiffOptions& o = {}) {
    const bool be = o.bigEndian;
    uint32_t rowsPerStrip = o.rowsPerStrip == 0 ? p.height : o.rowsPerStrip;
    std::vector<std::string> strips = EncodeStrips(p, o, rowsPerStrip);

    std::string file = be ? "MM" : "II";
    Put16(&file, 42, be);
    Put32(&file, 0, be);  // directory offset, patched below
    std::vector<uint32_t> offsets, counts;
    for (const std::string& s : strips) {
        offsets.push_back(static_cast<uint32_t>(file.size()));
        counts.push_back(static_cast<uint32_t>(s.size()));
        file += s;
    }
    if (file.size() % 2) file += '\0';

    std::map<uint16_t, TiffTag> tags;
    auto set = [&](uint16_t tag, uint16_t type, std::vector<uint32_t> values) {
        tags[tag] = {tag, type, values};
    };
    set(256, kLong, {p.width});
    set(257, kShort, {p.height});
    set(258, kShort, std::vector<uint32_t>(p.samplesPerPixel, p.bitsPerSample));
    set(259, kShort, {o.compression});
    set(262, kShort, {o.photometric});
    set(273, o.shortStripOffsets ? kShort : kLong, offsets);
    set(277, kShort, {p.samplesPerPixel});
    if (o.rowsPerStrip != 0) set(278, kLong, {o.rowsPerStrip});
    if (o.writeByteCounts) set(279, kLong, counts);
    if (o.predictor) set(317, kShort, {2});
    if (!o.colourMap.empty()) set(320, kShort, std::vector<uint32_t>(o.colourMap.begin(), o.colourMap.end()));
    for (const TiffTag& t : o.extraTags) tags[t.tag] = t;
    for (uint16_t t : o.omitTags) tags.erase(t);

    uint32_t directory = static_cast<uint32_t>(file.size());
    uint32_t valuesAt = directory + 2 + 12 * static_cast<uint32_t>(tags.size()) + 4;
    std::string entries, values;
    Put16(&entries, static_cast<uint32_t>(tags.size()), be);
    for (const auto& [number, t] : tags) {
        uint32_t size = t.type == kShort ? 2 : t.type == kLong ? 4 : 1;
        std::string v;
        for (uint32_t x : t.values) {
            if (size == 2) {
                Put16(&v, x, be);
            } else if (size == 4) {
                Put32(&v, x, be);
            } else {
                v += static_cast<char>(x);
            }
        }
        Put16(&entries, number, be);
        Put16(&entries, t.type, be);
        Put32(&entries, static_cast<uint32_t>(t.values.size()), be);
        if (v.size() <= 4) {
            v.resize(4, '\0');
            entries += v;
        } else {
            Put32(&entries, valuesAt + static_cast<uint32_t>(values.size()), be);
            values += v;
            if (values.size() % 2) values += '\0';
        }
    }
    Put32(&entries, 0, be);  // no next directory
    file += entries + values;
    std::string patch;
    Put32(&patch, directory, be);
    file.replace(4, 4, patch);
    return file;
}

// ---- DOS EPS files --------------------------------------------------------------------------

// Header (30 bytes: magic, PostScript, metafile and TIFF offset and length, checksum 0xFFFF), the
// PostScript text, then the TIFF section.
inline std::string DosEpsFile(const std::string& postScript, const std::string& tiff) {
    uint32_t psOffset = 30;
    uint32_t tiffOffset = tiff.empty() ? 0 : psOffset + static_cast<uint32_t>(postScript.size());
    std::string f = Bytes({0xC5, 0xD0, 0xD3, 0xC6});
    f += Le32(psOffset) + Le32(static_cast<uint32_t>(postScript.size()));
    f += Le32(0) + Le32(0);
    f += Le32(tiffOffset) + Le32(static_cast<uint32_t>(tiff.size()));
    f += Le16(0xFFFF);
    return f + postScript + tiff;
}

}  // namespace aldra::testing
