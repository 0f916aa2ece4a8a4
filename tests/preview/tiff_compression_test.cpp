// TIFF previews in the compressions of current writers: Deflate and CCITT. The files are written by
// libtiff from a known pattern and must decode back to it; damaged ones end cleanly.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "CaptureSink.h"
#include "fixtures/CompressedTiff.h"
#include "preview/TiffDirectory.h"
#include "preview/TiffPreview.h"
#include "support/TempDir.h"

// The layouts are written as designated initializers that leave every other field at its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace aldra {
namespace {
using namespace testing;

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

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
    return FileBytes(path);
}

Status Decode(const std::string& file, RowSink* sink) {
    auto exact = std::make_unique<uint8_t[]>(file.size() ? file.size() : 1);
    std::copy(file.begin(), file.end(), exact.get());
    return DecodeTiffImage(file.empty() ? nullptr : exact.get(), static_cast<uint32_t>(file.size()), sink);
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

// Damage in the coded data ends the decoding cleanly, whatever the codec makes of it.
TEST(TiffCompression, DamagedStripsEndCleanly) {
    for (uint16_t compression :
         {COMPRESSION_CCITTRLE, COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_ADOBE_DEFLATE}) {
        Layout l{.compression = compression};
        l.rowsPerStrip = kHeight;
        const std::string good = WriteTiff(l);
        for (size_t at = 8; at < 40 && at < good.size(); at += 3) {
            std::string bad = good;
            bad[at] = static_cast<char>(bad[at] ^ 0x5A);
            CaptureSink sink;
            const Status status = Decode(bad, &sink);
            EXPECT_TRUE(status == kOk || status == kErrFormat) << compression << " at " << at;
            EXPECT_LE(sink.Rows(), kHeight);
        }
        // Cut inside the strip: the picture's only strip fails.
        CaptureSink sink;
        EXPECT_EQ(Decode(good.substr(0, 20), &sink), kErrFormat) << compression;
        EXPECT_EQ(sink.calls, 0);
    }
}

// The fixture library's own coders (the fuzz seeds' source) decode to what they were given.
TEST(TiffCompression, TheFixtureCodersAgreeWithTheDecoder) {
    std::vector<BlackRun> runs = {{0, 5}, {}, {10, 40}, {38, 40}, {3, 4}};
    CaptureSink g4;
    ASSERT_EQ(Decode(TiffWithStrip(40, 5, 1, 1, 0, 4, Group4Rows(40, runs)), &g4), kOk);
    for (uint32_t y = 0; y < runs.size(); ++y)
        for (uint32_t x = 0; x < 40; ++x)
            EXPECT_EQ(g4.Sample(x, y), x >= runs[y].from && x < runs[y].to ? 1u : 0u) << x << "," << y;
    std::string grey;
    for (int i = 0; i < 70000; ++i) grey += static_cast<char>(i * 13);
    CaptureSink deflate;
    ASSERT_EQ(Decode(TiffWithStrip(700, 100, 8, 1, 1, 8, StoredDeflate(grey)), &deflate), kOk);
    EXPECT_EQ(deflate.Picture(), std::vector<uint8_t>(grey.begin(), grey.end()));
}

TEST(TiffCompression, CcittForMoreThanOneBitIsRefused) {
    // libtiff will not write it, so the directory's compression is changed by hand.
    std::string file = WriteTiff({.compression = COMPRESSION_NONE, .bits = 8});
    const std::string tag = std::string("\x03\x01\x03\x00\x01\x00\x00\x00\x01\x00", 10);
    const size_t at = file.find(tag);
    ASSERT_NE(at, std::string::npos);
    file[at + 8] = 4;
    CaptureSink sink;
    EXPECT_EQ(Decode(file, &sink), kErrFormat);
}

}  // namespace
}  // namespace aldra
