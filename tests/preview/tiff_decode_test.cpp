// TIFF previews of every supported layout, written from a known pattern and decoded back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/resources/Resources.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"
#include "preview/TiffPreview.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using testing::Busy;
using testing::CaptureSink;
using testing::DecodedPicture;
using testing::MakePicture;
using testing::MakeTiff;
using testing::TiffOptions;
using testing::TiffPicture;

Status Decode(const std::string& tiff, DecodedPicture* out) {
    PreviewSink sink = CaptureSink(out);
    return DecodeTiffImage(reinterpret_cast<const uint8_t*>(tiff.data()), static_cast<uint32_t>(tiff.size()),
                           &sink);
}

TiffOptions With(uint32_t photometric) {
    TiffOptions o;
    o.photometric = photometric;
    return o;
}

// Pseudo-random bytes: LZW finds few repeats in them, so its table fills and is cleared.
uint32_t Noise(uint32_t x, uint32_t y, uint32_t s) {
    uint32_t v = (x * 73856093u) ^ (y * 19349663u) ^ (s * 83492791u);
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    return v ^ (v >> 15);
}

// ---- Bilevel and grey ----------------------------------------------------------------------

TEST(TiffDecode, BilevelWhiteIsZeroKeepsItsBitsAtAnOddWidth) {
    TiffPicture p = MakePicture(13, 5, 1, 1, Busy);
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, With(0)), &d), kOk);
    EXPECT_EQ(d.calls, 1);
    EXPECT_EQ(d.depth, 1u);
    EXPECT_EQ(d.rowBytes, 4u);  // 13 bits in whole 32-bit words
    EXPECT_FALSE(d.inDibOrder);
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 13; ++x) EXPECT_EQ(d.Index(x, y), p.Sample(x, y, 0)) << x << "," << y;
}

TEST(TiffDecode, BilevelBlackIsZeroIsComplementedToInk) {
    TiffPicture p = MakePicture(9, 3, 1, 1, Busy);
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, With(1)), &d), kOk);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 9; ++x) EXPECT_EQ(d.Index(x, y), 1 - p.Sample(x, y, 0)) << x << "," << y;
}

TEST(TiffDecode, GreyValuesBecomeAmountsOfInk) {
    TiffPicture p8 = MakePicture(7, 4, 8, 1, Busy);
    DecodedPicture black;
    ASSERT_EQ(Decode(MakeTiff(p8, With(1)), &black), kOk);
    DecodedPicture white;
    ASSERT_EQ(Decode(MakeTiff(p8, With(0)), &white), kOk);
    EXPECT_EQ(black.depth, 8u);
    EXPECT_EQ(black.rowBytes, 8u);
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 7; ++x) {
            EXPECT_EQ(black.Row(y)[x], 255 - p8.Sample(x, y, 0));
            EXPECT_EQ(white.Row(y)[x], p8.Sample(x, y, 0));
        }
    }
    // The default grey table shows value 0 as white.
    EXPECT_EQ(black.colours[0].red, 255);
    EXPECT_EQ(black.colours[255].red, 0);

    TiffPicture p4 = MakePicture(5, 3, 4, 1, Busy);
    DecodedPicture four;
    ASSERT_EQ(Decode(MakeTiff(p4, With(1)), &four), kOk);
    EXPECT_EQ(four.depth, 4u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(four.Index(x, y), 15 - p4.Sample(x, y, 0));
}

TEST(TiffDecode, TwoBitGreyIsSpreadOverAnEightBitRaster) {
    TiffPicture p = MakePicture(6, 2, 2, 1, Busy);
    DecodedPicture white;
    ASSERT_EQ(Decode(MakeTiff(p, With(0)), &white), kOk);
    DecodedPicture black;
    ASSERT_EQ(Decode(MakeTiff(p, With(1)), &black), kOk);
    EXPECT_EQ(white.depth, 8u);
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(white.Row(y)[x], p.Sample(x, y, 0) * 85);
            EXPECT_EQ(black.Row(y)[x], (3 - p.Sample(x, y, 0)) * 85);
        }
    }
}

TEST(TiffDecode, GreyWithAnExtraSampleKeepsTheGreySample) {
    TiffPicture p = MakePicture(5, 3, 8, 2, Busy);
    TiffOptions o = With(0);
    o.extraTags.push_back({338, testing::kShort, {2}});
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(d.Row(y)[x], p.Sample(x, y, 0));

    TiffPicture p4 = MakePicture(5, 3, 4, 2, Busy);
    DecodedPicture d4;
    ASSERT_EQ(Decode(MakeTiff(p4, With(0)), &d4), kOk);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(d4.Index(x, y), p4.Sample(x, y, 0));
}

// ---- Palette -------------------------------------------------------------------------------

std::vector<uint16_t> ColourMap(uint32_t entries) {
    std::vector<uint16_t> map(3 * entries);
    for (uint32_t i = 0; i < entries; ++i) {
        map[i] = static_cast<uint16_t>((i * 37 % 256) << 8 | 0x7F);  // low bytes must not matter
        map[entries + i] = static_cast<uint16_t>((255 - i % 256) << 8);
        map[2 * entries + i] = static_cast<uint16_t>((i * 11 % 256) << 8 | 0xFF);
    }
    return map;
}

void ExpectEntry(const DibColour& c, const std::vector<uint16_t>& map, uint32_t entries, uint32_t i) {
    EXPECT_EQ(c.red, map[i] >> 8) << i;
    EXPECT_EQ(c.green, map[entries + i] >> 8) << i;
    EXPECT_EQ(c.blue, map[2 * entries + i] >> 8) << i;
}

TEST(TiffDecode, PaletteIndicesAndTheirColourMap) {
    for (uint32_t bits : {4u, 8u}) {
        uint32_t entries = 1u << bits;
        TiffPicture p = MakePicture(11, 4, bits, 1, Busy);
        TiffOptions o = With(3);
        o.colourMap = ColourMap(entries);
        DecodedPicture d;
        ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk) << bits;
        EXPECT_EQ(d.depth, bits);
        EXPECT_EQ(d.coloursUsed, entries);
        for (uint32_t i = 0; i < entries; ++i) ExpectEntry(d.colours[i], o.colourMap, entries, i);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 11; ++x) EXPECT_EQ(d.Index(x, y), p.Sample(x, y, 0)) << bits;
    }
}

TEST(TiffDecode, TwoBitPaletteIndicesGoToAnEightBitRaster) {
    TiffPicture p = MakePicture(7, 2, 2, 1, Busy);
    TiffOptions o = With(3);
    o.colourMap = ColourMap(4);
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    EXPECT_EQ(d.depth, 8u);
    EXPECT_EQ(d.coloursUsed, 4u);
    for (uint32_t i = 0; i < 4; ++i) ExpectEntry(d.colours[i], o.colourMap, 4, i);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 7; ++x) EXPECT_EQ(d.Row(y)[x], p.Sample(x, y, 0));
}

TEST(TiffDecode, BilevelPaletteShowsTheRightColoursOnceInDibOrder) {
    TiffPicture p = MakePicture(10, 2, 1, 1, Busy);
    TiffOptions o = With(3);
    o.colourMap = {0xFF00, 0x1000, 0x0000, 0x2000, 0x8000, 0x3000};  // entry 0 red-ish, 1 dark
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    // The hand-over to GDI complements bilevel pixels, so the colour shown for index v is the
    // table entry of the complemented bit.
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 10; ++x) {
            uint32_t v = p.Sample(x, y, 0);
            const DibColour& shown = d.colours[1 - d.Index(x, y)];
            EXPECT_EQ(shown.red, o.colourMap[v] >> 8);
            EXPECT_EQ(shown.green, o.colourMap[2 + v] >> 8);
            EXPECT_EQ(shown.blue, o.colourMap[4 + v] >> 8);
        }
    }
}

TEST(TiffDecode, AColourMapOfTheWrongSizeOrTypeIsIgnored) {
    TiffPicture p = MakePicture(4, 2, 8, 1, Busy);
    TiffOptions wrongCount = With(3);
    wrongCount.colourMap = ColourMap(16);  // 48 values for an 8-bit picture
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, wrongCount), &d), kOk);
    EXPECT_EQ(d.colours[0].red, 255);  // the default grey table
    EXPECT_EQ(d.colours[200].green, 55);

    TiffOptions wrongType = With(3);
    wrongType.extraTags.push_back({320, testing::kLong, std::vector<uint32_t>(768, 0)});
    DecodedPicture e;
    ASSERT_EQ(Decode(MakeTiff(p, wrongType), &e), kOk);
    EXPECT_EQ(e.colours[0].red, 255);
    EXPECT_EQ(e.Row(1)[3], p.Sample(3, 1, 0));
}

// ---- RGB and CMYK --------------------------------------------------------------------------

TEST(TiffDecode, RgbBytesLandInFourByteRows) {
    TiffPicture p = MakePicture(7, 3, 8, 3, Busy);
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, With(2)), &d), kOk);
    EXPECT_EQ(d.depth, 24u);
    EXPECT_EQ(d.rowBytes, 28u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t c = 0; c < 3; ++c) EXPECT_EQ(d.Row(y)[x * 3 + c], p.Sample(x, y, c));
}

TiffPicture RgbaPixels(const std::vector<std::vector<uint8_t>>& pixels) {
    TiffPicture p;
    p.width = static_cast<uint32_t>(pixels.size());
    p.height = 1;
    p.samplesPerPixel = 4;
    for (const auto& px : pixels) p.rows.insert(p.rows.end(), px.begin(), px.end());
    return p;
}

std::vector<uint8_t> FirstRow(const DecodedPicture& d) {
    return {d.Row(0), d.Row(0) + d.width * 3};
}

TEST(TiffDecode, AlphaIsLaidOverWhite) {
    TiffPicture p = RgbaPixels({{10, 20, 30, 255}, {0, 100, 200, 0}, {0, 100, 200, 128}});
    DecodedPicture plain;  // no ExtraSamples: unassociated alpha
    ASSERT_EQ(Decode(MakeTiff(p, With(2)), &plain), kOk);
    // 255 - (255 - c) * a / 255: opaque keeps the colour, transparent is white.
    EXPECT_EQ(FirstRow(plain), (std::vector<uint8_t>{10, 20, 30, 255, 255, 255, 127, 178, 228}));

    TiffOptions associated = With(2);
    associated.extraTags.push_back({338, testing::kShort, {1}});
    TiffPicture pre = RgbaPixels({{10, 20, 30, 255}, {0, 0, 0, 0}, {0, 50, 100, 128}});
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(pre, associated), &d), kOk);
    // Premultiplied: c + (255 - a).
    EXPECT_EQ(FirstRow(d), (std::vector<uint8_t>{10, 20, 30, 255, 255, 255, 127, 177, 227}));

    TiffOptions unspecified = With(2);
    unspecified.extraTags.push_back({338, testing::kShort, {0}});
    DecodedPicture u;
    ASSERT_EQ(Decode(MakeTiff(p, unspecified), &u), kOk);
    EXPECT_EQ(FirstRow(u), (std::vector<uint8_t>{10, 20, 30, 0, 100, 200, 0, 100, 200}));
}

class TiffCmyk : public ::testing::Test {
  protected:
    void SetUp() override {
        SetResourceModule(OwnResourceModule());
        AcquireColourTables();
    }
    void TearDown() override { ReleaseColourTables(); }
};

TEST_F(TiffCmyk, InksGoThroughTheColourConversion) {
    TiffPicture p = MakePicture(5, 3, 8, 4, Busy);
    // Paper white and full black at two known corners.
    for (int c = 0; c < 4; ++c) p.rows[c] = 0;
    for (int c = 0; c < 3; ++c) p.rows[4 * 4 + c] = 0;
    p.rows[4 * 4 + 3] = 255;
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, With(5)), &d), kOk);
    EXPECT_EQ(d.depth, 24u);
    EXPECT_EQ(std::vector<uint8_t>(d.Row(0), d.Row(0) + 3), (std::vector<uint8_t>{254, 254, 254}));
    EXPECT_EQ(std::vector<uint8_t>(d.Row(0) + 12, d.Row(0) + 15), (std::vector<uint8_t>{0, 0, 0}));
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 5; ++x) {
            uint8_t in[4], rgb[3];
            for (uint32_t c = 0; c < 4; ++c) in[c] = static_cast<uint8_t>(p.Sample(x, y, c));
            ASSERT_EQ(ConvertColour(kColourCmyk, in, rgb), kOk);
            EXPECT_EQ(std::vector<uint8_t>(d.Row(y) + x * 3, d.Row(y) + x * 3 + 3),
                      std::vector<uint8_t>(rgb, rgb + 3));
        }
    }
}

// ---- Byte order, strips and compression ----------------------------------------------------

TEST(TiffDecode, BigEndianWithShortStripOffsetsDecodesLikeItsLittleEndianTwin) {
    TiffPicture p = MakePicture(9, 10, 8, 3, Busy);
    TiffOptions le = With(2);
    le.rowsPerStrip = 3;
    TiffOptions be = le;
    be.bigEndian = true;
    be.shortStripOffsets = true;
    std::string leFile = MakeTiff(p, le);
    std::string beFile = MakeTiff(p, be);
    ASSERT_EQ(beFile.substr(0, 4), std::string("MM\0*", 4));
    DecodedPicture a, b;
    ASSERT_EQ(Decode(leFile, &a), kOk);
    ASSERT_EQ(Decode(beFile, &b), kOk);
    EXPECT_EQ(a.pixels, b.pixels);
    for (uint32_t y = 0; y < 10; ++y) EXPECT_EQ(a.Row(y)[8 * 3 + 2], p.Sample(8, y, 2)) << y;
}

TEST(TiffDecode, EveryCompressionGivesTheSameRowsAcrossStrips) {
    TiffPicture p =
        MakePicture(23, 17, 8, 1, [](uint32_t x, uint32_t y, uint32_t) { return x / 4 * 40 + y % 3; });
    for (uint32_t compression : {1u, 32773u, 5u}) {
        for (uint32_t rows : {0u, 1u, 4u, 16u}) {
            TiffOptions o = With(0);
            o.compression = compression;
            o.rowsPerStrip = rows;
            DecodedPicture d;
            ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk) << compression << " " << rows;
            for (uint32_t y = 0; y < 17; ++y)
                for (uint32_t x = 0; x < 23; ++x)
                    ASSERT_EQ(d.Row(y)[x], p.Sample(x, y, 0))
                        << compression << " " << rows << " " << x << "," << y;
        }
    }
}

TEST(TiffDecode, LzwWithDifferencingAcrossEveryCodeWidth) {
    // Enough noise that codes grow to 12 bits and the table is cleared inside a strip.
    TiffPicture p = MakePicture(151, 60, 8, 3, Noise);
    TiffOptions o = With(2);
    o.compression = 5;
    o.predictor = true;
    o.rowsPerStrip = 40;
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    for (uint32_t y = 0; y < 60; ++y)
        for (uint32_t x = 0; x < 151; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                ASSERT_EQ(d.Row(y)[x * 3 + c], p.Sample(x, y, c)) << x << "," << y;

    TiffPicture grey = MakePicture(33, 9, 8, 1, Busy);
    TiffOptions g = With(0);
    g.compression = 5;
    g.predictor = true;
    DecodedPicture e;
    ASSERT_EQ(Decode(MakeTiff(grey, g), &e), kOk);
    for (uint32_t x = 0; x < 33; ++x) EXPECT_EQ(e.Row(8)[x], grey.Sample(x, 8, 0));
}

TEST(TiffDecode, DifferencingIsUndoneForUncompressedAndPackBitsStrips) {
    TiffPicture p = MakePicture(12, 4, 8, 4, Busy);
    for (uint32_t compression : {1u, 32773u}) {
        TiffOptions o = With(2);
        o.compression = compression;
        o.predictor = true;
        o.extraTags.push_back({338, testing::kShort, {0}});
        DecodedPicture d;
        ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
        for (uint32_t x = 0; x < 12; ++x) EXPECT_EQ(d.Row(3)[x * 3 + 1], p.Sample(x, 3, 1)) << compression;
    }
}

TEST(TiffDecode, OldStyleLzwIsRead) {
    TiffPicture p = MakePicture(120, 30, 8, 1, Noise);
    TiffOptions o = With(0);
    o.compression = 5;
    o.oldLzw = true;
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 120; ++x) ASSERT_EQ(d.Row(y)[x], p.Sample(x, y, 0));
}

TEST(TiffDecode, ALonePackBitsStripWithoutByteCountRunsToTheSectionEnd) {
    TiffPicture p = MakePicture(19, 6, 1, 1, [](uint32_t x, uint32_t y, uint32_t) { return (x + y) / 3; });
    TiffOptions o = With(0);
    o.compression = 32773;
    o.writeByteCounts = false;
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 19; ++x) EXPECT_EQ(d.Index(x, y), p.Sample(x, y, 0));
}

TEST(TiffDecode, ARawStripWithoutByteCountIsItsRows) {
    TiffPicture p = MakePicture(5, 4, 8, 1, Busy);
    TiffOptions o = With(0);
    o.writeByteCounts = false;
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    EXPECT_EQ(d.Row(3)[4], p.Sample(4, 3, 0));
}

// ---- Tags ----------------------------------------------------------------------------------

TEST(TiffDecode, PrivateAndUnusedTagsNeverRefuse) {
    TiffPicture p = MakePicture(4, 2, 8, 1, Busy);
    TiffOptions o = With(0);
    // A private tag claiming a huge array far outside the file, and a Software string pointing
    // past the end, the kind of thing the decoder has no use for.
    o.extraTags.push_back({40000, testing::kLong, std::vector<uint32_t>(3, 0)});
    o.extraTags.push_back({305, testing::kAscii, std::vector<uint32_t>(20, 'x')});
    std::string tiff = MakeTiff(p, o);
    // Point both entries' values past the end: find them by tag in the directory.
    uint32_t dir = static_cast<uint8_t>(tiff[4]) | static_cast<uint8_t>(tiff[5]) << 8;
    uint32_t n = static_cast<uint8_t>(tiff[dir]);
    for (uint32_t i = 0; i < n; ++i) {
        size_t e = dir + 2 + 12 * i;
        uint32_t tag = static_cast<uint8_t>(tiff[e]) | static_cast<uint8_t>(tiff[e + 1]) << 8;
        if (tag == 40000 || tag == 305)
            tiff.replace(e + 4, 8, testing::Le32(0x7FFFFFFF) + testing::Le32(0xFFFFFFF0));
    }
    DecodedPicture d;
    ASSERT_EQ(Decode(tiff, &d), kOk);
    EXPECT_EQ(d.Row(1)[3], p.Sample(3, 1, 0));
}

TEST(TiffDecode, BitsPerSampleMustBeOneOfTheDecodedSizes) {
    TiffPicture p = MakePicture(4, 2, 8, 2, Busy);
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, With(1)), &d), kOk);  // given twice, as 8, 8
    TiffOptions three = With(1);
    three.extraTags.push_back({258, testing::kShort, {3}});
    EXPECT_EQ(Decode(MakeTiff(p, three), &d), kErrFormat);
    TiffOptions sixteen = With(1);
    sixteen.extraTags.push_back({258, testing::kShort, {16}});
    EXPECT_EQ(Decode(MakeTiff(p, sixteen), &d), kErrFormat);
    TiffOptions mixed = With(1);
    mixed.extraTags.push_back({258, testing::kShort, {8, 16}});
    EXPECT_EQ(Decode(MakeTiff(p, mixed), &d), kErrFormat);
    EXPECT_EQ(d.calls, 1);
}

TEST(TiffDecode, LayoutsTheDecoderCannotConvertAreRefused) {
    DecodedPicture d;
    TiffPicture grey = MakePicture(4, 2, 8, 1, Busy);
    TiffPicture rgb = MakePicture(4, 2, 8, 3, Busy);
    TiffPicture rgb4 = MakePicture(4, 2, 4, 3, Busy);
    EXPECT_EQ(Decode(MakeTiff(rgb4, With(2)), &d), kErrFormat);  // RGB of 4-bit samples
    EXPECT_EQ(Decode(MakeTiff(grey, With(2)), &d), kErrFormat);  // RGB with one sample
    EXPECT_EQ(Decode(MakeTiff(rgb, With(5)), &d), kErrFormat);   // CMYK with three
    EXPECT_EQ(Decode(MakeTiff(grey, With(4)), &d), kErrFormat);  // transparency mask
    EXPECT_EQ(Decode(MakeTiff(grey, With(6)), &d), kErrFormat);  // YCbCr

    TiffOptions planar = With(2);
    planar.extraTags.push_back({284, testing::kShort, {2}});
    EXPECT_EQ(Decode(MakeTiff(rgb, planar), &d), kErrFormat);
    TiffOptions jpeg = With(1);
    jpeg.compression = 7;
    EXPECT_EQ(Decode(MakeTiff(grey, jpeg), &d), kErrFormat);
    TiffOptions floatPredictor = With(1);
    floatPredictor.extraTags.push_back({317, testing::kShort, {3}});
    EXPECT_EQ(Decode(MakeTiff(grey, floatPredictor), &d), kErrFormat);
    TiffPicture grey4 = MakePicture(4, 2, 4, 1, Busy);
    TiffOptions predictor4 = With(1);
    predictor4.predictor = true;
    EXPECT_EQ(Decode(MakeTiff(grey4, predictor4), &d), kErrFormat);
    TiffOptions tiled = With(1);
    tiled.extraTags.push_back({322, testing::kShort, {16}});
    EXPECT_EQ(Decode(MakeTiff(grey, tiled), &d), kErrFormat);
    EXPECT_EQ(d.calls, 0);

    // Planar-separate storage of a single sample is the same bytes, and decodes.
    TiffOptions planarGrey = With(0);
    planarGrey.extraTags.push_back({284, testing::kShort, {2}});
    ASSERT_EQ(Decode(MakeTiff(grey, planarGrey), &d), kOk);
    EXPECT_EQ(d.Row(1)[2], grey.Sample(2, 1, 0));
}

// ---- Strip failures and the sink -------------------------------------------------------------

// Breaks strip `strip` of an LZW picture by cutting its data to two bytes.
std::string WithBrokenStrip(const TiffPicture& p, TiffOptions o, uint32_t strip) {
    std::string tiff = MakeTiff(p, o);
    uint32_t dir = static_cast<uint8_t>(tiff[4]) | static_cast<uint8_t>(tiff[5]) << 8;
    uint32_t n = static_cast<uint8_t>(tiff[dir]);
    for (uint32_t i = 0; i < n; ++i) {
        size_t e = dir + 2 + 12 * i;
        if (static_cast<uint8_t>(tiff[e]) == (279 & 0xFF) && static_cast<uint8_t>(tiff[e + 1]) == 1) {
            uint32_t list = static_cast<uint8_t>(tiff[e + 8]) | static_cast<uint8_t>(tiff[e + 9]) << 8;
            tiff.replace(list + 4 * strip, 4, testing::Le32(2));
        }
    }
    return tiff;
}

TEST(TiffDecode, ABrokenStripLeavesItsRowsZeroWhenALaterStripDecodes) {
    TiffPicture p = MakePicture(8, 9, 8, 1, [](uint32_t, uint32_t, uint32_t) { return 200; });
    TiffOptions o = With(0);
    o.compression = 5;
    o.rowsPerStrip = 3;
    DecodedPicture d;
    ASSERT_EQ(Decode(WithBrokenStrip(p, o, 1), &d), kOk);
    for (uint32_t y = 0; y < 9; ++y) EXPECT_EQ(d.Row(y)[5], y / 3 == 1 ? 0 : 200) << y;

    DecodedPicture last;
    EXPECT_EQ(Decode(WithBrokenStrip(p, o, 2), &last), kErrFormat);
    EXPECT_EQ(last.calls, 0);
}

Status Refuse(RasterImage*, const Rect*, const Rect*, void*) {
    return kErrMemory;
}

// Small strips go on one band each; a strip bigger than a band is cut into bands, so that the whole
// picture is never held. Either way the bands follow each other down the picture's own frame.
TEST(TiffDecode, BandsCoverThePictureInOrderAndNeverExceedTheBandSize) {
    TiffPicture big = MakePicture(1000, 400, 8, 3, Busy);
    TiffOptions rgb = With(0);
    rgb.photometric = 2;
    struct Largest {
        DecodedPicture d;
        uint32_t most = 0;
    } largest;
    PreviewSink measuring{[](RasterImage* band, const Rect* image, const Rect* rows, void* c) {
                              auto* l = static_cast<Largest*>(c);
                              uint32_t bytes = band->rowBytes * band->height;
                              if (bytes > l->most) l->most = bytes;
                              return CaptureBand(band, image, rows, &l->d);
                          },
                          &largest};
    std::string bigTiff = MakeTiff(big, rgb);
    ASSERT_EQ(DecodeTiffImage(reinterpret_cast<const uint8_t*>(bigTiff.data()),
                              static_cast<uint32_t>(bigTiff.size()), &measuring),
              kOk);
    EXPECT_GT(largest.d.calls, 1);
    EXPECT_LE(largest.most, 256u * 1024);
    EXPECT_TRUE(largest.d.bandsInOrder);
    ASSERT_EQ(largest.d.height, 400u);
    for (uint32_t y : {0u, 64u, 65u, 399u})
        for (uint32_t x : {0u, 999u})
            for (uint32_t s = 0; s < 3; ++s)
                EXPECT_EQ(largest.d.Row(y)[x * 3 + s], big.Sample(x, y, s)) << x << "," << y;

    TiffPicture p = MakePicture(21, 11, 8, 1, Busy);
    TiffOptions o = With(0);
    o.rowsPerStrip = 2;
    DecodedPicture d;
    ASSERT_EQ(Decode(MakeTiff(p, o), &d), kOk);
    EXPECT_EQ(d.calls, 6);
    EXPECT_TRUE(d.bandsInOrder);
    EXPECT_EQ(d.width, 21u);
    EXPECT_EQ(d.height, 11u);
    EXPECT_EQ(d.image.right, 21);
    EXPECT_EQ(d.image.bottom, 11);
    EXPECT_EQ(d.band.left, 0);
    EXPECT_EQ(d.band.top, 0);
    EXPECT_EQ(d.band.right, 21);
    EXPECT_EQ(d.band.bottom, 11);

    std::string tiff = MakeTiff(p, o);
    PreviewSink refusing{Refuse, nullptr};
    EXPECT_EQ(DecodeTiffImage(reinterpret_cast<const uint8_t*>(tiff.data()),
                              static_cast<uint32_t>(tiff.size()), &refusing),
              kErrMemory);
    EXPECT_EQ(DecodeTiffImage(reinterpret_cast<const uint8_t*>(tiff.data()),
                              static_cast<uint32_t>(tiff.size()), nullptr),
              kOk);
}

}  // namespace
}  // namespace aldra
