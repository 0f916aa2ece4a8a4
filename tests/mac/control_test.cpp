// The control with the QuickTime module beside the test program: the PICT preview of a file's
// resource fork first or last by the host's preference, in conversions, and QuickTime started once
// per process however many controls there are.
#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "fixtures/Eps.h"
#include "mac/MacFiles.h"
#include "mac/QuickTimeBinding.h"

namespace aldra {
namespace {

using namespace testing;

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr uint32_t kPictTop = 0xFF0000, kPictBottom = 0x0000FF;  // the PICT preview's halves
constexpr uint32_t kDataColour = 0x00FF00;                       // the %ImageData picture

// 2 x 1 inches, colour, optionally with a green 4 x 2 %ImageData picture.
std::string Eps(bool withImageData) {
    std::string text =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n"
        "%%DocumentProcessColors: Cyan Magenta Yellow Black\n";
    if (!withImageData) return text + "%%EndComments\n";
    text +=
        "%ImageData: 4 2 8 3 0 1 2 \"beginimage\"\n%%EndComments\n%%BeginProlog\n%%EndProlog\nbeginimage\n";
    std::string rows;
    for (int i = 0; i < 8; ++i) rows += std::string("\x00\xFF\x00", 3);
    return text + HexCommentLines(rows, "") + "\n%%EOF\n";
}

std::string HalvesPict() {
    PictRaster r{
        4,    2, 32,
        true, 4, {kPictTop, kPictTop, kPictTop, kPictTop, kPictBottom, kPictBottom, kPictBottom, kPictBottom},
        {}};
    return PatternPict(r);
}

uint32_t TopOf(const Pixels& p) {
    return p.present ? p.At(p.width / 2, p.height / 4) : kNone;
}
uint32_t BottomOf(const Pixels& p) {
    return p.present ? p.At(p.width / 2, 3 * p.height / 4) : kNone;
}

class MacControl : public ControlTest {
  protected:
    Pixels Thumbnail(bool stored) {
        return ThumbnailPixels(Call("GetThumbnail", {MakeI4(100), MakeI4(100), MakeBool(stored)}));
    }
};

// Thumbnails of both preferences and a conversion, which takes the rendered preference's source.
TEST_F(MacControl, PictPreviewIsTriedFirstOrLastByPreference) {
    ThumbRecord thumb;
    thumb.pictIds[2] = 500;
    struct Case {
        const char* name;
        bool imageData;
        std::vector<MacResource> fork;
        uint32_t stored, rendered;  // top colour of each preference's thumbnail
    } cases[] = {
        {"PICT and %ImageData", true, {{"PICT", 256, HalvesPict()}}, kPictTop, kDataColour},
        {"PICT only", false, {{"PICT", 256, HalvesPict()}}, kPictTop, kPictTop},
        {"PICT 130 only", false, {{"PICT", 130, HalvesPict()}}, kPictTop, kPictTop},
        {"thumbnail record's PICT",
         false,
         {{"Thmb", 256, MakeThumbRecord(thumb)}, {"PICT", 500, HalvesPict()}},
         kPictTop,
         kPictTop},
        {"a fork without a picture", true, {{"TEXT", 128, "notes"}}, kDataColour, kDataColour},
        {"no fork", false, {}, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (!c.fork.empty()) WriteCompanion(dir, "art.eps", c.fork);
        ASSERT_EQ(Attach(dir.Write("art.eps", Eps(c.imageData))).hr, S_OK);
        const Pixels stored = Thumbnail(true), rendered = Thumbnail(false);
        EXPECT_EQ(TopOf(stored), c.stored);
        EXPECT_EQ(TopOf(rendered), c.rendered);
        const std::string out = dir.File("art.bmp");
        EXPECT_EQ(Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(30), MakeI4(20)}).Bool(),
                  c.rendered != kNone);
        const Pixels converted = ReadBmp24(out, 30, 20);
        EXPECT_EQ(TopOf(converted), c.rendered);
        if (c.stored == kPictTop) {
            EXPECT_EQ(stored.width, 100u);
            EXPECT_EQ(stored.height, 50u);
            EXPECT_EQ(BottomOf(stored), kPictBottom);
        }
        if (c.rendered == kPictTop) {
            EXPECT_EQ(BottomOf(converted), kPictBottom);
        }
    }
}

// The fork's colour answer is not lowered by the header, and no fork makes an unreadable file
// readable.
TEST_F(MacControl, ForkKindMergesWithTheHeaderKind) {
    const PictRect frame{0, 0, 2, 4};
    const std::string v1 = PictBuilder::Version1(frame).End(), v2 = PictBuilder::Version2(frame).End();
    const std::string grey =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n"
        "%%DocumentPreview: Macintosh_ColorPic\n%%EndComments\n";
    struct Case {
        const char* name;
        std::string pict, header;
        int32_t kind;
    } cases[] = {
        {"colour fork, grey header", v2, grey, 2},
        {"one-bit fork, grey header", v1, grey, 1},
        {"colour fork, plain header", v2, "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n", 2},
        {"no fork, grey header", "", grey, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (!c.pict.empty()) WriteCompanion(dir, "art.eps", {{"PICT", 256, c.pict}});
        ASSERT_EQ(Attach(dir.Write("art.eps", c.header)).hr, S_OK);
        EXPECT_EQ(Call("InfoGetKind").Long(), c.kind);
        EXPECT_FLOAT_EQ(Call("InfoGetWidth").Float(), 2.0f);  // the header's measures replace the fork's
    }
    TempDir dir;
    WriteCompanion(dir, "notes.txt", {{"PICT", 256, v2}});
    const Answer text = Attach(dir.Write("notes.txt", "plain text\n"));
    EXPECT_EQ(text.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(text.code, 2020);
}

// Drawn into a one-bit world even for a colour file; what the picture leaves out is erased white.
TEST_F(MacControl, AVersionOnePictureIsDrawnInOneBitOnWhite) {
    const PictRaster r = PatternRaster(16, 8, 1, false);
    const PictRect frame{0, 0, 8, 32}, left{0, 0, 8, 16};
    TempDir dir;
    WriteCompanion(dir, "art.eps",
                   {{"PICT", 256, PictBuilder::Version1(frame).Raster(0x98, r, {0, 0, 8, 16}, left).End()}});
    ASSERT_EQ(Attach(dir.Write("art.eps", Eps(false))).hr, S_OK);
    const Pixels p = Thumbnail(true);
    ASSERT_TRUE(p.present);
    int blackOnLeft = 0;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint32_t colour = p.At(x, y);
            ASSERT_TRUE(colour == 0 || colour == 0xFFFFFF) << std::hex << colour;
            if (x >= p.width / 2) {
                ASSERT_EQ(colour, 0xFFFFFFu) << x << "," << y;
            }
            blackOnLeft += colour == 0;
        }
    EXPECT_GT(blackOnLeft, 0);
}

TEST_F(MacControl, ControlsShareOneStartAndWithoutTheModuleNothingChanges) {
    TempDir dir;
    WriteCompanion(dir, "art.eps", {{"PICT", 256, HalvesPict()}});
    const std::string path = dir.Write("art.eps", Eps(false));
    SetQuickTimeSearchPlaces("/nonexistent/host", "/nonexistent");
    ASSERT_EQ(Attach(path).hr, S_OK);
    EXPECT_EQ(TopOf(Thumbnail(true)), kNone);
    EXPECT_EQ(QuickTimeUseCount(), 0);
    SetQuickTimeSearchPlaces("", "");

    ASSERT_EQ(Attach(path).hr, S_OK);  // a failed start is tried again
    EXPECT_EQ(QuickTimeUseCount(), 1);
    CFilterCtrl* second = new CFilterCtrl();
    ASSERT_EQ(Invoke(second, "AttachFile", {Str(path)}).hr, S_OK);
    ASSERT_EQ(Invoke(second, "AttachFile", {Str(path)}).hr, S_OK);
    EXPECT_EQ(QuickTimeUseCount(), 2);  // once per control
    second->Release();
    EXPECT_EQ(QuickTimeUseCount(), 1);
    EXPECT_EQ(TopOf(Thumbnail(true)), kPictTop);
}

}  // namespace
}  // namespace aldra
