// The previews of later writers in the chains: they draw only when no source of either chain has a
// picture, whichever chain the commands prefer; and which corpus files get their picture from which
// source.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CaptureSink.h"
#include "fixtures/Eps.h"
#include "fixtures/Epsi.h"
#include "fixtures/Xmp.h"
#include "platform/resources/Resources.h"
#include "preview/ColourTables.h"
#include "preview/PreviewChain.h"
#include "preview/PreviewSources.h"
#include "preview/TextResources.h"

// After the filter's headers: libjpeg's TRUE and FALSE macros would clash with the GDI vocabulary.
#include "fixtures/Jpeg.h"

namespace aldra {
namespace {

using namespace aldra::testing;

constexpr uint32_t kSide = 16;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// A picture of one colour in every encoding the steps read.
std::string Rgb(uint32_t colour) {
    std::string rows;
    for (uint32_t i = 0; i < kSide * kSide; ++i)
        rows += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8), static_cast<char>(colour)};
    return rows;
}

std::string RgbThumbnail(uint32_t colour) {
    const std::string rows = Rgb(colour);
    const std::string jpeg = EncodeJpeg(kSide, kSide, 3, std::vector<uint8_t>(rows.begin(), rows.end()));
    return PhotoshopBlock(ImageResource(1036, ThumbnailResourceData(kSide, kSide, jpeg))) + "\n";
}

std::string ImageData(int type, uint32_t colour) {
    const std::string rows = Rgb(colour);
    std::string data = type == 7 ? Ascii85(rows) : HexCommentLines(rows, "");
    return "%ImageData: 16 16 8 3 0 1 " + std::to_string(type) + " \"beginimage\"\n" + "%%EndComments\n" +
           "/beginimage { image } def\nbeginimage\n" + data + "\n";
}

std::string XmpThumbnail(uint32_t colour) {
    const std::string rows = Rgb(colour);
    return XmpPacket(
        XmpThumbnailText(EncodeJpeg(kSide, kSide, 3, std::vector<uint8_t>(rows.begin(), rows.end()))));
}

// A grey EPSI preview of ink 255 - grey.
std::string Epsi() {
    return EpsiPreviewSection(MakePicture(kSide, kSide, 8, 1, [](auto...) { return 0x80; }));
}

struct Target {
    TargetRaster t;
    Status status;
    Target() { status = CreateTargetRaster(24, kSide, kSide, &t); }
    ~Target() {
        if (status == kOk) DestroyTargetRaster(&t);
    }
    // The target's centre as 0xRRGGBB; its rows lie bottom up, blue first.
    uint32_t Centre() const {
        const uint8_t* p = t.raster.pixels + (kSide - 1 - kSide / 2) * t.raster.rowBytes + kSide / 2 * 3;
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
};

class LaterPreviews : public ::testing::Test {
  protected:
    void SetUp() override {
        SetResourceModule(OwnResourceModule());
        AcquireColourTables();
    }
    void TearDown() override { ReleaseColourTables(); }
};

// Within a few levels of each channel: the JPEG streams are lossy.
bool Near(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        const int d = static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255);
        if (d > 12 || d < -12) return false;
    }
    return true;
}

TEST_F(LaterPreviews, DrawOnlyWhereNeitherChainHasAPictureWhicheverIsPreferred) {
    const struct {
        const char* name;
        std::string file;
        uint32_t shown;
    } cases[] = {
        {"RGB thumbnail alone", EpsText(RgbThumbnail(kGreen)), kGreen},
        {"hexadecimal samples first", EpsText(RgbThumbnail(kGreen) + ImageData(2, kRed)), kRed},
        {"RGB thumbnail before ASCII85 samples", EpsText(RgbThumbnail(kGreen) + ImageData(7, kBlue)), kGreen},
        {"ASCII85 samples alone", EpsText(ImageData(7, kBlue)), kBlue},
        {"ASCII85 samples before the EPSI preview", EpsText(Epsi() + ImageData(7, kBlue)), kBlue},
        {"EPSI preview alone", EpsiFile(Epsi()), 0x7F7F7F},
        {"hexadecimal samples before the EPSI preview", EpsText(Epsi() + ImageData(2, kRed)), kRed},
        {"EPSI preview before the XMP thumbnail", EpsiFile(Epsi()) + XmpThumbnail(kGreen), 0x7F7F7F},
        {"XMP thumbnail alone", EpsText("%%Creator: x") + XmpThumbnail(kGreen), kGreen},
        {"nothing", EpsText("%%Creator: nobody"), kWhite},
    };
    for (const auto& c : cases) {
        for (bool stored : {true, false}) {
            SCOPED_TRACE(::testing::Message() << c.name << (stored ? ", stored" : ", rendered"));
            EpsFile file(c.file);
            Target target;
            ASSERT_EQ(target.status, kOk);
            const Rect all{0, 0, kSide, kSide};
            // As the commands ask: the preferred chain, then the other one.
            const bool drawn = file.Run(FindPreview, stored, &target.t, &all) == kOk ||
                               file.Run(FindPreview, !stored, &target.t, &all) == kOk;
            EXPECT_EQ(drawn, c.shown != kWhite);
            EXPECT_PRED2(Near, target.Centre(), c.shown);
        }
    }
}

TEST_F(LaterPreviews, TheStoredChainAloneKeepsItsOwnSources) {
    for (const std::string& file : {EpsText(RgbThumbnail(kGreen)), EpsiFile(Epsi())}) {
        EpsFile eps(file);
        Target target;
        const Rect all{0, 0, kSide, kSide};
        EXPECT_EQ(eps.Run(FindPreview, true, &target.t, &all), kErrFormat);
        EXPECT_EQ(target.Centre(), kWhite);
    }
}

// ---- The corpus -------------------------------------------------------------------------------

std::string CorpusFolder() {
    if (const char* folder = std::getenv("ALDRA_CORPUS_DIR")) return folder;
    return std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";
}

using Source = Status (*)(EpsReader*, TargetRaster*, const Rect*);
struct NamedSource {
    const char* name;
    Source draw;
};

// In the order a thumbnail asks them when it prefers the stored previews; the later writers' from
// kFirstLater on.
constexpr size_t kFirstLater = 6;
const NamedSource kSources[] = {
    {"tiff", DrawTiffPreview},
    {"photoshop", DrawPhotoshopThumbnail},
    {"ai7", DrawIllustratorThumbnail},
    {"imagedata", DrawImageDataPicture},
    {"storm", DrawStormPicture},
    {"artwork", DrawIllustratorArtwork},
    {"photoshop-rgb", DrawPhotoshopRgbThumbnail},
    {"imagedata-ascii85", DrawAscii85ImageData},
    {"epsi", DrawEpsiPreview},
    {"xmp", DrawXmpThumbnail},
};

bool Draws(const std::string& path, Source draw) {
    Target target;
    const Rect all{0, 0, kSide, kSide};
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return false;
    const bool drawn = target.status == kOk && draw(&eps, &target.t, &all) == kOk;
    CloseEps(&eps);
    return drawn;
}

TEST_F(LaterPreviews, CorpusFilesGetTheirPicturesFromTheseSources) {
    const std::string corpus = CorpusFolder();
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    const struct {
        const char* file;
        const char* first;               // the source a stored-first thumbnail takes
        std::vector<std::string> later;  // the later writers' previews that draw on their own
    } golden[] = {
        {"exiv2/eps-flat_inkscape-epsi.eps", "epsi", {"epsi"}},
        {"pillow/1.eps", "tiff", {"photoshop-rgb", "imagedata-ascii85"}},
        // Its second comment claims a row more than the text holds.
        {"pillow/1_second_imagedata.eps", "tiff", {"photoshop-rgb"}},
        {"pillow/pil_sample_cmyk.eps", "imagedata", {}},
        {"exiftool/PostScript.eps", "imagedata", {}},  // no thumbnail resource at all
        {"exiv2/eps-flat_photoshop-cs5-ascii-pre.eps", "imagedata", {"photoshop-rgb"}},
        {"exiv2/eps-flat_photoshop-cs5-ascii-colorprofile.eps", "imagedata", {"photoshop-rgb"}},
        {"exiv2/eps-flat_photoshop-cs5-binary.eps", "imagedata", {"photoshop-rgb"}},
        {"exiv2/eps-flat_photoshop-e9-win-doseps.eps", "tiff", {"photoshop-rgb"}},
        {"pillow/binary_preview_map.eps", "tiff", {"photoshop-rgb"}},
        {"pillow/illuCS6_no_preview.eps", "xmp", {"xmp"}},
        {"pillow/illu10_preview.eps", "tiff", {"xmp"}},
        {"exiv2/eps-flat_oodraw_ai-10-lev2.eps", "ai7", {"xmp"}},
        {"exiv2/eps-flat_oodraw-lev2_eps2eps.eps", "none", {}},
        // PDF-based Illustrator files keep their packet as plain text too; through the control their
        // thumbnail comes from the packet qpdf reads.
        {"drewnoakes/BlazRobar_Thinking_Head_Icon_Set.ai", "xmp", {"xmp"}},
        {"sindresorhus/fixture-without-pdf-compatibility.ai", "xmp", {"xmp"}},
    };
    for (const auto& g : golden) {
        SCOPED_TRACE(g.file);
        const std::string path = corpus + "/" + g.file;
        ASSERT_TRUE(std::filesystem::exists(path));
        std::string first = "none";
        for (const NamedSource& source : kSources)
            if (Draws(path, source.draw)) {
                first = source.name;
                break;
            }
        EXPECT_EQ(first, g.first);
        std::vector<std::string> later;
        for (size_t i = kFirstLater; i < std::size(kSources); ++i)
            if (Draws(path, kSources[i].draw)) later.push_back(kSources[i].name);
        EXPECT_EQ(later, g.later);
    }
}

}  // namespace
}  // namespace aldra
