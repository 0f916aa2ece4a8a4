// TIFF previews: the strip codecs, every supported layout written from a known pattern and
// decoded back, malformed directories, and the section a DOS EPS header locates.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <memory>
#include <string>
#include <vector>

#include "CaptureSink.h"
#include "fixtures/Tiff.h"
#include "preview/LzwDecoder.h"
#include "preview/PackBits.h"
#include "preview/TiffPreview.h"
#include "support/FileBytes.h"

// The options are written as designated initializers that leave every other option at its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace aldra {
namespace {

using namespace testing;
using Bytes8 = std::vector<uint8_t>;

// Decodes from a heap block of exactly the data's size, so that the sanitizer sees any read past it.
template <typename Bytes>
Status Decode(const Bytes& file, RowSink* sink) {
    auto exact = std::make_unique<uint8_t[]>(file.size() ? file.size() : 1);
    std::copy(file.begin(), file.end(), exact.get());
    return DecodeTiffImage(file.empty() ? nullptr : exact.get(), static_cast<uint32_t>(file.size()), sink);
}

TEST(TiffCodecs, PackBitsAndLzw) {
    const struct {
        const char* name;
        bool lzw;
        Bytes8 in;
        uint32_t rowBytes, rows;
        const char* out;  // null: the data end too soon or are not valid
    } cases[] = {
        {"mixed", false, {0xFE, 'a', 0x02, 'b', 'c', 'd', 0xFD, 'e', 0xFA, 'f'}, 17, 1, "aaabcdeeeefffffff"},
        {"-128 is skipped", false, {0x80, 0x01, 'a', 'b', 0x80, 0xFF, 'c'}, 4, 1, "abcc"},
        {"row ends", false, {0xFC, 'x', 0x03, 'a', 'b', 'c', 'd', 0x02, 'e', 'f', 'g'}, 3, 3, "xxxabcefg"},
        {"literal past the input", false, {0x7F, 'a', 'b'}, 2, 1, "ab"},
        {"row short by one", false, {0x02, 'a', 'b', 'c'}, 4, 1, nullptr},
        {"literal cut by the end", false, {0x05, 'a', 'b'}, 4, 1, nullptr},
        {"repeat without its byte", false, {0xFD}, 4, 1, nullptr},
        {"second row missing", false, {0xFD, 'z'}, 4, 2, nullptr},
        // Hand-made LZW streams, 9-bit codes from the most significant bit down.
        {"A B 258", true, {0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, 4, 1, "ABAB"},
        {"the code being defined", true, {0x80, 0x10, 0x60, 0x50, 0x10}, 3, 1, "AAA"},
        {"output stops at the strip size", true, {0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, 3, 1, "ABA"},
        {"code 260 before 258", true, {0x80, 0x10, 0x60, 0x90, 0x10}, 3, 1, nullptr},
        {"300 right after a clear", true, {0x80, 0x4B, 0x00}, 3, 1, nullptr},
        {"end code where a string must start", true, {0x80, 0x40, 0x40}, 1, 1, nullptr},
        {"end before the strip is full", true, {0x80, 0x10, 0x48, 0x50, 0x10}, 4, 1, nullptr},
        {"cut inside a code", true, {0x80, 0x10, 0x48}, 4, 1, nullptr},
        {"empty", true, {}, 1, 1, nullptr},
    };
    for (const auto& c : cases) {
        Bytes8 out(static_cast<size_t>(c.rowBytes) * c.rows);
        const BoundedBytes in(c.in.data(), static_cast<uint32_t>(c.in.size()));
        const Status s = c.lzw ? DecodeLzw(in, out.data(), c.rowBytes * c.rows)
                               : UnpackBitsRows(in, out.data(), c.rowBytes, c.rows);
        EXPECT_EQ(s, c.out ? kOk : kErrFormat) << c.name;
        if (c.out) {
            EXPECT_EQ(out, Bytes8(c.out, c.out + out.size())) << c.name;
        }
    }
}

// Pseudo-random bytes: LZW finds few repeats in them, so its table fills and is cleared.
uint32_t Noise(uint32_t x, uint32_t y, uint32_t s) {
    uint32_t v = (x * 73856093u) ^ (y * 19349663u) ^ (s * 83492791u);
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    return v ^ (v >> 15);
}

std::vector<uint16_t> ColourMap(uint32_t entries) {
    std::vector<uint16_t> map(3 * entries);
    for (uint32_t i = 0; i < entries; ++i) {
        map[i] = static_cast<uint16_t>((i * 37 % 256) << 8 | 0x7F);  // low bytes must not matter
        map[entries + i] = static_cast<uint16_t>((255 - i % 256) << 8);
        map[2 * entries + i] = static_cast<uint16_t>((i * 11 % 256) << 8 | 0xFF);
    }
    return map;
}

TiffOptions Palette(uint32_t entries) {
    return {.photometric = 3, .colourMap = ColourMap(entries)};
}

TiffOptions Strips(uint32_t compression, uint32_t rows, bool predictor = false) {
    return {.compression = compression, .photometric = 0, .predictor = predictor, .rowsPerStrip = rows};
}

TEST(TiffDecode, EveryLayoutGivesItsSamplesBack) {
    using F = RowFormat;
    const TiffOptions extraSample = {.photometric = 0, .extraTags = {{338, kShort, {2}}}};
    const TiffOptions longMap = {.photometric = 3,
                                 .extraTags = {{320, kLong, std::vector<uint32_t>(768, 0)}}};
    const TiffOptions bigEndian = {
        .bigEndian = true, .photometric = 2, .rowsPerStrip = 3, .shortStripOffsets = true};
    const TiffOptions oldLzw = {.compression = 5, .photometric = 0, .oldLzw = true};
    const TiffOptions noCounts = {.compression = 32773, .photometric = 0, .writeByteCounts = false};
    const TiffOptions planar = {.photometric = 0, .extraTags = {{284, kShort, {2}}}};
    const struct {
        const char* name;
        uint32_t width, height, bits, samples;
        TiffOptions options;
        RowFormat format;
        uint32_t depth;
        uint32_t (*pattern)(uint32_t, uint32_t, uint32_t) = Busy;
    } layouts[] = {
        {"bilevel, odd width", 13, 5, 1, 1, {.photometric = 0}, F::kInk, 1},
        {"bilevel, black is zero", 9, 3, 1, 1, {.photometric = 1}, F::kLight, 1},
        {"4-bit grey", 5, 3, 4, 1, {.photometric = 1}, F::kLight, 4},
        {"8-bit grey", 7, 4, 8, 1, {.photometric = 1}, F::kLight, 8},
        {"2-bit grey", 6, 2, 2, 1, {.photometric = 0}, F::kInk, 8},
        {"grey and an extra sample", 5, 3, 8, 2, extraSample, F::kInk, 8},
        {"4-bit grey and an extra sample", 7, 3, 4, 2, extraSample, F::kInk, 4},
        {"2-bit palette", 7, 2, 2, 1, Palette(4), F::kIndexed, 8},
        {"4-bit palette", 11, 4, 4, 1, Palette(16), F::kIndexed, 4},
        {"8-bit palette", 11, 4, 8, 1, Palette(256), F::kIndexed, 8},
        {"colour map of the wrong size", 4, 2, 8, 1, Palette(16), F::kIndexed, 8},
        {"colour map of the wrong type", 4, 2, 8, 1, longMap, F::kIndexed, 8},
        {"RGB", 7, 3, 8, 3, {.photometric = 2}, F::kRgb, 24},
        {"CMYK", 5, 3, 8, 4, {.photometric = 5}, F::kCmyk, 32},
        {"big-endian, SHORT strip offsets", 9, 10, 8, 3, bigEndian, F::kRgb, 24},
        {"raw strips of 4 rows", 23, 17, 8, 1, Strips(1, 4), F::kInk, 8},
        {"LZW with differencing, every code width", 151, 60, 8, 1, Strips(5, 40, true), F::kInk, 8, Noise},
        {"PackBits with differencing", 12, 4, 8, 1, Strips(32773, 0, true), F::kInk, 8},
        {"old-style LZW", 120, 30, 8, 1, oldLzw, F::kInk, 8, Noise},
        {"lone PackBits strip without byte count", 19, 6, 1, 1, noCounts, F::kInk, 1},
        {"planar-separate single sample", 4, 2, 8, 1, planar, F::kInk, 8},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.name);
        const TiffPicture p = MakePicture(l.width, l.height, l.bits, l.samples, l.pattern);
        CaptureSink cap;
        ASSERT_EQ(Decode(MakeTiff(p, l.options), &cap), kOk);
        EXPECT_TRUE(cap.inOrder);
        EXPECT_EQ(cap.last.format, l.format);
        ASSERT_EQ(cap.last.bitsPerPixel, l.depth);
        ASSERT_EQ(cap.Rows(), l.height);
        const uint32_t channels = l.depth / 8 >= 3 ? l.depth / 8 : 1;
        const uint32_t widened = l.bits == 2 && l.format != F::kIndexed ? 85 : 1;
        for (uint32_t y = 0; y < l.height; ++y)
            for (uint32_t x = 0; x < l.width; ++x)
                for (uint32_t c = 0; c < channels; ++c)
                    ASSERT_EQ(cap.Sample(x, y, c), p.Sample(x, y, c) * widened) << x << "," << y << "," << c;
        const std::vector<uint16_t>& map = l.options.colourMap;
        const uint32_t n = 1u << l.bits;
        ASSERT_EQ(cap.colours.size(), map.size() == 3 * n ? n : 0u);
        for (uint32_t i = 0; i < cap.colours.size(); ++i)
            EXPECT_EQ(cap.colours[i], MakeColour(map[i] >> 8, map[n + i] >> 8, map[2 * n + i] >> 8));
    }
}

TEST(TiffDecode, AlphaIsLaidOverWhite) {
    const struct {
        int extra;  // ExtraSamples value, -1 for none (unassociated alpha)
        Bytes8 rgba, rgb;
    } cases[] = {
        // 255 - (255 - c) * a / 255: opaque keeps the colour, transparent is white.
        {-1, {10, 20, 30, 255, 0, 100, 200, 0, 0, 100, 200, 128}, {10, 20, 30, 255, 255, 255, 127, 178, 228}},
        // Premultiplied: c + (255 - a).
        {1, {10, 20, 30, 255, 0, 0, 0, 0, 0, 50, 100, 128}, {10, 20, 30, 255, 255, 255, 127, 177, 227}},
        {0, {10, 20, 30, 255, 0, 100, 200, 0}, {10, 20, 30, 0, 100, 200}},
    };
    for (const auto& c : cases) {
        const TiffPicture p = {static_cast<uint32_t>(c.rgba.size() / 4), 1, 8, 4, c.rgba};
        TiffOptions o = {.photometric = 2};
        if (c.extra >= 0) o.extraTags.push_back({338, kShort, {static_cast<uint32_t>(c.extra)}});
        CaptureSink cap;
        ASSERT_EQ(Decode(MakeTiff(p, o), &cap), kOk);
        EXPECT_EQ(cap.Picture(), c.rgb) << c.extra;
    }
}

TEST(TiffDecode, LayoutsTheDecoderCannotConvertAreRefused) {
    const struct {
        const char* name;
        uint32_t bits, samples;
        TiffOptions options;
    } refused[] = {
        {"3-bit samples", 8, 2, {.extraTags = {{258, kShort, {3}}}}},
        {"samples of two sizes", 8, 2, {.extraTags = {{258, kShort, {8, 16}}}}},
        {"RGB of 4-bit samples", 4, 3, {.photometric = 2}},
        {"RGB with one sample", 8, 1, {.photometric = 2}},
        {"CMYK with three", 8, 3, {.photometric = 5}},
        {"transparency mask", 8, 1, {.photometric = 4}},
        {"planar RGB", 8, 3, {.photometric = 2, .extraTags = {{284, kShort, {2}}}}},
        {"JPEG compression", 8, 1, {.compression = 7}},
        {"floating-point predictor", 8, 1, {.extraTags = {{317, kShort, {3}}}}},
        {"differencing 4-bit samples", 4, 1, {.predictor = true}},
        {"tiles", 8, 1, {.extraTags = {{322, kShort, {16}}}}},
        {"CCITT of 8-bit samples", 8, 1, {.compression = 4}},
    };
    for (const auto& r : refused) {
        CaptureSink cap;
        EXPECT_EQ(Decode(MakeTiff(MakePicture(4, 2, r.bits, r.samples, Busy), r.options), &cap), kErrFormat)
            << r.name;
        EXPECT_EQ(cap.calls, 0) << r.name;
    }
}

// An LZW picture in strips of 3 rows whose strip `broken` is cut to two bytes.
std::string WithBrokenStrip(const TiffPicture& p, TiffOptions o, uint32_t broken) {
    std::vector<uint32_t> counts;
    for (const std::string& strip : EncodeStrips(p, o, 3))
        counts.push_back(static_cast<uint32_t>(strip.size()));
    counts[broken] = 2;
    o.extraTags = {{279, kLong, counts}};
    return MakeTiff(p, o);
}

TEST(TiffDecode, ABrokenStripIsBlankWhenTheLastStripDecodes) {
    TiffPicture p = MakePicture(8, 9, 8, 1, [](uint32_t, uint32_t, uint32_t) { return 200; });
    for (uint32_t photometric : {0u, 1u}) {
        const TiffOptions o = {.compression = 5, .photometric = photometric, .rowsPerStrip = 3};
        CaptureSink cap;
        ASSERT_EQ(Decode(WithBrokenStrip(p, o, 1), &cap), kOk);
        // Blank is no ink: 0 as ink, all bits set as light values.
        for (uint32_t y = 0; y < 9; ++y) EXPECT_EQ(cap.Row(y)[5], y / 3 == 1 ? (photometric ? 255 : 0) : 200);
        CaptureSink none;
        EXPECT_EQ(Decode(WithBrokenStrip(p, o, 2), &none), kErrFormat);
        EXPECT_EQ(none.calls, 0);
    }
}

TEST(TiffDecode, ALargePictureComesInBandsAndTheSinkCanStopIt) {
    const TiffPicture big = MakePicture(1000, 400, 8, 3, Busy);
    const std::string file = MakeTiff(big, {.photometric = 2});
    CaptureSink cap;
    ASSERT_EQ(Decode(file, &cap), kOk);
    EXPECT_GT(cap.calls, 1);
    EXPECT_TRUE(cap.inOrder);
    ASSERT_EQ(cap.Rows(), 400u);
    for (uint32_t y : {0u, 64u, 65u, 399u})
        for (uint32_t s = 0; s < 3; ++s) EXPECT_EQ(cap.Sample(999, y, s), big.Sample(999, y, s)) << y;

    CaptureSink refusing;
    refusing.refusals = 99;
    EXPECT_EQ(Decode(file, &refusing), kErrMemory);
    EXPECT_EQ(refusing.calls, 1);
    EXPECT_EQ(Decode(file, nullptr), kOk);
}

// A little-endian 4 x 2 grey picture in one uncompressed strip.
const Bytes8 kGood = {
    'I',  'I',  42, 0,  8,  0,  0,  0,                 //  0: byte order, 42, directory at 8
    8,    0,                                           //  8: eight entries
    0x00, 0x01, 3,  0,  1,  0,  0,  0,  4,   0, 0, 0,  // 10: ImageWidth SHORT 1 = 4
    0x01, 0x01, 3,  0,  1,  0,  0,  0,  2,   0, 0, 0,  // 22: ImageLength SHORT 1 = 2
    0x02, 0x01, 3,  0,  1,  0,  0,  0,  8,   0, 0, 0,  // 34: BitsPerSample SHORT 1 = 8
    0x03, 0x01, 3,  0,  1,  0,  0,  0,  1,   0, 0, 0,  // 46: Compression SHORT 1 = none
    0x06, 0x01, 3,  0,  1,  0,  0,  0,  0,   0, 0, 0,  // 58: Photometric SHORT 1 = white is zero
    0x11, 0x01, 4,  0,  1,  0,  0,  0,  110, 0, 0, 0,  // 70: StripOffsets LONG 1 = 110
    0x16, 0x01, 4,  0,  1,  0,  0,  0,  2,   0, 0, 0,  // 82: RowsPerStrip LONG 1 = 2
    0x17, 0x01, 4,  0,  1,  0,  0,  0,  8,   0, 0, 0,  // 94: StripByteCounts LONG 1 = 8
    0,    0,    0,  0,                                 // 106: no next directory
    10,   20,   30, 40, 50, 60, 70, 80,                // 110: the pixels
};

struct Edit {
    size_t at;
    Bytes8 bytes;
};
Edit At32(size_t at, uint32_t v) {
    return {at, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}

Bytes8 Edited(std::vector<Edit> edits) {
    Bytes8 file = kGood;
    for (const Edit& e : edits)
        std::copy(e.bytes.begin(), e.bytes.end(), file.begin() + static_cast<long>(e.at));
    return file;
}

TEST(TiffHostile, MalformedDirectoriesAreRefused) {
    const Edit packBits = {54, {0x05, 0x80}};
    const struct {
        const char* name;
        std::vector<Edit> edits;
        Status expected;
    } cases[] = {
        {"untouched", {}, kOk},
        {"mixed byte order", {{0, {'I', 'M'}}}, kErrFormat},
        {"not 42", {{2, {43}}}, kErrFormat},
        {"directory far outside", {At32(4, 0xFFFFFFF0)}, kErrFormat},
        {"65535 entries", {{8, {0xFF, 0xFF}}}, kErrFormat},
        {"width of type UNDEFINED", {{12, {7}}}, kErrFormat},
        {"two widths", {{14, {2}}}, kErrFormat},
        {"width 0", {{18, {0, 0}}}, kErrFormat},
        {"photometric of type LONG", {{60, {4}}}, kErrFormat},
        {"BYTE strip offsets", {{72, {1}}}, kErrFormat},
        {"bits-per-sample values past the end", {{38, {3}}, At32(42, 0x7FFFFFFF)}, kErrFormat},
        {"a row of more than 32 bits' width", {{12, {4}}, At32(18, 0xFFFFFFFF)}, kErrFormat},
        {"raster over 32 bits",
         {{12, {4}}, {24, {4}}, At32(90, 0), At32(18, 1u << 20), At32(30, 1u << 16)},
         kErrFormat},
        {"beyond previews",
         {{12, {4}}, {24, {4}}, At32(90, 0), At32(18, 0x30000), At32(30, 0x2000)},
         kErrMemory},
        {"two strips needed, one named", {{90, {1}}}, kErrFormat},
        {"two offsets, one byte count", {{90, {1}}, {74, {2}}, At32(78, 110)}, kErrFormat},
        {"an offset list whose size overflows", {{74, {1, 0, 0, 0x40}}}, kErrFormat},
        {"byte counts past the end", {{98, {2}}, At32(102, 0xFFFFFFFC)}, kErrFormat},
        {"strip two bytes short", {At32(78, 112)}, kErrFormat},
        {"PackBits count that wraps", {packBits, At32(102, 0xFFFFFFF8)}, kErrFormat},
        {"PackBits literal with 2 of its 6 bytes",
         {packBits, {110, {0xFD, 50, 5, 1, 2}}, At32(102, 5)},
         kErrFormat},
        {"PackBits with the bytes it needs", {packBits, {110, {0xFD, 50, 5, 1, 2}}, At32(102, 7)}, kOk},
        {"LZW code not defined yet", {{54, {5}}, {110, {0x80, 0x10, 0x60, 0x90, 0x10, 0, 0, 0}}}, kErrFormat},
    };
    for (const auto& c : cases) {
        CaptureSink cap;
        EXPECT_EQ(Decode(Edited(c.edits), &cap), c.expected) << c.name;
        EXPECT_EQ(cap.calls, c.expected == kOk ? 1 : 0) << c.name;
    }
}

// Wherever the reader was, the header is read from the start of the file.
Status DecodeFile(const std::string& file, RowSink* sink) {
    return EpsFile(file, 40).Run(DecodeDosEpsTiffPreview, sink);
}

TEST(DosEpsTiff, TheSectionCountsWhereItsDirectoryAndStripsLie) {
    // Beyond the reader's window, behind a PostScript section the reader has not read through.
    const std::string postScript = "%!PS-Adobe-3.0 EPSF-3.0\n" + std::string(100000, '%') + "\n%%EOF\n";
    // A lone PackBits strip without byte counts, which runs to the end of its section.
    const TiffPicture p =
        MakePicture(16, 4, 1, 1, [](uint32_t x, uint32_t y, uint32_t) { return x / 2 + y; });
    const std::string tiff = MakeTiff(p, {.compression = 32773, .photometric = 0, .writeByteCounts = false});
    const std::string good = DosEpsFile(postScript, tiff);
    const uint32_t length = static_cast<uint32_t>(tiff.size());
    auto patched = [&](size_t at, uint32_t v) { return std::string(good).replace(at, 4, Le32(v)); };
    const struct {
        const char* name;
        std::string file;
        Status expected;
    } cases[] = {
        {"exact length, junk behind", good + "trailing junk", kOk},
        {"length one past the file", patched(24, length + 1), kOk},
        {"length that would wrap a sum", patched(24, 0xFFFFFFFF), kOk},
        {"length cutting the strip", patched(24, 20), kOk},
        {"length cutting the directory", patched(24, 9), kOk},
        {"file cut inside the directory", good.substr(0, good.size() - 20), kErrFormat},
        {"length 0", patched(24, 0), kErrFormat},
        {"offset past the file", patched(20, 0x7FFFFFFF), kErrFormat},
        {"offset in the wrong place", patched(20, 31), kErrFormat},
        {"no TIFF section", DosEpsFile(postScript, ""), kErrFormat},
        {"no DOS EPS header", postScript, kErrFormat},
        {"shorter than a header", good.substr(0, 20), kErrFormat},
    };
    for (const auto& c : cases) {
        CaptureSink cap;
        EXPECT_EQ(DecodeFile(c.file, &cap), c.expected) << c.name;
        if (c.expected != kOk) continue;
        ASSERT_EQ(cap.Rows(), 4u) << c.name;
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 16; ++x) EXPECT_EQ(cap.Sample(x, y), p.Sample(x, y, 0)) << c.name;
    }
}

// ---- Deflate and CCITT, the compressions of current writers: files written by libtiff from a known
// pattern must decode back to it; damaged ones end cleanly.

struct Layout {
    uint16_t compression;
    uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    uint16_t bits = 1;
    uint16_t samples = 1;
    uint32_t rowsPerStrip = 7;
    uint32_t group3Options = 0;
    uint16_t fillOrder = FILLORDER_MSB2LSB;
    uint16_t predictor = PREDICTOR_NONE;
};

constexpr uint32_t kWidth = 61, kHeight = 23;

// A pattern with long and short runs of both colours and rows that differ from the one above.
uint32_t PatternSample(uint32_t x, uint32_t y, uint32_t channel, uint16_t bits) {
    if (bits == 1) return ((x / 3 + y) % 5 == 0 || x == y * 2 || (y > 15 && x < 40)) ? 1 : 0;
    return (x * 7 + y * 11 + channel * 50) & 0xFF;
}

std::string WriteTiff(const Layout& l) {
    // The legacy Deflate identifier is written on purpose; libtiff need not say so.
    TIFFSetWarningHandler(nullptr);
    TempDir dir;
    const std::string path = dir.File("p.tif");
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (t == nullptr) return {};
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, l.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, l.samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, l.photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, l.compression);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
    TIFFSetField(t, TIFFTAG_FILLORDER, l.fillOrder);
    if (l.compression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, l.group3Options);
    if (l.predictor != PREDICTOR_NONE) TIFFSetField(t, TIFFTAG_PREDICTOR, l.predictor);
    const uint32_t rowBytes = (kWidth * l.bits * l.samples + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t y = 0; y < kHeight; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (uint32_t x = 0; x < kWidth; ++x) {
            for (uint32_t c = 0; c < l.samples; ++c) {
                const uint32_t v = PatternSample(x, y, c, l.bits);
                if (l.bits == 1)
                    row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
                else
                    row[x * l.samples + c] = static_cast<uint8_t>(v);
            }
        }
        TIFFWriteScanline(t, row.data(), y, 0);
    }
    TIFFClose(t);
    return ReadFile(path);
}

TEST(TiffCompression, EachKindGivesThePatternBack) {
    struct Row {
        const char* name;
        Layout layout;
    };
    const Row rows[] = {
        {"CCITT modified Huffman", {.compression = COMPRESSION_CCITTRLE}},
        {"Group 3 one-dimensional", {.compression = COMPRESSION_CCITTFAX3}},
        {"Group 3 two-dimensional",
         {.compression = COMPRESSION_CCITTFAX3, .group3Options = GROUP3OPT_2DENCODING}},
        {"Group 3 with filled lines",
         {.compression = COMPRESSION_CCITTFAX3, .group3Options = GROUP3OPT_FILLBITS}},
        {"Group 4", {.compression = COMPRESSION_CCITTFAX4}},
        {"Group 4 in one strip", {.compression = COMPRESSION_CCITTFAX4, .rowsPerStrip = kHeight}},
        {"Group 4, least significant bit first",
         {.compression = COMPRESSION_CCITTFAX4, .fillOrder = FILLORDER_LSB2MSB}},
        {"Group 4 black is zero",
         {.compression = COMPRESSION_CCITTFAX4, .photometric = PHOTOMETRIC_MINISBLACK}},
        {"Deflate grey",
         {.compression = COMPRESSION_ADOBE_DEFLATE, .photometric = PHOTOMETRIC_MINISWHITE, .bits = 8}},
        {"old Deflate grey",
         {.compression = COMPRESSION_DEFLATE, .photometric = PHOTOMETRIC_MINISWHITE, .bits = 8}},
        {"Deflate RGB with differencing",
         {.compression = COMPRESSION_ADOBE_DEFLATE,
          .photometric = PHOTOMETRIC_RGB,
          .bits = 8,
          .samples = 3,
          .predictor = PREDICTOR_HORIZONTAL}},
        {"Deflate bilevel", {.compression = COMPRESSION_ADOBE_DEFLATE}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Layout& l = row.layout;
        const std::string file = WriteTiff(l);
        ASSERT_FALSE(file.empty());
        CaptureSink sink;
        ASSERT_EQ(Decode(file, &sink), kOk);
        ASSERT_EQ(sink.Rows(), kHeight);
        EXPECT_TRUE(sink.inOrder);
        int wrong = 0;
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t x = 0; x < kWidth; ++x) {
                for (uint32_t c = 0; c < l.samples; ++c) {
                    // The rows keep the file's sense; the band's format says which it is.
                    wrong += sink.Sample(x, y, c) != PatternSample(x, y, c, l.bits);
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// A picture whose only strip is cut short fails before any row; damage inside the coded data is
// the fuzzers' (fuzz/targets/Tiff.h).
TEST(TiffCompression, AStripCutShortFails) {
    for (uint16_t compression :
         {COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_ADOBE_DEFLATE}) {
        Layout l{.compression = compression};
        l.rowsPerStrip = kHeight;
        CaptureSink sink;
        EXPECT_EQ(Decode(WriteTiff(l).substr(0, 20), &sink), kErrFormat) << compression;
        EXPECT_EQ(sink.calls, 0);
    }
}

}  // namespace
}  // namespace aldra
