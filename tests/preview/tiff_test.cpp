// TIFF previews: the two strip codecs, every supported layout written from a known pattern and
// decoded back, malformed directories, and the DOS EPS header that locates the section.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CaptureSink.h"
#include "eps/DosEpsHeader.h"
#include "eps/EpsReader.h"
#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "preview/LzwDecoder.h"
#include "preview/PackBits.h"
#include "preview/TiffPreview.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;
using Bytes8 = std::vector<uint8_t>;

Bytes8 Of(const std::string& s) {
    return {s.begin(), s.end()};
}

// Decodes from a heap block of exactly the data's size, so that the sanitizer sees any read past it.
Status Decode(const Bytes8& file, RowSink* sink) {
    auto exact = std::make_unique<uint8_t[]>(file.size() ? file.size() : 1);
    std::copy(file.begin(), file.end(), exact.get());
    return DecodeTiffImage(file.empty() ? nullptr : exact.get(), static_cast<uint32_t>(file.size()), sink);
}

// ---- Codecs ---------------------------------------------------------------------------------

struct CodecCase {
    const char* name;
    Bytes8 in;
    uint32_t rowBytes;
    uint32_t rows;
    const char* out;  // null: the data end too soon or are not valid
};

TEST(TiffCodecs, PackBits) {
    const CodecCase cases[] = {
        {"documentation example",
         {0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0xFD, 0xAA, 0x03, 0x80, 0x00, 0x2A, 0x22, 0xF7, 0xAA},
         24,
         1,
         "\xAA\xAA\xAA\x80\x00\x2A\xAA\xAA\xAA\xAA\x80\x00\x2A\x22\xAA\xAA\xAA\xAA\xAA\xAA\xAA\xAA\xAA\xAA"},
        {"-128 is skipped", {0x80, 0x01, 'a', 'b', 0x80, 0xFF, 'c'}, 4, 1, "abcc"},
        {"runs cut at the row end",
         {0xFC, 'x', 0x03, 'a', 'b', 'c', 'd', 0x02, 'e', 'f', 'g'},
         3,
         3,
         "xxxabcefg"},
        {"cut literal past the input", {0x7F, 'a', 'b'}, 2, 1, "ab"},
        {"row short by one", {0x02, 'a', 'b', 'c'}, 4, 1, nullptr},
        {"literal cut by the end", {0x05, 'a', 'b'}, 4, 1, nullptr},
        {"repeat without its byte", {0xFD}, 4, 1, nullptr},
        {"second row missing", {0xFD, 'z'}, 4, 2, nullptr},
    };
    for (const CodecCase& c : cases) {
        Bytes8 out(static_cast<size_t>(c.rowBytes) * c.rows);
        Status s = UnpackBitsRows(BoundedBytes(c.in.data(), static_cast<uint32_t>(c.in.size())), out.data(),
                                  c.rowBytes, c.rows);
        EXPECT_EQ(s, c.out ? kOk : kErrFormat) << c.name;
        if (c.out) {
            EXPECT_EQ(out, Bytes8(c.out, c.out + out.size())) << c.name;
        }
    }
}

TEST(TiffCodecs, Lzw) {
    // Hand-made streams, 9-bit codes from the most significant bit down.
    const CodecCase cases[] = {
        {"A B 258", {0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, 4, 1, "ABAB"},
        {"the code being defined", {0x80, 0x10, 0x60, 0x50, 0x10}, 3, 1, "AAA"},
        {"output stops at the strip size", {0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, 3, 1, "ABA"},
        {"code 260 before 258", {0x80, 0x10, 0x60, 0x90, 0x10}, 3, 1, nullptr},
        {"300 right after a clear", {0x80, 0x4B, 0x00}, 3, 1, nullptr},
        {"end code where a string must start", {0x80, 0x40, 0x40}, 1, 1, nullptr},
        {"end before the strip is full", {0x80, 0x10, 0x48, 0x50, 0x10}, 4, 1, nullptr},
        {"cut inside a code", {0x80, 0x10, 0x48}, 4, 1, nullptr},
        {"empty", {}, 1, 1, nullptr},
    };
    for (const CodecCase& c : cases) {
        Bytes8 out(c.rowBytes);
        Status s =
            DecodeLzw(BoundedBytes(c.in.data(), static_cast<uint32_t>(c.in.size())), out.data(), c.rowBytes);
        EXPECT_EQ(s, c.out ? kOk : kErrFormat) << c.name;
        if (c.out) {
            EXPECT_EQ(out, Bytes8(c.out, c.out + out.size())) << c.name;
        }
    }
}

TEST(TiffCodecs, LzwRoundTripsInBothLayoutsAndFailsCleanlyWhenCut) {
    Bytes8 data;
    uint32_t state = 12345;
    for (int i = 0; i < 60000; ++i) {
        state = state * 1103515245u + 12345u;
        data.push_back(static_cast<uint8_t>(i % 97 < 50 ? (state >> 16) : i % 7));
    }
    for (bool oldLayout : {false, true}) {
        Bytes8 packed = Of(LzwEncode(data, oldLayout));
        Bytes8 out(data.size());
        auto decode = [&](size_t n) {
            return DecodeLzw(BoundedBytes(packed.data(), static_cast<uint32_t>(n)), out.data(),
                             static_cast<uint32_t>(out.size()));
        };
        ASSERT_EQ(decode(packed.size()), kOk) << oldLayout;
        EXPECT_EQ(out, data) << oldLayout;
        for (size_t cut = 0; cut + 2 < packed.size(); cut += 997) EXPECT_EQ(decode(cut), kErrFormat) << cut;
    }
}

// ---- Layouts --------------------------------------------------------------------------------

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

struct Layout {
    const char* name;
    uint32_t width, height, bits, samples;
    std::function<void(TiffOptions*)> options;
    RowFormat format;
    uint32_t depth;
    uint32_t (*pattern)(uint32_t, uint32_t, uint32_t) = Busy;
};

TiffOptions Options(const Layout& l) {
    TiffOptions o;
    if (l.options) l.options(&o);
    return o;
}

auto Photometric(uint32_t p) {
    return [p](TiffOptions* o) { o->photometric = p; };
}
auto Palette(uint32_t entries) {
    return [entries](TiffOptions* o) {
        o->photometric = 3;
        o->colourMap = ColourMap(entries);
    };
}
auto Strips(uint32_t compression, uint32_t rows, bool predictor = false) {
    return [=](TiffOptions* o) {
        o->photometric = 0;
        o->compression = compression;
        o->rowsPerStrip = rows;
        o->predictor = predictor;
    };
}

TEST(TiffDecode, EveryLayoutGivesItsSamplesBack) {
    using F = RowFormat;
    const Layout layouts[] = {
        {"bilevel, odd width", 13, 5, 1, 1, Photometric(0), F::kInk, 1},
        {"bilevel, black is zero", 9, 3, 1, 1, Photometric(1), F::kLight, 1},
        {"4-bit grey", 5, 3, 4, 1, Photometric(1), F::kLight, 4},
        {"8-bit grey", 7, 4, 8, 1, Photometric(1), F::kLight, 8},
        {"2-bit grey", 6, 2, 2, 1, Photometric(0), F::kInk, 8},
        {"2-bit grey, black is zero", 6, 2, 2, 1, Photometric(1), F::kLight, 8},
        {"grey and an extra sample", 5, 3, 8, 2,
         [](TiffOptions* o) {
             o->photometric = 0;
             o->extraTags.push_back({338, kShort, {2}});
         },
         F::kInk, 8},
        {"bilevel palette", 10, 2, 1, 1, Palette(2), F::kIndexed, 1},
        {"2-bit palette", 7, 2, 2, 1, Palette(4), F::kIndexed, 8},
        {"4-bit palette", 11, 4, 4, 1, Palette(16), F::kIndexed, 4},
        {"8-bit palette", 11, 4, 8, 1, Palette(256), F::kIndexed, 8},
        {"colour map of the wrong size", 4, 2, 8, 1, Palette(16), F::kIndexed, 8},
        {"colour map of the wrong type", 4, 2, 8, 1,
         [](TiffOptions* o) {
             o->photometric = 3;
             o->extraTags.push_back({320, kLong, std::vector<uint32_t>(768, 0)});
         },
         F::kIndexed, 8},
        {"RGB", 7, 3, 8, 3, Photometric(2), F::kRgb, 24},
        {"CMYK", 5, 3, 8, 4, Photometric(5), F::kCmyk, 32},
        {"big-endian, SHORT strip offsets", 9, 10, 8, 3,
         [](TiffOptions* o) {
             o->photometric = 2;
             o->rowsPerStrip = 3;
             o->bigEndian = true;
             o->shortStripOffsets = true;
         },
         F::kRgb, 24},
        {"raw strips of 4 rows", 23, 17, 8, 1, Strips(1, 4), F::kInk, 8},
        {"PackBits strips of 1 row", 23, 17, 8, 1, Strips(32773, 1), F::kInk, 8},
        {"LZW strips of 4 rows", 23, 17, 8, 1, Strips(5, 4), F::kInk, 8},
        {"LZW with differencing, every code width", 151, 60, 8, 1, Strips(5, 40, true), F::kInk, 8, Noise},
        {"PackBits with differencing", 12, 4, 8, 1, Strips(32773, 0, true), F::kInk, 8},
        {"old-style LZW", 120, 30, 8, 1,
         [](TiffOptions* o) {
             o->photometric = 0;
             o->compression = 5;
             o->oldLzw = true;
         },
         F::kInk, 8, Noise},
        {"lone PackBits strip without byte count", 19, 6, 1, 1,
         [](TiffOptions* o) {
             o->photometric = 0;
             o->compression = 32773;
             o->writeByteCounts = false;
         },
         F::kInk, 1},
        {"planar-separate single sample", 4, 2, 8, 1,
         [](TiffOptions* o) {
             o->photometric = 0;
             o->extraTags.push_back({284, kShort, {2}});
         },
         F::kInk, 8},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.name);
        TiffPicture p = MakePicture(l.width, l.height, l.bits, l.samples, l.pattern);
        TiffOptions o = Options(l);
        CaptureSink cap;
        ASSERT_EQ(Decode(Of(MakeTiff(p, o)), &cap), kOk);
        EXPECT_TRUE(cap.inOrder);
        EXPECT_EQ(cap.last.format, l.format);
        ASSERT_EQ(cap.last.bitsPerPixel, l.depth);
        ASSERT_EQ(cap.Rows(), l.height);
        const uint32_t channels = l.depth / 8 >= 3 ? l.depth / 8 : 1;
        const bool widened = l.bits == 2;
        for (uint32_t y = 0; y < l.height; ++y)
            for (uint32_t x = 0; x < l.width; ++x)
                for (uint32_t c = 0; c < channels; ++c) {
                    uint32_t want = p.Sample(x, y, c);
                    if (widened && l.format != F::kIndexed) want *= 85;
                    ASSERT_EQ(cap.Sample(x, y, c), want) << x << "," << y << "," << c;
                }
        const bool mapFits = o.colourMap.size() == 3u << l.bits;
        ASSERT_EQ(cap.colours.size(), mapFits ? 1u << l.bits : 0u);
        for (uint32_t i = 0; i < cap.colours.size(); ++i) {
            const uint32_t n = 1u << l.bits;
            EXPECT_EQ(cap.colours[i], MakeColour(static_cast<uint8_t>(o.colourMap[i] >> 8),
                                                 static_cast<uint8_t>(o.colourMap[n + i] >> 8),
                                                 static_cast<uint8_t>(o.colourMap[2 * n + i] >> 8)));
        }
    }
}

TEST(TiffDecode, AlphaIsLaidOverWhite) {
    auto rgba = [](std::vector<std::vector<uint8_t>> pixels) {
        TiffPicture p;
        p.width = static_cast<uint32_t>(pixels.size());
        p.height = 1;
        p.samplesPerPixel = 4;
        for (const auto& px : pixels) p.rows.insert(p.rows.end(), px.begin(), px.end());
        return p;
    };
    const struct {
        int extra;  // ExtraSamples value, -1 for none (unassociated alpha)
        TiffPicture picture;
        Bytes8 rgb;
    } cases[] = {
        // 255 - (255 - c) * a / 255: opaque keeps the colour, transparent is white.
        {-1,
         rgba({{10, 20, 30, 255}, {0, 100, 200, 0}, {0, 100, 200, 128}}),
         {10, 20, 30, 255, 255, 255, 127, 178, 228}},
        // Premultiplied: c + (255 - a).
        {1,
         rgba({{10, 20, 30, 255}, {0, 0, 0, 0}, {0, 50, 100, 128}}),
         {10, 20, 30, 255, 255, 255, 127, 177, 227}},
        {0, rgba({{10, 20, 30, 255}, {0, 100, 200, 0}}), {10, 20, 30, 0, 100, 200}},
    };
    for (const auto& c : cases) {
        TiffOptions o;
        o.photometric = 2;
        if (c.extra >= 0) o.extraTags.push_back({338, kShort, {static_cast<uint32_t>(c.extra)}});
        CaptureSink cap;
        ASSERT_EQ(Decode(Of(MakeTiff(c.picture, o)), &cap), kOk);
        EXPECT_EQ(Bytes8(cap.Row(0), cap.Row(0) + c.rgb.size()), c.rgb) << c.extra;
    }
}

TEST(TiffDecode, LayoutsTheDecoderCannotConvertAreRefused) {
    const struct {
        const char* name;
        uint32_t bits, samples;
        std::function<void(TiffOptions*)> options;
    } refused[] = {
        {"3-bit samples", 8, 2,
         [](TiffOptions* o) {
             o->extraTags.push_back({258, kShort, {3}});
         }},
        {"16-bit samples", 8, 2,
         [](TiffOptions* o) {
             o->extraTags.push_back({258, kShort, {16}});
         }},
        {"samples of two sizes", 8, 2,
         [](TiffOptions* o) {
             o->extraTags.push_back({258, kShort, {8, 16}});
         }},
        {"RGB of 4-bit samples", 4, 3, Photometric(2)},
        {"RGB with one sample", 8, 1, Photometric(2)},
        {"CMYK with three", 8, 3, Photometric(5)},
        {"transparency mask", 8, 1, Photometric(4)},
        {"YCbCr", 8, 1, Photometric(6)},
        {"planar RGB", 8, 3,
         [](TiffOptions* o) {
             o->photometric = 2;
             o->extraTags.push_back({284, kShort, {2}});
         }},
        {"JPEG compression", 8, 1, [](TiffOptions* o) { o->compression = 7; }},
        {"floating-point predictor", 8, 1,
         [](TiffOptions* o) {
             o->extraTags.push_back({317, kShort, {3}});
         }},
        {"differencing 4-bit samples", 4, 1, [](TiffOptions* o) { o->predictor = true; }},
        {"tiles", 8, 1,
         [](TiffOptions* o) {
             o->extraTags.push_back({322, kShort, {16}});
         }},
    };
    for (const auto& r : refused) {
        TiffOptions o;
        r.options(&o);
        CaptureSink cap;
        EXPECT_EQ(Decode(Of(MakeTiff(MakePicture(4, 2, r.bits, r.samples, Busy), o)), &cap), kErrFormat)
            << r.name;
        EXPECT_EQ(cap.calls, 0) << r.name;
    }
}

// Breaks strip `strip` of an LZW picture by cutting its data to two bytes.
std::string WithBrokenStrip(const TiffPicture& p, const TiffOptions& o, uint32_t strip) {
    std::string tiff = MakeTiff(p, o);
    uint32_t dir = static_cast<uint8_t>(tiff[4]) | static_cast<uint8_t>(tiff[5]) << 8;
    for (uint32_t i = 0; i < static_cast<uint8_t>(tiff[dir]); ++i) {
        size_t e = dir + 2 + 12 * i;
        if (static_cast<uint8_t>(tiff[e]) == (279 & 0xFF) && static_cast<uint8_t>(tiff[e + 1]) == 1) {
            uint32_t list = static_cast<uint8_t>(tiff[e + 8]) | static_cast<uint8_t>(tiff[e + 9]) << 8;
            tiff.replace(list + 4 * strip, 4, Le32(2));
        }
    }
    return tiff;
}

TEST(TiffDecode, ABrokenStripIsBlankWhenTheLastStripDecodes) {
    TiffPicture p = MakePicture(8, 9, 8, 1, [](uint32_t, uint32_t, uint32_t) { return 200; });
    for (uint32_t photometric : {0u, 1u}) {
        TiffOptions o;
        o.photometric = photometric;
        o.compression = 5;
        o.rowsPerStrip = 3;
        CaptureSink cap;
        ASSERT_EQ(Decode(Of(WithBrokenStrip(p, o, 1)), &cap), kOk);
        // Blank is no ink: 0 as ink, all bits set as light values.
        for (uint32_t y = 0; y < 9; ++y) EXPECT_EQ(cap.Row(y)[5], y / 3 == 1 ? (photometric ? 255 : 0) : 200);
        CaptureSink none;
        EXPECT_EQ(Decode(Of(WithBrokenStrip(p, o, 2)), &none), kErrFormat);
        EXPECT_EQ(none.calls, 0);
    }
}

TEST(TiffDecode, ALargePictureComesInBandsAndTheSinkCanStopIt) {
    TiffPicture big = MakePicture(1000, 400, 8, 3, Busy);
    TiffOptions rgb;
    rgb.photometric = 2;
    const Bytes8 file = Of(MakeTiff(big, rgb));
    CaptureSink cap;
    ASSERT_EQ(Decode(file, &cap), kOk);
    EXPECT_GT(cap.calls, 1);
    EXPECT_LT(cap.largestBand, 4000u * 400 / 2);  // never the whole picture at once
    EXPECT_TRUE(cap.inOrder);
    ASSERT_EQ(cap.Rows(), 400u);
    for (uint32_t y : {0u, 64u, 65u, 399u})
        for (uint32_t s = 0; s < 3; ++s) EXPECT_EQ(cap.Sample(999, y, s), big.Sample(999, y, s)) << y;

    CaptureSink refusing;
    refusing.answer = kErrMemory;
    EXPECT_EQ(Decode(file, &refusing), kErrMemory);
    EXPECT_EQ(refusing.calls, 1);
    EXPECT_EQ(Decode(file, nullptr), kOk);
}

// ---- Malformed directories ------------------------------------------------------------------

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
    const uint8_t lzwUndefined[] = {0x80, 0x10, 0x60, 0x90, 0x10, 0, 0, 0};
    const struct {
        const char* name;
        std::vector<Edit> edits;
        Status expected;
    } cases[] = {
        {"untouched", {}, kOk},
        {"mixed byte order", {{0, {'I', 'M'}}}, kErrFormat},
        {"not 42", {{2, {43}}}, kErrFormat},
        {"the same bytes read big-endian", {{0, {'M', 'M'}}}, kErrFormat},
        {"directory far outside", {At32(4, 0xFFFFFFF0)}, kErrFormat},
        {"65535 entries", {{8, {0xFF, 0xFF}}}, kErrFormat},
        {"width of type UNDEFINED", {{12, {7}}}, kErrFormat},
        {"two widths", {{14, {2}}}, kErrFormat},
        {"width 0", {{18, {0, 0}}}, kErrFormat},
        {"BYTE strip offsets", {{72, {1}}}, kErrFormat},
        {"bits-per-sample values past the end", {{38, {3}}, At32(42, 0x7FFFFFFF)}, kErrFormat},
        {"a row of more than 32 bits' width", {{12, {4}}, At32(18, 0xFFFFFFFF)}, kErrFormat},
        {"a raster of more than 32 bits' size",
         {{12, {4}}, {24, {4}}, At32(90, 0), At32(18, 1u << 20), At32(30, 1u << 16)},
         kErrFormat},
        {"more than a preview may take",
         {{12, {4}}, {24, {4}}, At32(90, 0), At32(18, 0x30000), At32(30, 0x2000)},
         kErrMemory},
        {"two strips needed, one named", {{90, {1}}}, kErrFormat},
        {"two offsets, one byte count", {{90, {1}}, {74, {2}}, At32(78, 110)}, kErrFormat},
        {"an offset list whose size overflows", {{74, {1, 0, 0, 0x40}}}, kErrFormat},
        {"byte counts past the end", {{98, {2}}, At32(102, 0xFFFFFFFC)}, kErrFormat},
        {"strip far outside", {At32(78, 4000)}, kErrFormat},
        {"strip two bytes short", {At32(78, 112)}, kErrFormat},
        {"PackBits count that wraps", {{54, {0x05, 0x80}}, At32(102, 0xFFFFFFF8)}, kErrFormat},
        {"PackBits literal with 2 of its 6 bytes",
         {{54, {0x05, 0x80}}, {110, {0xFD, 50, 5, 1, 2}}, At32(102, 5)},
         kErrFormat},
        {"PackBits with the bytes it needs",
         {{54, {0x05, 0x80}}, {110, {0xFD, 50, 5, 1, 2}}, At32(102, 7)},
         kOk},
        {"LZW code not defined yet", {{54, {5}}, {110, Bytes8(lzwUndefined, lzwUndefined + 8)}}, kErrFormat},
        {"LZW two bytes of eight", {{54, {5}}, {110, {0x80, 0x10, 0x48, 0x50, 0x10, 0, 0, 0}}}, kErrFormat},
    };
    for (const auto& c : cases) {
        CaptureSink cap;
        EXPECT_EQ(Decode(Edited(c.edits), &cap), c.expected) << c.name;
        EXPECT_EQ(cap.calls, c.expected == kOk ? 1 : 0) << c.name;
    }
}

TEST(TiffHostile, TruncationsAndSingleByteDamageStayInsideTheData) {
    for (size_t n = 0; n < kGood.size(); ++n)
        EXPECT_EQ(Decode(Bytes8(kGood.begin(), kGood.begin() + static_cast<long>(n)), nullptr), kErrFormat)
            << n;
    // Whatever a byte becomes, the sanitizers see no access outside the file and a refused picture
    // reaches no sink.
    for (size_t at = 0; at < kGood.size(); ++at) {
        for (uint8_t v : {0x00, 0x01, 0x05, 0x7F, 0x80, 0xFE, 0xFF}) {
            CaptureSink cap;
            Status s = Decode(Edited({{at, {v}}}), &cap);
            EXPECT_EQ(cap.calls, s == kOk ? 1 : 0) << at << " " << int(v);
        }
    }
}

TEST(TiffLimits, PixelsAreCountedAsWellAsBytes) {
    // A few real rows; the size tags claim the rest, which a short strip leaves blank. One bit and
    // two samples a pixel keep the raster small while every pixel costs its own work: a 200-byte
    // file claiming half a billion of them took seconds.
    const struct {
        uint32_t width, height, bits, samples, photometric;
        Status expected;
    } cases[] = {
        {1u << 29, 1, 1, 2, 1, kErrMemory},
        {8192, 4097, 8, 1, 1, kErrMemory},
        {6000, 5000, 8, 1, 1, kOk},  // a full-size preview of a 72 ppi photograph
        {6000, 5000, 8, 3, 2, kOk},
    };
    for (const auto& c : cases) {
        TiffOptions o;
        o.photometric = c.photometric;
        o.extraTags = {{256, kLong, {c.width}}, {257, kLong, {c.height}}};
        EXPECT_EQ(Decode(Of(MakeTiff(MakePicture(16, 2, c.bits, c.samples, Busy), o)), nullptr), c.expected)
            << c.width << " x " << c.height;
    }
}

// ---- The DOS EPS header and its TIFF section -------------------------------------------------

TEST(DosEpsHeader, FieldsAreLittleEndianBehindTheMagic) {
    std::string header =
        Bytes({0xC5, 0xD0, 0xD3, 0xC6, 0x1E, 0x00, 0x00, 0x00, 0x10, 0x27, 0x00, 0x00, 0x2E, 0x27, 0x00,
               0x00, 0x00, 0x01, 0x00, 0x00, 0x2E, 0x28, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF});
    auto parse = [](const std::string& bytes, DosEpsHeader* h) {
        return ParseDosEpsHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), h);
    };
    DosEpsHeader h;
    ASSERT_EQ(parse(header, &h), kOk);
    EXPECT_EQ(h.postScriptOffset, 30u);
    EXPECT_EQ(h.postScriptLength, 10000u);
    EXPECT_EQ(h.metafileOffset, 10030u);
    EXPECT_EQ(h.metafileLength, 256u);
    EXPECT_EQ(h.tiffOffset, 10286u);
    EXPECT_EQ(h.tiffLength, 0x01020304u);
    // The checksum is never needed: 28 bytes are a whole header, 27 are not.
    EXPECT_EQ(parse(header.substr(0, 28), &h), kOk);
    EXPECT_EQ(parse(header.substr(0, 27), &h), kErrFormat);
    header[3] = '\xC7';
    EXPECT_EQ(parse(header, &h), kErrFormat);
}

Status DecodeFile(const std::string& path, RowSink* sink) {
    EpsReader eps;
    Status status = OpenEps(path.c_str(), &eps);
    if (status != kOk) return status;
    // Wherever the reader was, the header is read from the start of the file.
    EpsSeek(&eps, 40);
    status = DecodeDosEpsTiffPreview(&eps, sink);
    CloseEps(&eps);
    return status;
}

TEST(DosEpsTiff, TheSectionCountsWhereItsDirectoryAndStripsLie) {
    const std::string postScript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n%%EOF\n";
    // A lone PackBits strip without byte counts, which runs to the end of its section.
    TiffPicture p = MakePicture(16, 4, 1, 1, [](uint32_t x, uint32_t y, uint32_t) { return x / 2 + y; });
    TiffOptions o;
    o.photometric = 0;
    o.compression = 32773;
    o.writeByteCounts = false;
    const std::string tiff = MakeTiff(p, o);
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
    TempDir tmp;
    for (const auto& c : cases) {
        CaptureSink cap;
        EXPECT_EQ(DecodeFile(tmp.Write("a.eps", c.file), &cap), c.expected) << c.name;
        if (c.expected != kOk) continue;
        ASSERT_EQ(cap.Rows(), 4u) << c.name;
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 16; ++x) EXPECT_EQ(cap.Sample(x, y), p.Sample(x, y, 0)) << c.name;
        std::filesystem::remove(tmp.File("a.eps"));
    }
}

TEST(DosEpsTiff, APreviewBeyondTheReadWindowDecodes) {
    TiffPicture p = MakePicture(17, 12, 8, 3, Busy);
    TiffOptions o;
    o.photometric = 2;
    o.compression = 5;
    o.predictor = true;
    o.rowsPerStrip = 5;
    o.bigEndian = true;
    TempDir tmp;
    std::string postScript = "%!PS-Adobe-3.0 EPSF-3.0\n" + std::string(100000, '%') + "\n";
    CaptureSink cap;
    ASSERT_EQ(DecodeFile(tmp.Write("rgb.eps", DosEpsFile(postScript, MakeTiff(p, o))), &cap), kOk);
    ASSERT_EQ(cap.Rows(), 12u);
    for (uint32_t y = 0; y < 12; ++y)
        for (uint32_t x = 0; x < 17; ++x)
            for (uint32_t c = 0; c < 3; ++c) ASSERT_EQ(cap.Sample(x, y, c), p.Sample(x, y, c));
}

TEST(DosEpsTiff, ASectionLargerThanAnyPictureNeedsIsRefusedUnread) {
    // The file is sparse, so the bytes exist but cost nothing to make.
    TempDir dir;
    std::string file =
        DosEpsFile(EpsText("%%BoundingBox: 0 0 72 72"), MakeTiff(MakePicture(4, 2, 8, 1, Busy)));
    const uint32_t claimed = kMaxTiffSectionBytes + 1;
    file.replace(24, 4, Le32(claimed));
    const std::string path = dir.Write("huge.eps", file);
    std::filesystem::resize_file(path, uint64_t{claimed} + file.size());
    EXPECT_EQ(DecodeFile(path, nullptr), kErrMemory);
}

}  // namespace
}  // namespace aldra
