// JPEG decoding: band layout, pixel orders, restart handling, hostile streams, the ASCII85 source
// read from the file, and the two chain sources that carry a JPEG stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "eps/EpsReader.h"
#include "fixtures/Eps.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Tiff.h"
#include "preview/ColourTables.h"
#include "preview/JpegDecoder.h"
#include "preview/PreviewSources.h"
#include "preview/TextResources.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

// Every band handed over, and the picture they make together (natural order, top row first).
struct Bands final : RowSink {
    int calls = 0;
    int failingCalls = 0;  // the first calls answer with `failure`
    Status failure = 4321;
    RowBand last;
    std::vector<uint32_t> tops;
    std::vector<uint8_t> picture;

    Status TakeRows(const RowBand& band) override {
        if (++calls <= failingCalls) return failure;
        last = band;
        tops.push_back(band.top);
        size_t pixelRow = static_cast<size_t>(band.width) * band.bitsPerPixel / 8;
        picture.resize(pixelRow * band.height);
        for (uint32_t y = 0; y < band.rows; ++y)
            std::memcpy(&picture[(band.top + y) * pixelRow], band.pixels + y * band.rowBytes, pixelRow);
        return kOk;
    }
};

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 999;
    int most = 0;
    for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
    return most;
}

// The drawing layer places a band one row lower than its rectangle, as GDI does with mirrored
// pictures, so a target pixel may show the picture's row above it.
int MaxTargetDifference(const std::vector<uint8_t>& target, const std::vector<uint8_t>& picture,
                        size_t rowBytes) {
    if (target.size() != picture.size()) return 999;
    int most = 0;
    for (size_t i = 0; i < target.size(); ++i) {
        int here = std::abs(target[i] - picture[i]);
        if (i >= rowBytes) here = std::min(here, std::abs(target[i] - picture[i - rowBytes]));
        most = std::max(most, here);
    }
    return most;
}

// Flat 8 x 8 blocks, so that JPEG keeps every value within a few levels.
uint32_t Blocky(uint32_t x, uint32_t y, int s) {
    return ((x / 8) * 37 + (y / 8) * 91 + s * 59) % 256;
}

std::vector<uint8_t> Complemented(std::vector<uint8_t> bytes) {
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(255 - b);
    return bytes;
}

// The target's pixels top row first: red, green, blue, or ink for 8 bits.
std::vector<uint8_t> TargetPicture(const TargetRaster& t) {
    const RasterImage& r = t.raster;
    std::vector<uint8_t> out;
    for (uint32_t y = 0; y < r.height; ++y) {
        const uint8_t* row = r.pixels + static_cast<size_t>(r.height - 1 - y) * r.rowBytes;
        for (uint32_t x = 0; x < r.width; ++x) {
            if (r.bitsPerPixel == 8) {
                out.push_back(row[x]);
            } else {
                out.insert(out.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            }
        }
    }
    return out;
}

class Jpeg : public ::testing::Test {
  protected:
    void SetUp() override {
        SetResourceModule(OwnResourceModule());
        AcquireColourTables();
    }
    void TearDown() override {
        ReleaseColourTables();
        SetResourceModule(OwnResourceModule());
    }
    static Status Decode(const std::string& jpeg, Bands* bands) {
        return DecodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), bands);
    }

    struct Drawn {
        Status status;
        std::vector<uint8_t> picture;
        uint64_t end;  // the reader's position afterwards
    };
    // Draws a file through one of the chain sources into a target of the given size.
    Drawn DrawSource(Status (*source)(EpsReader*, TargetRaster*, const Rect*), const std::string& file,
                     uint32_t w, uint32_t h, uint32_t depth = 24) {
        std::string path = files.Write("source.eps", file);
        EpsReader eps;
        TargetRaster target;
        EXPECT_EQ(OpenEps(path.c_str(), &eps), kOk);
        EXPECT_EQ(CreateTargetRaster(depth, w, h, &target), kOk);
        Rect all{0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)};
        Drawn d{source(&eps, &target, &all), TargetPicture(target), EpsTell(&eps)};
        DestroyTargetRaster(&target);
        CloseEps(&eps);
        return d;
    }
    struct Decoded {
        Status status;
        uint64_t end;  // the reader's position afterwards
    };
    // Writes `text` behind a first line and decodes it through the ASCII85 source.
    Decoded DecodeAscii85(const std::string& text, Bands* bands, const std::string& after = "\nafter\n") {
        std::string path = files.Write("text.eps", "%!PS\n" + text + after);
        EpsReader eps;
        EXPECT_EQ(OpenEps(path.c_str(), &eps), kOk);
        Status status = EpsSeek(&eps, 5);
        if (status == kOk) status = DecodeJpegAscii85(&eps, bands);
        Decoded d{status, EpsTell(&eps)};
        CloseEps(&eps);
        return d;
    }
    Status Ascii85Status(const std::string& text, const std::string& after = "\nafter\n") {
        Bands ignored;
        return DecodeAscii85(text, &ignored, after).status;
    }
    TempDir files;
};

// ---- Bands and pixels -----------------------------------------------------------------------

TEST_F(Jpeg, GreyIsLightAndRgbStaysAsItIsInBandsDownThePicture) {
    auto light = JpegSamples(64, 24, 1, Blocky);
    Bands grey;
    ASSERT_EQ(Decode(EncodeJpeg(64, 24, 1, light), &grey), kOk);
    EXPECT_EQ(grey.last.format, RowFormat::kLight);
    EXPECT_LE(MaxDifference(grey.picture, light), 4);

    auto rgb = JpegSamples(3000, 40, 3, Blocky);
    Bands colour;
    ASSERT_EQ(Decode(EncodeJpeg(3000, 40, 3, rgb), &colour), kOk);
    EXPECT_EQ(colour.last.format, RowFormat::kRgb);
    EXPECT_LE(MaxDifference(colour.picture, rgb), 6);
    ASSERT_GT(colour.calls, 1);  // never the whole picture at once
    for (size_t i = 1; i < colour.tops.size(); ++i) EXPECT_GT(colour.tops[i], colour.tops[i - 1]);
    EXPECT_EQ(colour.last.top + colour.last.rows, 40u);
}

// Photoshop stores CMYK inverted; the JPEG %ImageData pictures store ink amounts.
TEST_F(Jpeg, CmykIsComplementedOnlyForTheStreamsInMemory) {
    auto inks = JpegSamples(32, 16, 4, Blocky);
    for (JpegColourSpace stored : {kJpegCmyk, kJpegYcck}) {
        SCOPED_TRACE(stored);
        Bands adobe, plain;
        ASSERT_EQ(Decode(EncodeJpeg(32, 16, 4, Complemented(inks), JpegOptions().WithStored(stored)), &adobe),
                  kOk);
        EXPECT_EQ(adobe.last.format, RowFormat::kCmyk);
        EXPECT_LE(MaxDifference(adobe.picture, inks), 10);
        std::string jpeg = EncodeJpeg(32, 16, 4, inks, JpegOptions().WithStored(stored));
        ASSERT_EQ(DecodeAscii85(Ascii85(jpeg), &plain).status, kOk);
        EXPECT_LE(MaxDifference(plain.picture, inks), 10);
    }
}

// ---- Restarts and the second attempt --------------------------------------------------------

// Replaces the n-th restart marker of the scan by the given marker.
std::string ReplaceRestartMarker(std::string jpeg, int n, uint8_t marker) {
    for (size_t i = jpeg.find("\xFF\xDA"); i + 1 < jpeg.size(); ++i) {
        auto m = static_cast<uint8_t>(jpeg[i + 1]);
        if (jpeg[i] == '\xFF' && m >= 0xD0 && m <= 0xD7 && n-- == 0) {
            jpeg[i + 1] = static_cast<char>(marker);
            break;
        }
    }
    return jpeg;
}

TEST_F(Jpeg, AMisplacedMarkerIsSkippedInTheFirstAttempt) {
    auto rgb = JpegSamples(48, 64, 3, Blocky);
    std::string jpeg = EncodeJpeg(48, 64, 3, rgb, JpegOptions().WithRestartRows(1));
    // Where the second restart was due stands an end-of-image marker: the standard handling would
    // keep it and lose every row behind it.
    std::string broken = ReplaceRestartMarker(jpeg, 1, 0xD9);
    ASSERT_NE(broken, jpeg);
    Bands b;
    ASSERT_EQ(Decode(broken, &b), kOk);
    EXPECT_EQ(b.calls, 1);
    EXPECT_LE(MaxDifference(b.picture, rgb), 6);
}

TEST_F(Jpeg, AFailedFirstAttemptIsRepeatedInFull) {
    std::string jpeg = EncodeJpeg(600, 100, 3, JpegSamples(600, 100, 3, Blocky));  // 36 rows a band
    Bands once;
    once.failingCalls = 1;
    EXPECT_EQ(Decode(jpeg, &once), kOk);
    EXPECT_EQ(once.calls, 1 + 3);
    EXPECT_EQ(once.tops.front(), 0u);
    Bands always;
    always.failingCalls = 99;
    EXPECT_EQ(Decode(jpeg, &always), 4321u);
    EXPECT_EQ(always.calls, 2);
}

// ---- Hostile streams ------------------------------------------------------------------------

TEST_F(Jpeg, BrokenStreamsFailWithoutHarm) {
    std::string jpeg =
        EncodeJpeg(40, 40, 3, JpegSamples(40, 40, 3, Blocky), JpegOptions().WithRestartRows(2));
    std::string progressive =
        EncodeJpeg(40, 40, 3, JpegSamples(40, 40, 3, Blocky), JpegOptions().WithProgression());
    Bands b;
    EXPECT_EQ(DecodeJpeg(nullptr, 0, &b), kErrFormat);
    EXPECT_EQ(Decode("", &b), kErrFormat);
    EXPECT_EQ(Decode("\xFF\xD8", &b), kErrFormat);
    EXPECT_EQ(Decode(jpeg.substr(0, jpeg.find("\xFF\xC0")) + "\xFF\xD9", &b), kErrFormat);  // tables only
    EXPECT_EQ(Decode("\xFF\xD9" + jpeg.substr(2), &b), kErrFormat);
    // Five samples a pixel would overrun rows laid out for at most four.
    EXPECT_EQ(Decode(EncodeJpeg(16, 8, 5, std::vector<uint8_t>(16 * 8 * 5, 9)), &b), kErrFormat);
    // A huge frame announced by a few bytes: the library's buffers are capped, nothing is drawn.
    std::string huge = progressive;
    huge.replace(huge.find("\xFF\xC2") + 5, 4, "\xFF\xDC\xFF\xDC");
    EXPECT_EQ(Decode(huge, &b), kErrFormat);
    EXPECT_EQ(b.calls, 0);
    // A baseline frame of half a billion pixels in a few hundred bytes: refused before any row.
    std::string claimed = jpeg;
    claimed.replace(claimed.find("\xFF\xC0") + 5, 4, "\x20\x08\xFF\x07");
    EXPECT_EQ(Decode(claimed, &b), kErrFormat);
    EXPECT_EQ(b.calls, 0);
    for (const std::string* stream : {&jpeg, &progressive}) {
        for (size_t cut = 0; cut < stream->size(); cut += 3) {
            Bands t;
            EXPECT_EQ(Decode(stream->substr(0, cut), &t), kErrFormat) << cut;
        }
    }
}

TEST_F(Jpeg, AFlatPictureOfManyPixelsInAFewBytesStillDecodes) {
    // 20 Mpixels of one grey compress to a few bytes a block: more pixels than the floor for small
    // streams, and still far fewer than such a stream can hold.
    std::string flat = EncodeJpeg(5000, 4000, 1, std::vector<uint8_t>(size_t{5000} * 4000, 200));
    Bands b;
    ASSERT_EQ(Decode(flat, &b), kOk);
    EXPECT_EQ(b.last.top + b.last.rows, 4000u);
}

TEST_F(Jpeg, Ascii85TextDecodesWhateverItsLayout) {
    auto light = JpegSamples(24, 16, 1, Blocky);
    // A comment longer than a refill, to be skipped, with zero groups and a false end marker in it.
    std::string comment = std::string(600, '\0') + "\xFF\xD9" + std::string(8, '\0');
    std::string jpeg = EncodeJpeg(24, 16, 1, light, JpegOptions().WithComment(comment));
    std::string text = Ascii85(jpeg);
    ASSERT_NE(text.find('z'), std::string::npos);
    std::string spread;
    for (size_t i = 0; i < text.size(); ++i)
        spread += text[i] + std::string(i % 3 ? "" : i % 2 ? " \t" : "\r\n");
    Bands memory;
    ASSERT_EQ(Decode(jpeg, &memory), kOk);
    for (const std::string& t : {text, spread}) {
        Bands b;
        ASSERT_EQ(DecodeAscii85(t, &b).status, kOk);
        EXPECT_EQ(b.picture, memory.picture);
    }
}

TEST_F(Jpeg, Ascii85FinalGroupsAndTheEndMark) {
    for (size_t pad = 0; pad < 4; ++pad) {
        SCOPED_TRACE(pad);
        std::string jpeg = EncodeJpeg(16, 16, 1, JpegSamples(16, 16, 1, Blocky),
                                      JpegOptions().WithComment(std::string(pad + 1, 'c')));
        if (jpeg.size() % 252 == 0) jpeg.insert(jpeg.size() - 2, 4, '\0');  // keep the end inside a refill
        std::string text = Ascii85(jpeg);
        Bands b;
        Decoded d = DecodeAscii85(text, &b);
        EXPECT_EQ(d.status, kOk);
        // The end mark is read with its ">" and nothing after it.
        EXPECT_EQ(d.end, 5 + text.size());
        // The last bytes of the stream (its end marker among them) come from the final group.
        if (jpeg.size() % 4) {
            EXPECT_EQ(Ascii85Status(Ascii85(jpeg, true)), kErrFormat);
        }
    }
}

TEST_F(Jpeg, Ascii85FaultsEndTheData) {
    std::string jpeg = EncodeJpeg(32, 32, 1, JpegSamples(32, 32, 1, Blocky));
    ASSERT_GT(jpeg.size() % 252, 8u);  // the last refill holds more than the end marker
    std::string text = Ascii85(jpeg);
    std::string body = text.substr(0, text.size() - 2);
    size_t middle = text.size() / 2;
    EXPECT_EQ(Ascii85Status(text.substr(0, middle) + "{" + text.substr(middle)), kErrFormat);
    // A "z" inside a group: after the first two digits of a group of five, halfway through.
    std::string digits = body;
    digits.erase(std::remove(digits.begin(), digits.end(), '\n'), digits.end());
    size_t group = 0;
    while (group < digits.size() / 2 || digits[group] == 'z') group += digits[group] == 'z' ? 1 : 5;
    EXPECT_EQ(Ascii85Status(digits.substr(0, group + 2) + "z" + digits.substr(group + 2) + "~>"), kErrFormat);
    // A fault drops the whole refill it stands in, here the one holding the stream's last bytes.
    EXPECT_EQ(Ascii85Status(body + "{"), kErrFormat);
    EXPECT_EQ(Ascii85Status(body, ""), kErrFormat);  // the file ends before "~"
    // Further behind, once every byte the decoder needs has come, a fault does no harm.
    std::string trailing = Ascii85(jpeg + std::string(600, 'U'));
    EXPECT_EQ(Ascii85Status(trailing.substr(0, trailing.size() - 2) + "{"), kOk);
}

// ---- Chain sources --------------------------------------------------------------------------

uint32_t Quadrant(uint32_t x, uint32_t y, int s) {
    static const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    return colours[(y >= 8) * 2 + (x >= 16)][s];
}

TEST_F(Jpeg, PhotoshopThumbnailFromResource1033OrIptc) {
    auto rgb = JpegSamples(32, 16, 3, Quadrant);
    auto bgr = JpegSamples(32, 16, 3, [](uint32_t x, uint32_t y, int s) { return Quadrant(x, y, 2 - s); });
    std::string thumbnail = ImageResource(1033, ThumbnailResourceData(32, 16, EncodeJpeg(32, 16, 3, bgr)));
    std::string iptc = ImageResource(
        1028, IptcDataSetBytes(2, 120, "caption") + IptcDataSetBytes(4, 100, EncodeJpeg(32, 16, 3, rgb)));
    std::string resolution = ImageResource(1005, ResolutionInfo(72 << 16, 72 << 16));
    struct Case {
        const char* name;
        std::string resources;
        Status status;
    } cases[] = {
        {"1033", resolution + thumbnail, kOk},
        {"IPTC 4:100", resolution + iptc, kOk},
        {"1033 too short, no fallback", ImageResource(1033, std::string(28, '\0')) + iptc, kErrFormat},
        {"only 1036",
         resolution + ImageResource(1036, ThumbnailResourceData(32, 16, EncodeJpeg(32, 16, 3, rgb))),
         kErrFormat},
        {"IPTC without 4:100", ImageResource(1028, IptcDataSetBytes(2, 120, "caption")), kErrFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawn d = DrawSource(DrawPhotoshopThumbnail,
                             EpsText("%%BoundingBox: 0 0 32 16\n" + PhotoshopBlock(c.resources)), 32, 16);
        EXPECT_EQ(d.status, c.status);
        if (c.status == kOk) {
            EXPECT_LE(MaxTargetDifference(d.picture, rgb, 32 * 3), 8);
        }
    }
    EXPECT_EQ(DrawSource(DrawPhotoshopThumbnail, EpsText("%%Creator: x"), 32, 16).status, kErrFormat);
    // Only colour bands are swapped.
    auto light = JpegSamples(32, 16, 1, Blocky);
    std::string grey = ImageResource(1033, ThumbnailResourceData(32, 16, EncodeJpeg(32, 16, 1, light)));
    Bands memory;
    ASSERT_EQ(Decode(EncodeJpeg(32, 16, 1, light), &memory), kOk);
    Drawn d = DrawSource(DrawPhotoshopThumbnail, EpsText(PhotoshopBlock(grey)), 32, 16, 8);
    ASSERT_EQ(d.status, kOk);
    EXPECT_EQ(MaxTargetDifference(d.picture, Complemented(memory.picture), 32), 0);
}

TEST_F(Jpeg, StormPicturePressBinaryBlock) {
    auto rgb = JpegSamples(32, 16, 3, Quadrant);
    std::string jpeg = EncodeJpeg(32, 16, 3, rgb);
    std::string n = std::to_string(jpeg.size());
    std::string storm = "%!PS-Adobe-3.0\n%%Creator: \t Storm PicturePress 2.0\n%%EndSetup\n%%BeginBinary: ";
    struct Case {
        const char* name;
        std::string file;
        Status status;
    } cases[] = {
        {"plain", storm + n + "\n" + jpeg + "\n%%EndBinary\n", kOk},
        {"CR LF", "%!PS-Adobe-3.0\r\n%%Creator: Storm PicturePress\r\n%%BeginBinary: " + n + "\r\n" + jpeg,
         kOk},
        {"DOS EPS", DosEpsFile(storm + n + "\n" + jpeg, ""), kOk},
        {"another creator", "%!PS-Adobe-3.0\n%%Creator: Photoshop\n%%BeginBinary: " + n + "\n" + jpeg,
         kErrFormat},
        {"setup ends first",
         "%!PS-Adobe-3.0\n%%EndSetup\n%%Creator: Storm PicturePress\n%%BeginBinary: " + n + "\n" + jpeg,
         kErrFormat},
        {"no binary block", "%!PS-Adobe-3.0\n%%Creator: Storm PicturePress\nshowpage\n", kErrEof},
        {"no creator", "%!PS-Adobe-3.0\n%%Title: picture\nshowpage\n", kErrEof},
        {"count beyond the file", storm + std::to_string(jpeg.size() + 1) + "\n" + jpeg, kErrFormat},
        {"count 0", storm + "0\n" + jpeg, kErrFormat},
        {"no count", storm + "x\n" + jpeg, kErrFormat},
        {"count wrapping at 2^32", storm + std::to_string((uint64_t{1} << 32) + jpeg.size()) + "\n" + jpeg,
         kErrFormat},
        {"count short of the stream", storm + std::to_string(jpeg.size() - 40) + "\n" + jpeg, kErrFormat},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drawn d = DrawSource(DrawStormPicture, c.file, 32, 16);
        EXPECT_EQ(d.status, c.status);
        if (c.status == kOk) {
            EXPECT_LE(MaxTargetDifference(d.picture, rgb, 32 * 3), 8);
        }
    }
}

}  // namespace
}  // namespace aldra
