// Pictures as the host receives them: which source each preference shows, at which size, what the
// conversions write. Upper and lower halves differ: a swapped channel, flip or wrong source shows.
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>
#include <filesystem>

#include "aldra/Refusals.h"
#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "fixtures/Eps.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Tiff.h"
#include "platform/gdi/Gdi.h"
#include "preview/ColourTables.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

constexpr uint32_t kNone = 0xFFFFFFFF;  // no picture
constexpr uint32_t kTop = 0xF08010, kBottom = 0x2040C0;
constexpr uint32_t kW = 40, kH = 20;

uint32_t Half(uint32_t y, uint32_t top = kTop, uint32_t bottom = kBottom) {
    return y < kH / 2 ? top : bottom;
}
uint32_t Channel(uint32_t rgb, uint32_t s) {
    return rgb >> (16 - 8 * s) & 0xFF;
}

// 2 x 1 inches, with a colour hint so that the kind is colour (24-bit conversions).
std::string Header(const std::string& comments, const std::string& box = "144 72") {
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 " + box +
           "\n%%DocumentProcessColors: Cyan Magenta Yellow Black\n" + comments + "%%EndComments\n";
}

const std::string kImageData = "%ImageData: 40 20 8 3 0 1 2 \"beginimage\"\n";
std::string ImageDataBody() {
    std::string rows;
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW * 3; ++x) rows += static_cast<char>(Channel(Half(y), x % 3));
    return "%%BeginProlog\n%%EndProlog\nbeginimage\n" + HexCommentLines(rows, "") + "\n%%EOF\n";
}

// Illustrator's thumbnail in the opposite colours: table entries 1 and 2, run-length coded by row.
std::string Ai7Thumbnail() {
    std::string data(768, '\0');
    for (uint32_t s = 0; s < 3; ++s)
        data[3 + s] = char(Channel(kBottom, s)), data[6 + s] = char(Channel(kTop, s));
    data += "RLE";
    for (uint32_t y = 0; y < kH; ++y) data += {'\xFD', static_cast<char>(kW), y < kH / 2 ? '\x01' : '\x02'};
    return Ai7ThumbnailBlock(kW, kH, data) + "\n";
}

std::string Jpeg(bool blueFirst) {
    return EncodeJpeg(kW, kH, 3, JpegSamples(kW, kH, 3, [&](uint32_t, uint32_t y, int s) {
                          return Channel(Half(y), blueFirst ? 2 - s : s);
                      }));
}

std::string Tiff(uint32_t bits, uint32_t samples, uint16_t photometric,
                 uint32_t (*sample)(uint32_t y, uint32_t s)) {
    TiffOptions options;
    options.photometric = photometric;
    options.compression = bits == 8 ? 5 : 1;  // LZW where it matters
    return MakeTiff(
        MakePicture(kW, kH, bits, samples, [&](uint32_t, uint32_t y, uint32_t s) { return sample(y, s); }),
        options);
}

uint32_t Rgb(uint32_t y, uint32_t s) {
    return Channel(Half(y), s);
}

uint32_t Press(uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
    uint8_t ink[4] = {c, m, y, k}, rgb[3] = {};
    EXPECT_EQ(ConvertColour(kColourCmyk, ink, rgb), kOk);
    return uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
}

void ExpectHalves(const Pixels& p, uint32_t top, uint32_t bottom, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_EQ(p.present, top != kNone);
    if (!p.present) return;
    ASSERT_EQ(p.width, 100u);
    ASSERT_EQ(p.height, 50u);
    for (auto [y, want] : {std::pair{12u, top}, {37u, bottom}})
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(int(p.At(50, y) >> shift & 0xFF), int(want >> shift & 0xFF), 10)
                << y << std::hex << " " << p.At(50, y);
}

TEST_F(ControlTest, EachPreferenceShowsItsSourceAndConversionsTheRenderedOne) {
    const std::string resolution = ImageResource(1005, ResolutionInfo(72 << 16, 72 << 16));
    const std::string iptcJpeg = ImageResource(1028, IptcDataSetBytes(4, 100, Jpeg(false)));
    const uint32_t cyan = Press(255, 0, 0, 0), black = Press(0, 0, 0, 255);
    struct Case {
        const char* name;
        std::string file;
        uint32_t storedTop, storedBottom, renderedTop, renderedBottom;
    } cases[] = {
        {"TIFF RGB", DosEpsFile(Header(""), Tiff(8, 3, 2, Rgb)), kTop, kBottom, kTop, kBottom},
        {"TIFF CMYK",
         DosEpsFile(
             Header(""),
             Tiff(8, 4, 5, [](uint32_t y, uint32_t s) { return (y < kH / 2 ? s == 0 : s == 3) * 255u; })),
         cyan, black, cyan, black},
        {"Photoshop JPEG",
         Header(PhotoshopBlock(resolution + ImageResource(1033, ThumbnailResourceData(kW, kH, Jpeg(true))))),
         kTop, kBottom, kTop, kBottom},
        {"IPTC JPEG", Header(PhotoshopBlock(iptcJpeg + resolution)), kTop, kBottom, kTop, kBottom},
        {"%ImageData", Header(kImageData) + ImageDataBody(), kTop, kBottom, kTop, kBottom},
        {"Illustrator thumbnail", Header(Ai7Thumbnail()) + "%%BeginProlog\n%%EndProlog\n0 A\n", kBottom, kTop,
         kBottom, kTop},
        {"both", Header(Ai7Thumbnail() + kImageData) + ImageDataBody(), kBottom, kTop, kTop, kBottom},
        {"nothing", Header(""), kNone, kNone, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Attach(files.Write("picture.eps", c.file)).hr, S_OK);
        for (bool stored : {true, false})
            ExpectHalves(ThumbnailPixels(Call("GetThumbnail", {MakeI4(100), MakeI4(100), MakeBool(stored)})),
                         stored ? c.storedTop : c.renderedTop, stored ? c.storedBottom : c.renderedBottom,
                         stored ? "stored" : "rendered");
        std::string out = files.File("picture.bmp");
        std::filesystem::remove(out);
        Answer converted = Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(100), MakeI4(50)});
        EXPECT_EQ(converted.Bool(), c.renderedTop != kNone);
        if (c.renderedTop != kNone) {
            ExpectHalves(ReadBmp24(out, 100, 50), c.renderedTop, c.renderedBottom, "bitmap");
        } else {
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

TEST_F(ControlTest, ThumbnailSizesFollowTheAspectRatio) {
    std::string tiff = Tiff(8, 3, 2, Rgb);
    struct Case {
        int w, h;  // points
        int32_t askW, askH;
        uint32_t gotW, gotH;
    } cases[] = {{144, 72, 100, 100, 100, 50},   {72, 144, 100, 100, 50, 100}, {72, 144, 200, 100, 100, 100},
                 {100, 100, 256, 256, 256, 256}, {13, 26, 100, 100, 50, 100},  {26, 13, 100, 100, 100, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        std::string header = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 " + std::to_string(c.w) + " " +
                             std::to_string(c.h) + "\n";
        ASSERT_EQ(Attach(files.Write("size.eps", DosEpsFile(header, tiff))).hr, S_OK);
        Pixels t = ThumbnailPixels(Call("GetThumbnail", {MakeI4(c.askW), MakeI4(c.askH), MakeBool(true)}));
        ASSERT_TRUE(t.present);
        EXPECT_EQ(t.width, c.gotW);
        EXPECT_EQ(t.height, c.gotH);
    }
}

TEST_F(ControlTest, ConversionsWriteTheAskedSizeOrAnswerFalse) {
    ChangeSettings([](FilterSettings& s) { s.previewResolution = 72; });
    std::string grey =
        MakeTiff(MakePicture(25, 10, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 10; }));
    ASSERT_EQ(Attach(files.Write("wide.eps", DosEpsFile(Header("", "180 72"), grey))).hr, S_OK);
    std::string out = files.File("wide.bmp");
    ASSERT_TRUE(Call("ConvertTo", {Str(out), Str("BMP")}).Bool());
    std::string bmp = ReadFile(out);
    EXPECT_EQ(Le32(bmp, 18), 180u);  // 2.5 inches at 72 pixels per inch
    EXPECT_EQ(Le32(bmp, 22), 72u);
    // An existing file is never replaced; a bitmap the drawing layer cannot make is no exception.
    std::string kept = files.Write("kept.bmp", "mine");
    EXPECT_FALSE(Call("ConvertTo", {Str(kept), Str("BMP")}).Bool());
    EXPECT_EQ(ReadFile(kept), "mine");
    for (auto [w, h] : {std::pair{kMaxDibSide + 1, 1}, {1, kMaxDibSide + 1}, {20000, 20000}}) {
        Answer refused = Call("ConvertToSize", {Str(out + "2"), Str("BMP"), MakeI4(w), MakeI4(h)});
        EXPECT_TRUE(refused.hr == S_OK && !refused.Bool() && !std::filesystem::exists(out + "2")) << w;
    }
    // A full disk, as the file size limit makes it, in a child so that the limit stays there: the
    // conversion fails and deletes what it wrote.
    out = files.File("full.bmp");
    if (fork() == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool converted = Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(400), MakeI4(200)}).Bool();
        _exit(converted || std::filesystem::exists(out) ? 1 : 0);
    }
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    // A file that shrinks or vanishes after the attach has no picture any more.
    std::filesystem::resize_file(files.File("wide.eps"), 200);
    EXPECT_FALSE(ThumbnailPixels(Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(true)})).present);
    // Only a picture without width raises.
    ASSERT_EQ(Attach(files.Write("nosize.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: x\n")).hr, S_OK);
    EXPECT_EQ(Call("ConvertTo", {Str(files.File("x.bmp")), Str("BMP")}).code, kUnreadableFileCode);
}

}  // namespace
}  // namespace aldra
