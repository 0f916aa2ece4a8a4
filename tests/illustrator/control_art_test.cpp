// The control reaches the renderer for a drawing without a stored preview, by either preference,
// in thumbnails and conversions, and puts the drawing's text in front of the notes when asked to.
#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "illustrator/Drawing.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

// Black on the left half of a 2 x 1 inch page, with a headline and a line of body text.
const std::string kDrawing = ArtworkFile(
    "0 g\n0 0 m\n72 0 l\n72 72 l\n0 72 l\nf\n" + TextRun("Body", 9, 80, 20) + TextRun("Headline", 20, 80, 40),
    {0, 0, 144, 72});

TEST_F(ControlTest, ThumbnailsAndConversionsOfAnIllustratorDrawingAreRendered) {
    ASSERT_EQ(TestAndAttach(files.Write("art.ai", kDrawing), kDrawing).hr, S_OK);
    for (bool stored : {true, false}) {
        Pixels p = ThumbnailPixels(Call("GetThumbnail", {MakeI4(100), MakeI4(100), MakeBool(stored)}));
        ASSERT_TRUE(p.present);
        ASSERT_EQ(p.width, 100u);
        ASSERT_EQ(p.height, 50u);
        EXPECT_EQ(p.At(25, 25), 0x000000u);
        EXPECT_EQ(p.At(75, 5), 0xFFFFFFu);
    }
    std::string out = files.File("art.bmp");
    ASSERT_TRUE(Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(60), MakeI4(30)}).Bool());
    std::string bmp = ReadFile(out);
    ASSERT_EQ(bmp.size(), 54u + 1024u + 60u * 30u);
    // 8 bits a pixel with the grey table, bottom row first: a left pixel is black, a top right one white.
    const char* rows = bmp.data() + 54 + 1024;
    EXPECT_EQ(uint8_t(rows[15 * 60 + 10]), 255);
    EXPECT_EQ(uint8_t(rows[29 * 60 + 58]), 0);
}

TEST_F(ControlTest, NotesBeginWithTheDrawingsTextWhenAsked) {
    const std::string path = files.Write("art.ai", kDrawing);
    ASSERT_EQ(TestAndAttach(path, kDrawing).hr, S_OK);
    EXPECT_EQ(Call("InfoGetNotes").Text(), "");
    ChangeSettings([](FilterSettings& s) { s.addText = true; });
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Headline\n\rBody\n\r");
    ChangeSettings([](FilterSettings& s) { s.maxText = 4; });
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Head");
}

}  // namespace
}  // namespace aldra
