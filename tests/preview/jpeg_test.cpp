// JPEG decoding: band layout, pixel orders, restart handling, hostile streams, the ASCII85 source
// read from the file, and the two chain sources that carry a JPEG stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "CaptureSink.h"
#include "eps/EpsReader.h"
#include "fixtures/Eps.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Tiff.h"
#include "preview/JpegDecoder.h"
#include "preview/PreviewSources.h"
#include "preview/TargetSink.h"

namespace aldra {
namespace {

using namespace testing;

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 999;
    int most = 0;
    for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
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

class Jpeg : public ::testing::Test {
  protected:
    static Status Decode(const std::string& jpeg, RowSink* sink) {
        return DecodeJpeg(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size(), sink);
    }

    // The bytes of a w x h target after `draw`.
    template <typename Draw>
    static std::vector<uint8_t> Drawn(uint32_t w, uint32_t h, uint32_t depth, Draw draw) {
        TargetRaster target;
        EXPECT_EQ(CreateTargetRaster(depth, w, h, &target), kOk);
        const Rect all{0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)};
        draw(&target, &all);
        std::vector<uint8_t> bytes(target.raster.pixels, target.raster.pixels + target.raster.capacity);
        DestroyTargetRaster(&target);
        return bytes;
    }
    // A stream drawn through the sink every chain source uses.
    static std::vector<uint8_t> StreamDrawn(const std::string& jpeg, uint32_t w, uint32_t h, uint32_t depth) {
        return Drawn(w, h, depth, [&](TargetRaster* target, const Rect* all) {
            TargetSink sink(target, all);
            EXPECT_EQ(Decode(jpeg, &sink), kOk);
        });
    }
    // A file drawn through one of the chain sources.
    static std::vector<uint8_t> SourceDrawn(Status (*source)(EpsReader*, TargetRaster*, const Rect*),
                                            const std::string& file, uint32_t w, uint32_t h, uint32_t depth,
                                            Status* status) {
        EpsFile eps(file);
        return Drawn(w, h, depth,
                     [&](TargetRaster* t, const Rect* all) { *status = eps.Run(source, t, all); });
    }
    // `text` behind a first line through the ASCII85 source; the reader's position afterwards.
    static Status DecodeAscii85(const std::string& text, RowSink* sink,
                                const std::string& after = "\nafter\n", uint64_t* end = nullptr) {
        EpsFile eps("%!PS\n" + text + after, 5);
        const Status status = eps.Run(DecodeJpegAscii85, sink);
        if (end) *end = EpsTell(&eps.eps);
        return status;
    }
    static Status Ascii85Status(const std::string& text, const std::string& after = "\nafter\n") {
        CaptureSink ignored;
        return DecodeAscii85(text, &ignored, after);
    }
};

TEST_F(Jpeg, GreyIsLightAndRgbStaysAsItIsInBandsDownThePicture) {
    auto light = JpegSamples(64, 24, 1, Blocky);
    CaptureSink grey;
    ASSERT_EQ(Decode(EncodeJpeg(64, 24, 1, light), &grey), kOk);
    EXPECT_EQ(grey.last.format, RowFormat::kLight);
    EXPECT_LE(MaxDifference(grey.Picture(), light), 4);

    auto rgb = JpegSamples(3000, 40, 3, Blocky);
    CaptureSink colour;
    ASSERT_EQ(Decode(EncodeJpeg(3000, 40, 3, rgb), &colour), kOk);
    EXPECT_EQ(colour.last.format, RowFormat::kRgb);
    EXPECT_LE(MaxDifference(colour.Picture(), rgb), 6);
    EXPECT_GT(colour.calls, 1);  // never the whole picture at once
    EXPECT_TRUE(colour.inOrder);
}

// Photoshop stores CMYK inverted; the JPEG %ImageData pictures store ink amounts.
TEST_F(Jpeg, CmykIsComplementedOnlyForTheStreamsInMemory) {
    auto inks = JpegSamples(32, 16, 4, Blocky);
    for (JpegColourSpace stored : {kJpegCmyk, kJpegYcck}) {
        SCOPED_TRACE(stored);
        CaptureSink adobe, plain;
        const JpegOptions o = JpegOptions().WithStored(stored);
        ASSERT_EQ(Decode(EncodeJpeg(32, 16, 4, Complemented(inks), o), &adobe), kOk);
        EXPECT_EQ(adobe.last.format, RowFormat::kCmyk);
        EXPECT_LE(MaxDifference(adobe.Picture(), inks), 10);
        ASSERT_EQ(DecodeAscii85(Ascii85(EncodeJpeg(32, 16, 4, inks, o)), &plain), kOk);
        EXPECT_LE(MaxDifference(plain.Picture(), inks), 10);
    }
}

TEST_F(Jpeg, AMisplacedMarkerIsSkippedInTheFirstAttempt) {
    auto rgb = JpegSamples(48, 64, 3, Blocky);
    std::string broken = EncodeJpeg(48, 64, 3, rgb, JpegOptions().WithRestartRows(1));
    // Where the second restart was due stands an end-of-image marker: the standard handling would
    // keep it and lose every row behind it.
    const size_t second = broken.find("\xFF\xD1", broken.find("\xFF\xDA"));
    ASSERT_NE(second, std::string::npos);
    broken[second + 1] = '\xD9';
    CaptureSink b;
    ASSERT_EQ(Decode(broken, &b), kOk);
    EXPECT_EQ(b.calls, 1);
    EXPECT_LE(MaxDifference(b.Picture(), rgb), 6);
}

TEST_F(Jpeg, AFailedFirstAttemptIsRepeatedInFull) {
    std::string jpeg = EncodeJpeg(600, 100, 3, JpegSamples(600, 100, 3, Blocky));
    CaptureSink normal, once, always;
    once.refusals = 1;
    once.refusal = always.refusal = kErrDiskFull;
    ASSERT_EQ(Decode(jpeg, &normal), kOk);
    ASSERT_GT(normal.calls, 1);
    EXPECT_EQ(Decode(jpeg, &once), kOk);
    EXPECT_EQ(once.calls, 1 + normal.calls);
    EXPECT_TRUE(once.inOrder);  // from the top again
    EXPECT_EQ(once.Rows(), 100u);
    always.refusals = 99;
    EXPECT_EQ(Decode(jpeg, &always), kErrDiskFull);
    EXPECT_EQ(always.calls, 2);
}

TEST_F(Jpeg, BrokenStreamsFailWithoutHarm) {
    std::string jpeg =
        EncodeJpeg(40, 40, 3, JpegSamples(40, 40, 3, Blocky), JpegOptions().WithRestartRows(2));
    std::string progressive =
        EncodeJpeg(40, 40, 3, JpegSamples(40, 40, 3, Blocky), JpegOptions().WithProgression());
    CaptureSink b;
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
    EXPECT_EQ(Decode(jpeg.substr(0, jpeg.size() / 2), &b), kErrFormat);
    EXPECT_EQ(Decode(progressive.substr(0, progressive.size() / 2), &b), kErrFormat);
}

TEST_F(Jpeg, AFlatPictureOfManyPixelsInAFewBytesStillDecodes) {
    // 20 Mpixels of one grey compress to a few bytes a block: more pixels than the floor for small
    // streams, and still far fewer than such a stream can hold.
    std::string flat = EncodeJpeg(5000, 4000, 1, std::vector<uint8_t>(size_t{5000} * 4000, 200));
    CaptureSink b;
    ASSERT_EQ(Decode(flat, &b), kOk);
    EXPECT_EQ(b.Rows(), 4000u);
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
    CaptureSink memory;
    ASSERT_EQ(Decode(jpeg, &memory), kOk);
    for (const std::string& t : {text, spread}) {
        CaptureSink b;
        ASSERT_EQ(DecodeAscii85(t, &b), kOk);
        EXPECT_EQ(b.pixels, memory.pixels);
    }
}

TEST_F(Jpeg, Ascii85FinalGroupsAndTheEndMark) {
    for (size_t pad = 0; pad < 4; ++pad) {
        SCOPED_TRACE(pad);
        std::string jpeg = EncodeJpeg(16, 16, 1, JpegSamples(16, 16, 1, Blocky),
                                      JpegOptions().WithComment(std::string(pad + 1, 'c')));
        if (jpeg.size() % 252 == 0) jpeg.insert(jpeg.size() - 2, 4, '\0');  // keep the end inside a refill
        std::string text = Ascii85(jpeg);
        CaptureSink b;
        uint64_t end = 0;
        EXPECT_EQ(DecodeAscii85(text, &b, "\nafter\n", &end), kOk);
        EXPECT_EQ(end, 5 + text.size());  // the end mark is read with its ">" and nothing after it
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

// The control's tests show both thumbnails; these are the files that give none, and the grey one.
TEST_F(Jpeg, PhotoshopThumbnailFromResource1033OrIptc) {
    const std::string rgb = EncodeJpeg(32, 16, 3, JpegSamples(32, 16, 3, Blocky));
    const std::string iptc = ImageResource(1028, IptcDataSetBytes(4, 100, rgb));
    const std::string resolution = ImageResource(1005, ResolutionInfo(72 << 16, 72 << 16));
    const struct {
        const char* name;
        std::string file;
    } refused[] = {
        {"1033 too short, no fallback", PhotoshopBlock(ImageResource(1033, std::string(28, '\0')) + iptc)},
        {"only 1036", PhotoshopBlock(resolution + ImageResource(1036, ThumbnailResourceData(32, 16, rgb)))},
        {"IPTC without 4:100", PhotoshopBlock(ImageResource(1028, IptcDataSetBytes(2, 120, "caption")))},
        {"no Photoshop block", "%%Creator: x"},
    };
    Status status = kOk;
    for (const auto& r : refused) {
        SourceDrawn(DrawPhotoshopThumbnail, EpsText(r.file), 32, 16, 24, &status);
        EXPECT_EQ(status, kErrFormat) << r.name;
    }
    // Only colour bands are taken as blue, green, red.
    const std::string grey = EncodeJpeg(32, 16, 1, JpegSamples(32, 16, 1, Blocky));
    const std::string block = PhotoshopBlock(ImageResource(1033, ThumbnailResourceData(32, 16, grey)));
    EXPECT_EQ(SourceDrawn(DrawPhotoshopThumbnail, EpsText(block), 32, 16, 8, &status),
              StreamDrawn(grey, 32, 16, 8));
    EXPECT_EQ(status, kOk);
}

TEST_F(Jpeg, StormPicturePressBinaryBlock) {
    const std::string jpeg = EncodeJpeg(32, 16, 3, JpegSamples(32, 16, 3, Blocky)),
                      n = std::to_string(jpeg.size());
    const std::string storm =
        "%!PS-Adobe-3.0\n%%Creator: \t Storm PicturePress 2.0\n%%EndSetup\n%%BeginBinary: ";
    const std::string ps = "%!PS-Adobe-3.0\n";
    const struct {
        const char* name;
        std::string file;
        Status status;
    } cases[] = {
        {"CR LF", "%!PS-Adobe-3.0\r\n%%Creator: Storm PicturePress\r\n%%BeginBinary: " + n + "\r\n" + jpeg,
         kOk},
        {"DOS EPS", DosEpsFile(storm + n + "\n" + jpeg, ""), kOk},
        {"another creator", ps + "%%Creator: Photoshop\n%%BeginBinary: " + n + "\n" + jpeg, kErrFormat},
        {"setup ends first",
         ps + "%%EndSetup\n%%Creator: Storm PicturePress\n%%BeginBinary: " + n + "\n" + jpeg, kErrFormat},
        {"no binary block", ps + "%%Creator: Storm PicturePress\nshowpage\n", kErrEof},
        {"count beyond the file", storm + std::to_string(jpeg.size() + 1) + "\n" + jpeg, kErrFormat},
        {"count 0", storm + "0\n" + jpeg, kErrFormat},
        {"no count", storm + "x\n" + jpeg, kErrFormat},
        {"count wrapping at 2^32", storm + std::to_string((uint64_t{1} << 32) + jpeg.size()) + "\n" + jpeg,
         kErrFormat},
        {"count short of the stream", storm + std::to_string(jpeg.size() - 40) + "\n" + jpeg, kErrFormat},
    };
    const std::vector<uint8_t> stream = StreamDrawn(jpeg, 32, 16, 24);
    for (const auto& c : cases) {
        Status status = kOk;
        const std::vector<uint8_t> drawn = SourceDrawn(DrawStormPicture, c.file, 32, 16, 24, &status);
        EXPECT_EQ(status, c.status) << c.name;
        if (c.status == kOk) {
            EXPECT_EQ(drawn, stream) << c.name;
        }
    }
}

}  // namespace
}  // namespace aldra
