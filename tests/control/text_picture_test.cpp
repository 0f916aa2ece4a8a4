// Pictures carried in the PostScript text, as the host receives them: %ImageData pictures and
// Illustrator thumbnails through GetThumbnail and ConvertToSize, and which of them a file that has
// both shows for each preference.
#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "support/EpsFixtures.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

uint32_t Busy(uint32_t x, uint32_t y) {
    return ((x * 5 + y * 3) & 0xFF) << 16 | ((y * 11 + x) & 0xFF) << 8 | ((x * y + 7 * x + 40) & 0xFF);
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += digits[static_cast<uint8_t>(bytes[i]) >> 4];
        out += digits[static_cast<uint8_t>(bytes[i]) & 15];
        if (i % 40 == 39) out += '\n';
    }
    return out;
}

std::string RgbRows(uint32_t w, uint32_t h, uint32_t (*colour)(uint32_t, uint32_t)) {
    std::string rows;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int shift : {16, 8, 0}) rows += static_cast<char>(colour(x, y) >> shift);
    return rows;
}

// 2 x 1 inches, so that a 100-pixel box gives a 100 x 50 thumbnail: the pictures are 1:1.
std::string Header(const std::string& comments) {
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Aldra tests\n%%BoundingBox: 0 0 144 72\n" + comments +
           "%%EndComments\n";
}

std::string ImageDataComment(const std::string& numbers) {
    return "%ImageData: " + numbers + " \"beginimage\"\n";
}

std::string ImageDataBody(const std::string& hexRows) {
    return "%%BeginProlog\n%%EndProlog\ngsave\n144 72 scale\nbeginimage\n" + hexRows +
           "\ngrestore\nshowpage\n%%EOF\n";
}

// A thumbnail of one colour: the table's entry 1 is `rgb`, and every pixel is 1.
std::string ThumbnailComments(uint32_t w, uint32_t h, uint32_t rgb) {
    std::string data(768, '\0');
    for (int s = 0; s < 3; ++s) data[3 + s] = static_cast<char>(rgb >> (16 - 8 * s));
    data += "RLE";
    for (uint32_t left = w * h; left > 0;) {
        uint32_t run = left < 250 ? left : 250;
        data += {'\xFD', static_cast<char>(run), '\x01'};
        left -= run;
    }
    return "%AI7_Thumbnail: " + std::to_string(w) + " " + std::to_string(h) +
           " 8\n%%BeginData: " + std::to_string(data.size() * 2) + " Hex Bytes\n" +
           HexCommentLines(data, "%") + "\n%%EndData\n";
}

// A 24-bit BMP file's pixels: bottom-up rows of blue, green, red padded to whole words.
Pixels ReadBmp24(const std::string& path) {
    std::string bmp = ReadFile(path);
    Pixels p;
    if (bmp.size() < 54 || bmp.substr(0, 2) != "BM" || (Le32(bmp, 28) & 0xFFFF) != 24) return p;
    p.width = Le32(bmp, 18);
    p.height = Le32(bmp, 22);
    uint32_t stride = (p.width * 3 + 3) & ~3u, offset = Le32(bmp, 10);
    if (bmp.size() < offset + static_cast<size_t>(stride) * p.height) return p;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            const char* q = &bmp[offset + (p.height - 1 - y) * stride + 3 * x];
            p.rgb.push_back(uint32_t{uint8_t(q[2])} << 16 | uint32_t{uint8_t(q[1])} << 8 | uint8_t(q[0]));
        }
    p.present = true;
    return p;
}

class TextPictureTest : public ControlTest {
  protected:
    Pixels Thumbnail(bool stored) {
        Answer answer = Call("GetThumbnail", {MakeI4(100), MakeI4(100), MakeBool(stored)});
        EXPECT_EQ(answer.hr, S_OK);
        return ThumbnailPixels(answer);
    }
    Pixels Converted(const std::string& name) {
        std::string out = files.File(name);
        Answer converted = Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(100), MakeI4(50)});
        EXPECT_EQ(converted.hr, S_OK);
        EXPECT_TRUE(converted.Bool());
        return ReadBmp24(out);
    }
    // The picture is drawn 1:1. Rows that GDI stretches land one pixel lower (as on Windows), so the
    // top row shows twice and the last falls off; 1-bit rows averaged into grey stay in place.
    void ExpectEveryPixel(const Pixels& p, uint32_t (*colour)(uint32_t, uint32_t),
                          bool stretchedByGdi = true) {
        ASSERT_TRUE(p.present);
        ASSERT_EQ(p.width, 100u);
        ASSERT_EQ(p.height, 50u);
        int wrong = 0;
        for (uint32_t y = 0; y < 50; ++y)
            for (uint32_t x = 0; x < 100; ++x) {
                uint32_t want = colour(x, stretchedByGdi && y > 0 ? y - 1 : y);
                if (p.At(x, y) != want && ++wrong < 5)
                    ADD_FAILURE() << x << "," << y << std::hex << " got " << p.At(x, y) << " want " << want;
            }
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(TextPictureTest, AnImageDataPictureIsTheThumbnailForBothPreferencesAndTheBitmap) {
    std::string file =
        Header(ImageDataComment("100 50 8 3 0 1 2")) + ImageDataBody(Hex(RgbRows(100, 50, Busy)));
    ASSERT_EQ(Attach(files.Write("photo.eps", file)).hr, S_OK);
    // No stored preview: the stored preference falls back on the rendered chain.
    ExpectEveryPixel(Thumbnail(true), Busy);
    ExpectEveryPixel(Thumbnail(false), Busy);
    ExpectEveryPixel(Converted("photo.bmp"), Busy);
}

uint32_t Checker(uint32_t x, uint32_t y) {
    return (x / 5 + y / 5) % 2 ? 0x000000 : 0xFFFFFF;
}

TEST_F(TextPictureTest, AOneBitImageDataPictureIsBlackWhereItsBitsAreClear) {
    std::string rows;
    for (uint32_t y = 0; y < 50; ++y)
        for (uint32_t byte = 0; byte < 13; ++byte) {
            uint8_t bits = 0;
            for (uint32_t x = byte * 8; x < byte * 8 + 8; ++x)
                if (x >= 100 || Checker(x, y)) bits |= static_cast<uint8_t>(0x80 >> (x % 8));
            rows += static_cast<char>(bits);
        }
    std::string file = Header(ImageDataComment("100 50 1 1 0 1 1")) + ImageDataBody(rows);
    ASSERT_EQ(Attach(files.Write("lineart.eps", file)).hr, S_OK);
    ExpectEveryPixel(Thumbnail(false), Checker, false);
}

uint32_t ThumbnailBlue(uint32_t, uint32_t) {
    return 0x2040C0;
}
uint32_t PictureOrange(uint32_t, uint32_t) {
    return 0xF08010;
}

TEST_F(TextPictureTest, TheStoredPreferenceShowsTheThumbnailAndTheRenderedOneThePicture) {
    std::string file =
        Header(ThumbnailComments(100, 50, ThumbnailBlue(0, 0)) + ImageDataComment("100 50 8 3 0 1 2")) +
        ImageDataBody(Hex(RgbRows(100, 50, PictureOrange)));
    ASSERT_EQ(Attach(files.Write("both.eps", file)).hr, S_OK);
    ExpectEveryPixel(Thumbnail(true), ThumbnailBlue);
    ExpectEveryPixel(Thumbnail(false), PictureOrange);
    ExpectEveryPixel(Converted("both.bmp"), PictureOrange);
}

TEST_F(TextPictureTest, AThumbnailAloneIsShownForBothPreferencesAndWrittenAsTheBitmap) {
    std::string file = Header("%%DocumentProcessColors: Cyan Magenta Yellow Black\n" +
                              ThumbnailComments(100, 50, ThumbnailBlue(0, 0))) +
                       "%%BeginProlog\n%%EndProlog\n0 A\n";
    ASSERT_EQ(Attach(files.Write("drawing.eps", file)).hr, S_OK);
    ExpectEveryPixel(Thumbnail(true), ThumbnailBlue);
    ExpectEveryPixel(Thumbnail(false), ThumbnailBlue);
    ExpectEveryPixel(Converted("drawing.bmp"), ThumbnailBlue);
}

}  // namespace
}  // namespace aldra
