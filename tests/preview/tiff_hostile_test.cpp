// Malformed TIFF previews, written out byte by byte: each must be refused with 2020 (or, for a
// picture too large to hold, 1000) without reading or writing outside its data.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "eps/EpsReader.h"
#include "preview/TiffPreview.h"
#include "support/EpsFixtures.h"
#include "support/TempDir.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using testing::CaptureSink;
using testing::DecodedPicture;
using namespace testing;

// A little-endian 4 x 2 grey picture in one uncompressed strip.
const std::vector<uint8_t> kGood = {
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

constexpr size_t kDirectoryOffset = 4;
constexpr size_t kEntryCount = 8;
constexpr size_t kWidthType = 12;
constexpr size_t kWidthCount = 14;
constexpr size_t kWidthValue = 18;
constexpr size_t kHeightType = 24;
constexpr size_t kHeightValue = 30;
constexpr size_t kBitsCount = 38;
constexpr size_t kBitsValue = 42;
constexpr size_t kCompressionValue = 54;
constexpr size_t kOffsetsType = 72;
constexpr size_t kOffsetsCount = 74;
constexpr size_t kOffsetsValue = 78;
constexpr size_t kRowsPerStripValue = 90;
constexpr size_t kCountsCount = 98;
constexpr size_t kCountsValue = 102;
constexpr size_t kPixels = 110;

std::vector<uint8_t> With(std::vector<uint8_t> file, size_t at, std::initializer_list<int> bytes) {
    for (int b : bytes) file.at(at++) = static_cast<uint8_t>(b);
    return file;
}

std::vector<uint8_t> With32(std::vector<uint8_t> file, size_t at, uint32_t v) {
    return With(std::move(file), at, {int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF), int(v >> 24)});
}

// Decodes from a heap block of exactly the file's size, so that the sanitizer sees any read past it.
Status Decode(const std::vector<uint8_t>& file, DecodedPicture* d = nullptr) {
    DecodedPicture ignored;
    PreviewSink sink = CaptureSink(d ? d : &ignored);
    auto exact = std::make_unique<uint8_t[]>(file.size() ? file.size() : 1);
    std::copy(file.begin(), file.end(), exact.get());
    return DecodeTiffImage(file.empty() ? nullptr : exact.get(), static_cast<uint32_t>(file.size()), &sink);
}

TEST(TiffHostile, TheUntouchedFileDecodes) {
    DecodedPicture d;
    ASSERT_EQ(Decode(kGood, &d), kOk);
    EXPECT_EQ(std::vector<uint8_t>(d.Row(1), d.Row(1) + 4), (std::vector<uint8_t>{50, 60, 70, 80}));
}

TEST(TiffHostile, HeadersThatAreNotTiff) {
    EXPECT_EQ(Decode({}), kErrFormat);
    EXPECT_EQ(Decode({'I', 'I', 42, 0, 8, 0, 0}), kErrFormat);  // cut inside the header
    EXPECT_EQ(Decode(With(kGood, 0, {'I', 'M'})), kErrFormat);
    EXPECT_EQ(Decode(With(kGood, 2, {43})), kErrFormat);
    EXPECT_EQ(Decode(With(kGood, 0, {'M', 'M'})), kErrFormat);  // the same bytes read big-endian
}

TEST(TiffHostile, DirectoriesOutsideTheFile) {
    EXPECT_EQ(Decode(With32(kGood, kDirectoryOffset, 0xFFFFFFF0)), kErrFormat);
    EXPECT_EQ(Decode(With32(kGood, kDirectoryOffset, static_cast<uint32_t>(kGood.size() - 1))), kErrFormat);
    EXPECT_EQ(Decode(With(kGood, kEntryCount, {0xFF, 0xFF})), kErrFormat);  // 65535 entries
    EXPECT_EQ(Decode(With(kGood, kEntryCount, {10})), kErrFormat);          // two entries too many
}

TEST(TiffHostile, RefusedTypesCountsAndSizes) {
    EXPECT_EQ(Decode(With(kGood, kWidthType, {7})), kErrFormat);      // UNDEFINED
    EXPECT_EQ(Decode(With(kGood, kWidthCount, {2})), kErrFormat);     // two widths (4 bytes, in place)
    EXPECT_EQ(Decode(With(kGood, kWidthValue, {0, 0})), kErrFormat);  // width 0
    EXPECT_EQ(Decode(With(kGood, kOffsetsType, {1})), kErrFormat);    // BYTE strip offsets
    EXPECT_EQ(Decode(With(kGood, kBitsValue, {3})), kErrFormat);
    EXPECT_EQ(Decode(With(kGood, kCompressionValue, {2})), kErrFormat);  // CCITT
    // Three bits-per-sample values are six bytes, so the value field becomes an offset: past the end.
    EXPECT_EQ(Decode(With32(With(kGood, kBitsCount, {3}), kBitsValue, 0x7FFFFFFF)), kErrFormat);
}

TEST(TiffHostile, PictureSizesThatOverflow) {
    // Width as LONG 0xFFFFFFFF: 8 bits x width does not fit a row.
    auto wide = With32(With(kGood, kWidthType, {4}), kWidthValue, 0xFFFFFFFF);
    EXPECT_EQ(Decode(wide), kErrFormat);
    // Rows of 2^20 bytes fit, but 2^16 of them (height as LONG, one strip) exceed 32 bits.
    auto big = With(With(kGood, kWidthType, {4}), kHeightType, {4});
    big = With32(big, kRowsPerStripValue, 0);
    EXPECT_EQ(Decode(With32(With32(big, kWidthValue, 1u << 20), kHeightValue, 1u << 16)), kErrFormat);
    // Representable, but more than a preview is allowed to take.
    EXPECT_EQ(Decode(With32(With32(big, kWidthValue, 0x30000), kHeightValue, 0x2000)), kErrMemory);
}

TEST(TiffHostile, StripListsThatDisagreeWithThePicture) {
    // One row a strip needs two strips; both lists name one.
    EXPECT_EQ(Decode(With(kGood, kRowsPerStripValue, {1})), kErrFormat);
    // No offsets at all, and no byte counts where two strips are needed.
    EXPECT_EQ(Decode(With(kGood, kOffsetsCount, {0})), kErrFormat);
    auto twoStrips = With(kGood, kRowsPerStripValue, {1});
    twoStrips = With(twoStrips, kOffsetsCount, {2});
    twoStrips = With32(twoStrips, kOffsetsValue, 110);  // the list: 110 (bytes 110..117 as two LONGs)
    EXPECT_EQ(Decode(twoStrips), kErrFormat);           // still one byte count
    // A list whose byte size overflows 32 bits, and one pointing past the end.
    EXPECT_EQ(Decode(With(kGood, kOffsetsCount, {1, 0, 0, 0x40})), kErrFormat);
    EXPECT_EQ(Decode(With32(With(kGood, kCountsCount, {2}), kCountsValue, 0xFFFFFFFC)), kErrFormat);
}

TEST(TiffHostile, StripsOutsideTheFile) {
    EXPECT_EQ(Decode(With32(kGood, kOffsetsValue, 4000)), kErrFormat);
    EXPECT_EQ(Decode(With32(kGood, kOffsetsValue, 0xFFFFFFFC)), kErrFormat);   // offset + count wraps
    EXPECT_EQ(Decode(With32(kGood, kOffsetsValue, kPixels + 2)), kErrFormat);  // two bytes short
    // Compressed strips are read whole: a count that wraps past the end of the address space.
    auto packBits = With(kGood, kCompressionValue, {0x05, 0x80});
    EXPECT_EQ(Decode(With32(packBits, kCountsValue, 0xFFFFFFF8)), kErrFormat);
}

TEST(TiffHostile, CompressedStripsThatEndTooSoonOrMisbehave) {
    // PackBits in a 5-byte strip: repeat 50 x 4 for row 1, then a literal of 6 with only 2 bytes
    // behind it.
    auto packBits = With(With(kGood, kCompressionValue, {0x05, 0x80}), kPixels, {0xFD, 50, 5, 1, 2});
    EXPECT_EQ(Decode(With32(packBits, kCountsValue, 5)), kErrFormat);
    EXPECT_EQ(Decode(With32(packBits, kCountsValue, 7)), kOk);  // with the bytes it needs
    // LZW: clear, 'A', code 260 before 258 is defined, end (9-bit codes, high bit first).
    auto lzw = With(With(kGood, kCompressionValue, {5}), kPixels, {0x80, 0x10, 0x60, 0x90, 0x10, 0, 0, 0});
    EXPECT_EQ(Decode(lzw), kErrFormat);
    // LZW: clear, 'A', 'B', end: two bytes of eight.
    auto shortLzw =
        With(With(kGood, kCompressionValue, {5}), kPixels, {0x80, 0x10, 0x48, 0x50, 0x10, 0, 0, 0});
    EXPECT_EQ(Decode(shortLzw), kErrFormat);
}

TEST(TiffHostile, EveryTruncationIsRefused) {
    for (size_t n = 0; n < kGood.size(); ++n) {
        std::vector<uint8_t> cut(kGood.begin(), kGood.begin() + static_cast<long>(n));
        EXPECT_EQ(Decode(cut), kErrFormat) << n;
    }
}

TEST(TiffHostile, SingleByteDamageNeverEscapesTheData) {
    // Whatever each byte becomes, the decoder answers without touching memory outside the file
    // (the sanitizers watch) and calls the sink at most once.
    for (size_t at = 0; at < kGood.size(); ++at) {
        for (int v : {0x00, 0x01, 0x05, 0x7F, 0x80, 0xFE, 0xFF}) {
            DecodedPicture d;
            Status s = Decode(With(kGood, at, {v}), &d);
            EXPECT_LE(d.calls, 1);
            if (s != kOk) {
                EXPECT_EQ(d.calls, 0) << at << " " << v;
            }
        }
    }
}

// ---- Sizes a header claims ------------------------------------------------------------------

Status DecodeWithSize(uint32_t width, uint32_t height, uint32_t bits, uint32_t samples,
                      uint32_t photometric = 1) {
    // A few real rows; the size tags claim the rest, which a short strip leaves blank.
    TiffOptions o;
    o.photometric = photometric;
    o.extraTags = {{256, kLong, {width}}, {257, kLong, {height}}};
    const std::string tiff = MakeTiff(MakePicture(16, 2, bits, samples, Busy), o);
    return DecodeTiffImage(reinterpret_cast<const uint8_t*>(tiff.data()), static_cast<uint32_t>(tiff.size()),
                           nullptr);
}

TEST(TiffLimits, PixelsAreCountedAsWellAsBytes) {
    // One bit and two samples a pixel keep the raster small while every pixel costs its own work: a
    // 200-byte file claiming half a billion of them took seconds in the release build.
    EXPECT_EQ(DecodeWithSize(1u << 29, 1, 1, 2), kErrMemory);
    EXPECT_EQ(DecodeWithSize(static_cast<uint32_t>(kMaxTiffPixels) + 1, 1, 1, 1), kErrMemory);
    EXPECT_EQ(DecodeWithSize(8192, 4097, 8, 1), kErrMemory);
    // A full-size preview of a 72 ppi photograph still decodes, RGB at four bytes a pixel included.
    EXPECT_EQ(DecodeWithSize(6000, 5000, 8, 1), kOk);
    EXPECT_EQ(DecodeWithSize(6000, 5000, 8, 3, 2), kOk);
}

TEST(TiffLimits, ASectionLargerThanAnyPictureNeedsIsRefusedUnread) {
    // The header claims a section past the cap; the file is sparse, so the bytes exist but cost
    // nothing to make.
    TempDir dir;
    std::string file =
        DosEpsFile(EpsText("%%BoundingBox: 0 0 72 72"), MakeTiff(MakePicture(4, 2, 8, 1, Busy)));
    const uint32_t claimed = kMaxTiffSectionBytes + 1;
    for (int i = 0; i < 4; ++i) file[24 + i] = static_cast<char>(claimed >> (8 * i));
    const std::string path = dir.Write("huge.eps", file);
    std::filesystem::resize_file(path, uint64_t{claimed} + file.size());
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    EXPECT_EQ(DecodeDosEpsTiffPreview(&eps, nullptr), kErrMemory);
    CloseEps(&eps);
}

}  // namespace
}  // namespace aldra
