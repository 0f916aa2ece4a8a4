// Pictures as the host receives them: thumbnails through the picture object's interfaces, and
// bitmap files written by the conversion commands, for DOS EPS files with TIFF previews of every
// layout the decoder reads.
#include <filesystem>
#include <sstream>

#include "control/ControlFixture.h"
#include "control/FilterSettings.h"
#include "control/PicturePixels.h"
#include "preview/ColourTables.h"
#include "support/FileBytes.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using namespace testing;

// Four quadrants: red top left, green top right, blue bottom left, black bottom right.
uint32_t QuadrantColour(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
    bool right = x >= w / 2, bottom = y >= h / 2;
    if (!bottom) return right ? 0x00FF00 : 0xFF0000;
    return right ? 0x000000 : 0x0000FF;
}

std::string PostScript(double widthPoints, double heightPoints, const char* extra = "") {
    std::ostringstream text;
    text << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 " << widthPoints << " " << heightPoints << "\n"
         << extra << "%%EndComments\n";
    return text.str();
}

class PictureTest : public ControlTest {
  protected:
    Pixels GetThumbnail(int32_t w, int32_t h, bool stored) {
        Answer answer = Call("GetThumbnail", {MakeI4(w), MakeI4(h), MakeBool(stored)});
        EXPECT_EQ(answer.hr, S_OK);
        return ThumbnailPixels(answer);
    }
    std::string AttachDosEps(const std::string& name, const std::string& postScript,
                             const std::string& tiff) {
        std::string path = files.Write(name, DosEpsFile(postScript, tiff));
        EXPECT_EQ(Attach(path).hr, S_OK);
        return path;
    }
};

struct Variant {
    const char* name;
    uint32_t bits, samples;
    TiffOptions options;
    // the stored sample for a pixel of the given colour
    uint32_t (*sample)(uint32_t rgb, uint32_t s);
    bool colour;  // kind 2 needs a colour hint in the comments
};

uint32_t Channel(uint32_t rgb, uint32_t s) {
    return s == 3 ? 255 : (rgb >> (16 - 8 * s)) & 0xFF;
}
uint32_t Ink(uint32_t rgb, uint32_t s) {  // CMYK of a pure colour
    uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    uint32_t k = 255 - std::max({r, g, b});
    uint32_t c[4] = {255 - r - k, 255 - g - k, 255 - b - k, k};
    return c[s];
}
uint32_t Grey(uint32_t rgb, uint32_t) {
    return rgb == 0 ? 0 : 255;  // black stays black, the colours show light (black is zero)
}
uint32_t Bilevel(uint32_t rgb, uint32_t) {
    return rgb == 0 ? 0 : 1;
}

TEST_F(PictureTest, ThumbnailsOfEveryTiffLayoutShowThePicture) {
    TiffOptions rgb;
    rgb.photometric = 2;
    TiffOptions bigRgb = rgb;
    bigRgb.bigEndian = true;
    TiffOptions rgba = rgb;
    rgba.extraTags = {{338, kShort, {2}}};
    TiffOptions cmyk;
    cmyk.photometric = 5;
    TiffOptions lzw = rgb;
    lzw.compression = 5;
    lzw.predictor = true;
    TiffOptions packBits = rgb;
    packBits.compression = 32773;
    packBits.rowsPerStrip = 3;
    TiffOptions grey;  // black is zero
    TiffOptions bilevel;
    const Variant variants[] = {
        {"RGB", 8, 3, rgb, Channel, true},
        {"RGB big-endian", 8, 3, bigRgb, Channel, true},
        {"RGBA", 8, 4, rgba, Channel, true},
        {"CMYK", 8, 4, cmyk, Ink, true},
        {"LZW with predictor", 8, 3, lzw, Channel, true},
        {"PackBits in strips", 8, 3, packBits, Channel, true},
        {"grey", 8, 1, grey, Grey, false},
        {"1-bit", 1, 1, bilevel, Bilevel, false},
    };
    const uint32_t w = 40, h = 20;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        TiffPicture picture = MakePicture(w, h, v.bits, v.samples, [&](uint32_t x, uint32_t y, uint32_t s) {
            return v.sample(QuadrantColour(x, y, w, h), s);
        });
        const char* hint = v.colour ? "%%DocumentProcessColors: Cyan Magenta Yellow Black\n" : "";
        AttachDosEps("preview.eps", PostScript(144, 72, hint), MakeTiff(picture, v.options));
        Pixels t = GetThumbnail(100, 100, true);
        ASSERT_TRUE(t.present);
        EXPECT_EQ(t.width, 100u);  // 2 x 1 inches fills the box's width
        EXPECT_EQ(t.height, 50u);
        // The middle of each quadrant, away from the edges that stretching may shift by a pixel.
        auto expected = [&](uint32_t x, uint32_t y) {
            uint32_t c = QuadrantColour(x * w / 100, y * h / 50, w, h);
            if (!v.colour) return c == 0 ? 0u : 0xFFFFFFu;
            if (v.sample != Ink) return c;
            // Inks print through the press model, not as the screen's pure colours.
            uint8_t ink[4], rgb[3];
            for (uint32_t s = 0; s < 4; ++s) ink[s] = static_cast<uint8_t>(Ink(c, s));
            EXPECT_EQ(ConvertColour(kColourCmyk, ink, rgb), kOk);
            return uint32_t{rgb[0]} << 16 | uint32_t{rgb[1]} << 8 | rgb[2];
        };
        for (auto [x, y] : {std::pair{25u, 12u}, {75u, 12u}, {25u, 37u}, {75u, 37u}}) {
            uint32_t got = t.At(x, y), want = expected(x, y);
            for (int shift : {16, 8, 0})
                EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), static_cast<int>((want >> shift) & 0xFF),
                            8)
                    << x << "," << y << " got " << std::hex << got;
        }
        std::filesystem::remove(files.File("preview.eps"));
    }
}

TEST_F(PictureTest, ThumbnailSizesFollowTheAspectRatio) {
    TiffOptions rgb;
    rgb.photometric = 2;
    std::string tiff =
        MakeTiff(MakePicture(8, 8, 8, 3, [](uint32_t x, uint32_t, uint32_t) { return x * 30; }), rgb);
    struct Case {
        double w, h;  // points
        int32_t askW, askH;
        uint32_t gotW, gotH;
    } cases[] = {{144, 72, 100, 100, 100, 50},
                 {72, 144, 100, 100, 50, 100},
                 {72, 144, 200, 100, 100, 100},
                 {72, 72, 64, 64, 64, 64}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        AttachDosEps("size" + std::to_string(n++) + ".eps", PostScript(c.w, c.h), tiff);
        Pixels t = GetThumbnail(c.askW, c.askH, true);
        ASSERT_TRUE(t.present);
        EXPECT_EQ(t.width, c.gotW);
        EXPECT_EQ(t.height, c.gotH);
    }
}

TEST_F(PictureTest, WithoutAnySourceThereIsNoPicture) {
    std::string path = files.Write("plain.eps", PostScript(72, 72));
    ASSERT_EQ(Attach(path).hr, S_OK);
    EXPECT_FALSE(GetThumbnail(64, 64, true).present);
    EXPECT_FALSE(GetThumbnail(64, 64, false).present);
    Answer converted =
        Call("ConvertToSize", {Str(files.File("plain.bmp")), Str("BMP"), MakeI4(10), MakeI4(10)});
    EXPECT_EQ(converted.hr, S_OK);
    EXPECT_FALSE(converted.Bool());
    EXPECT_FALSE(std::filesystem::exists(files.File("plain.bmp")));
    // A header without a size cannot be converted at all.
    ASSERT_EQ(Attach(files.Write("nosize.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: x\n")).hr, S_OK);
    EXPECT_EQ(Call("ConvertTo", {Str(files.File("x.bmp")), Str("BMP")}).code, 2020);
}

TEST_F(PictureTest, ConvertToUsesThePreviewResolution) {
    control->DestroyWindow();
    FilterSettings settings;
    LoadSettings(&settings);
    settings.previewResolution = 72;
    ASSERT_TRUE(SaveSettings(settings));
    DisposeBuffer(settings.anpa);
    ASSERT_EQ(control->CreateWindow(), 0);

    TiffPicture grey = MakePicture(25, 10, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 10; });
    AttachDosEps("wide.eps", PostScript(180, 72), MakeTiff(grey));
    std::string out = files.File("wide.bmp");
    Answer converted = Call("ConvertTo", {Str(out), Str("BMP")});
    ASSERT_EQ(converted.hr, S_OK);
    EXPECT_TRUE(converted.Bool());
    std::string bmp = ReadFile(out);
    ASSERT_GE(bmp.size(), 1078u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 18), 180u);  // 2.5 inches at 72 pixels per inch
    EXPECT_EQ(Le32(bmp, 22), 72u);
    EXPECT_EQ(Le32(bmp, 10), 1078u);  // 8 bits: 14 + 40 + 1024 bytes before the pixels
    EXPECT_EQ(bmp.size(), 1078u + 180u * 72u);

    // An existing file is never replaced.
    std::string kept = files.Write("kept.bmp", "mine");
    Answer refused = Call("ConvertTo", {Str(kept), Str("BMP")});
    EXPECT_EQ(refused.hr, S_OK);
    EXPECT_FALSE(refused.Bool());
    EXPECT_EQ(ReadFile(kept), "mine");
}

}  // namespace
}  // namespace aldra
