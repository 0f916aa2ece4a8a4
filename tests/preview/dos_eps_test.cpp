// The DOS EPS binary header and the TIFF preview it locates, read from files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/FileReader.h"
#include "eps/DosEpsHeader.h"
#include "eps/EpsReader.h"
#include "preview/TiffPreview.h"
#include "support/TempDir.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using testing::Bytes;
using testing::CaptureSink;
using testing::DecodedPicture;
using testing::DosEpsFile;
using testing::Le32;
using testing::MakePicture;
using testing::MakeTiff;
using testing::TempDir;
using testing::TiffOptions;
using testing::TiffPicture;

const std::string kPostScript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n%%EOF\n";

Status ParseBytes(const std::string& bytes, DosEpsHeader* header) {
    return ParseDosEpsHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), header);
}

// An EPS reader over the file as the filter opens one, with the standard window.
Status Open(const std::string& path, EpsReader* eps) {
    uint8_t* cursor = nullptr;
    return ReaderOpen(path.c_str(), &eps->reader, &cursor, kStandardWindow);
}

// Opens the file, decodes its TIFF preview into d and closes it again.
Status DecodeFile(const std::string& path, DecodedPicture* d) {
    EpsReader eps;
    Status status = Open(path, &eps);
    if (status != kOk) return status;
    PreviewSink sink = CaptureSink(d);
    status = DecodeDosEpsTiffPreview(&eps, &sink);
    ReaderClose(&eps.reader);
    return status;
}

TEST(DosEpsHeader, FieldsAreLittleEndianBehindTheMagic) {
    std::string header = Bytes({0xC5, 0xD0, 0xD3, 0xC6,  // magic
                                0x1E, 0x00, 0x00, 0x00,  // PostScript at 30
                                0x10, 0x27, 0x00, 0x00,  // 10,000 bytes of it
                                0x2E, 0x27, 0x00, 0x00,  // metafile at 10,030
                                0x00, 0x01, 0x00, 0x00,  // 256 bytes of it
                                0x2E, 0x28, 0x00, 0x00,  // TIFF at 10,286
                                0x04, 0x03, 0x02, 0x01,  // 0x01020304 bytes of it
                                0xFF, 0xFF});            // no checksum
    DosEpsHeader h;
    ASSERT_EQ(ParseBytes(header, &h), kOk);
    EXPECT_EQ(h.postScriptOffset, 30u);
    EXPECT_EQ(h.postScriptLength, 10000u);
    EXPECT_EQ(h.metafileOffset, 10030u);
    EXPECT_EQ(h.metafileLength, 256u);
    EXPECT_EQ(h.tiffOffset, 10286u);
    EXPECT_EQ(h.tiffLength, 0x01020304u);

    // The checksum is never needed: 28 bytes are a whole header, 27 are not.
    EXPECT_EQ(ParseBytes(header.substr(0, 28), &h), kOk);
    EXPECT_EQ(ParseBytes(header.substr(0, 27), &h), kErrFormat);
    EXPECT_EQ(ParseBytes("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 1 1", &h), kErrFormat);
    header[3] = '\xC7';
    EXPECT_EQ(ParseBytes(header, &h), kErrFormat);
}

TEST(DosEpsHeader, ReadFromTheStartOfTheFileWhereverTheReaderWas) {
    TempDir tmp;
    std::string path = tmp.Write("a.eps", DosEpsFile(kPostScript, std::string("II*\0abcd", 8)));
    EpsReader eps;
    ASSERT_EQ(Open(path, &eps), kOk);
    ASSERT_EQ(ReaderSeek(40, &eps.reader.cursor, &eps.reader), kOk);
    DosEpsHeader h;
    EXPECT_EQ(ReadDosEpsHeader(&eps, &h), kOk);
    EXPECT_EQ(h.postScriptOffset, 30u);
    EXPECT_EQ(h.postScriptLength, kPostScript.size());
    EXPECT_EQ(h.tiffOffset, 30 + kPostScript.size());
    ReaderClose(&eps.reader);
}

TEST(DosEpsTiff, ThePreviewBehindThePostScriptDecodes) {
    TempDir tmp;
    TiffPicture p = MakePicture(17, 12, 8, 3, testing::Busy);
    TiffOptions o;
    o.photometric = 2;
    o.compression = 5;
    o.predictor = true;
    o.rowsPerStrip = 5;
    o.bigEndian = true;
    // PostScript longer than the reader's window, so that the TIFF section lies beyond it.
    std::string postScript = kPostScript + std::string(100000, '%') + "\n";
    DecodedPicture d;
    ASSERT_EQ(DecodeFile(tmp.Write("rgb.eps", DosEpsFile(postScript, MakeTiff(p, o))), &d), kOk);
    EXPECT_EQ(d.calls, 3);  // one band a strip
    EXPECT_EQ(d.width, 17u);
    EXPECT_EQ(d.height, 12u);
    for (uint32_t y = 0; y < 12; ++y)
        for (uint32_t x = 0; x < 17; ++x)
            for (uint32_t c = 0; c < 3; ++c) ASSERT_EQ(d.Row(y)[x * 3 + c], p.Sample(x, y, c));
}

TEST(DosEpsTiff, StripOffsetsCountFromTheTiffSection) {
    // A single-strip PackBits preview without byte counts: its strip runs to the end of the TIFF
    // section, not of the file, so what follows the section is never read as picture data.
    TempDir tmp;
    TiffPicture p = MakePicture(16, 4, 1, 1, [](uint32_t x, uint32_t y, uint32_t) { return x / 2 + y; });
    TiffOptions o;
    o.photometric = 0;
    o.compression = 32773;
    o.writeByteCounts = false;
    DecodedPicture d;
    ASSERT_EQ(
        DecodeFile(tmp.Write("bits.eps", DosEpsFile(kPostScript, MakeTiff(p, o)) + "trailing junk"), &d),
        kOk);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 16; ++x) EXPECT_EQ(d.Index(x, y), p.Sample(x, y, 0));
}

TEST(DosEpsTiff, FilesWithoutAUsablePreviewSection) {
    TempDir tmp;
    TiffPicture p = MakePicture(4, 4, 8, 1, testing::Busy);
    std::string tiff = MakeTiff(p);
    std::string good = DosEpsFile(kPostScript, tiff);
    DecodedPicture d;

    EXPECT_EQ(DecodeFile(tmp.Write("plain.eps", kPostScript), &d), kErrFormat);
    EXPECT_EQ(DecodeFile(tmp.Write("none.eps", DosEpsFile(kPostScript, "")), &d), kErrFormat);
    EXPECT_EQ(DecodeFile(tmp.Write("tiny.eps", good.substr(0, 20)), &d), kErrFormat);

    auto patched = [&](size_t at, const std::string& bytes) {
        std::string f = good;
        f.replace(at, bytes.size(), bytes);
        return f;
    };
    // TIFF offset past the end of the file.
    EXPECT_EQ(DecodeFile(tmp.Write("far.eps", patched(20, Le32(0x7FFFFFFF))), &d), kErrFormat);
    // TIFF length running one byte past the end, and one that would wrap a 32-bit sum.
    EXPECT_EQ(
        DecodeFile(tmp.Write("long.eps", patched(24, Le32(static_cast<uint32_t>(tiff.size() + 1)))), &d),
        kErrFormat);
    EXPECT_EQ(DecodeFile(tmp.Write("wrap.eps", patched(24, Le32(0xFFFFFFFF))), &d), kErrFormat);
    EXPECT_EQ(DecodeFile(tmp.Write("empty.eps", patched(24, Le32(0))), &d), kErrFormat);
    // A TIFF section that starts in the wrong place is not a TIFF.
    EXPECT_EQ(DecodeFile(tmp.Write("off.eps", patched(20, Le32(31))), &d), kErrFormat);
    EXPECT_EQ(d.calls, 0);

    ASSERT_EQ(DecodeFile(tmp.Write("good.eps", good), &d), kOk);
    EXPECT_EQ(d.Row(3)[3], 255 - p.Sample(3, 3, 0));  // black is zero, the fixture's default
}

TEST(DosEpsTiff, ASectionShorterThanItsStripsIsRefused) {
    // The header's TIFF length cuts the section inside the strip: the strip must not be read from
    // the bytes behind the section.
    TempDir tmp;
    TiffPicture p = MakePicture(8, 8, 8, 1, testing::Busy);
    std::string tiff = MakeTiff(p);
    std::string file = DosEpsFile(kPostScript, tiff);
    file.replace(24, 4, Le32(20));  // header (8) and 12 of the 64 pixel bytes
    DecodedPicture d;
    EXPECT_EQ(DecodeFile(tmp.Write("cut.eps", file), &d), kErrFormat);
}

}  // namespace
}  // namespace aldra
