// PDF-based Illustrator files through the control, as a host meets them: the quick test over the
// first bytes, the attach, the getters and the thumbnail.
#include <filesystem>

#include "control/ControlFixture.h"
#include "control/PdfFile.h"
#include "control/PicturePixels.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Pdf.h"
#include "support/FileBytes.h"

namespace aldra::testing {
namespace {

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";

class PdfFileTest : public ControlTest {
  protected:
    std::string QuickTest(const std::string& path, const std::string& bytes) {
        return Call("QuickTest", {Str(path), ByteArray(bytes.substr(0, 512))}).Text();
    }
};

TEST_F(PdfFileTest, IllustratorPdfFilesAreAcceptedWithTheirFacts) {
    IllustratorXmpContent xmp;
    xmp.creatorTool = "Adobe Illustrator 28.0 (Windows)";
    xmp.fonts = {"MyriadPro-Regular", "MinionPro-Bold"};
    xmp.swatches = {"White", "PANTONE 300 C"};
    xmp.plates = {"Black", "PANTONE 300 C"};
    xmp.thumbnailJpeg = EncodeJpeg(64, 32, 3, JpegSamples(64, 32, 3, [](uint32_t, uint32_t, int s) {
                                       return 0x2060C0 >> (16 - 8 * s) & 0xFF;
                                   }));
    PdfContent content;
    content.xmp = IllustratorXmp(xmp);
    content.pageEntries = "/MediaBox [0 0 612 792] /ArtBox [0 0 288 144]";
    const std::string bytes = PdfFile(content);
    const std::string path = files.Write("drawing.ai", bytes);

    EXPECT_EQ(QuickTest(path, bytes), "Illustrator Drawing");
    EXPECT_EQ(Call("GetDefaultExtension").Text(), "ai");
    ASSERT_EQ(Attach(path).hr, S_OK);
    EXPECT_FLOAT_EQ(Call("InfoGetWidth").Float(), 4.0f);
    EXPECT_FLOAT_EQ(Call("InfoGetHeight").Float(), 2.0f);
    EXPECT_EQ(Call("InfoGetKind").Long(), 2);
    EXPECT_EQ(Call("InfoGetCreatingSoftware").Text(), xmp.creatorTool);
    EXPECT_EQ(Call("InfoGetMacType").Text(), "TEXT");
    EXPECT_EQ(Property("Fonts"), "MyriadPro-Regular\nMinionPro-Bold");
    EXPECT_EQ(Property("Colors"), "White\nPANTONE 300 C\nBlack");
    EXPECT_EQ(Property("PostScriptVersion"), "");
    for (bool stored : {true, false}) {
        Pixels p = ThumbnailPixels(Call("GetThumbnail", {MakeI4(100), MakeI4(100), MakeBool(stored)}));
        ASSERT_TRUE(p.present) << stored;
        EXPECT_EQ(p.width, 100u);
        EXPECT_EQ(p.height, 50u);
        const uint32_t centre = p.At(50, 25);
        EXPECT_NEAR(static_cast<int>(centre >> 16), 0x20, 6);
        EXPECT_NEAR(static_cast<int>(centre & 0xFF), 0xC0, 6);
    }
    EXPECT_EQ(Call("ConvertToSize", {Str(files.File("out.bmp")), Str("BMP"), MakeI4(40), MakeI4(20)}).hr,
              S_OK);
    // Without a thumbnail in its XMP a drawing is still attached; its thumbnail is the missing picture
    // the host draws.
    content.xmp = IllustratorXmp({});
    ASSERT_EQ(Attach(files.Write("bare.ai", PdfFile(content))).hr, S_OK);
    EXPECT_FALSE(ThumbnailPixels(Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(true)})).present);
}

TEST_F(PdfFileTest, OtherPdfFilesAreNotTheFiltersFiles) {
    IllustratorXmpContent other;
    other.creatorTool = "Adobe InDesign 19.0";
    PdfContent content;
    content.xmp = IllustratorXmp(other);
    content.illustratorPrivateData = false;
    struct Row {
        const char* name;
        std::string bytes;
        std::string path;
    };
    const std::string plain = PdfFile(content);
    const Row rows[] = {
        {"another program's PDF", plain, files.Write("other.pdf", plain)},
        {"no path to read the rest from", plain, ""},
        {"a damaged PDF", plain.substr(0, 300), files.Write("cut.ai", plain.substr(0, 300))},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(QuickTest(row.path, row.bytes), "") << row.name;
        if (!row.path.empty()) {
            EXPECT_EQ(Attach(row.path).code, 2020) << row.name;
        }
    }
    EXPECT_EQ(Call("GetDefaultExtension").Text(), "eps");
}

TEST_F(PdfFileTest, OnlyAModuleWithTheReaderEntryIsTaken) {
    const std::string rows[] = {"", files.File("absent.so"),
                                files.Write("libaldra-eps-pdf.so", "not a library"), "libm.so.6"};
    for (const std::string& path : rows) {
        EXPECT_EQ(LoadPdfReader(path), nullptr) << path;
    }
    EXPECT_NE(LoadPdfReader(ALDRA_PDF_MODULE_PATH), nullptr);
}

TEST_F(PdfFileTest, CorpusIllustratorFiles) {
    if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    struct Row {
        const char* file;
        const char* creator;
        float width, height;  // inches
        const char* fonts;
    };
    const Row rows[] = {
        {"drewnoakes/BlazRobar_Thinking_Head_Icon_Set.ai", "Adobe Illustrator CS4", 507 / 72.f, 1182 / 72.f,
         ""},
        // Saved without PDF content: the page is Illustrator's placeholder; the ArtBox and the
        // thumbnail still describe the drawing.
        {"sindresorhus/fixture-without-pdf-compatibility.ai", "Adobe Illustrator 24.1 (Windows)",
         260.552f / 72, 87.381f / 72, "MyriadPro-Regular"},
        {"sk1project/probe.ai", "Adobe Illustrator exported by sK1", 5.5729876f, 3.4340417f, ""},
    };
    for (const Row& row : rows) {
        const std::string path = kCorpus + "/" + row.file;
        SCOPED_TRACE(row.file);
        EXPECT_EQ(QuickTest(path, ReadFile(path)), "Illustrator Drawing");
        ASSERT_EQ(Attach(path).hr, S_OK);
        EXPECT_EQ(Call("InfoGetCreatingSoftware").Text(), row.creator);
        EXPECT_NEAR(Call("InfoGetWidth").Float(), row.width, 0.001);
        EXPECT_NEAR(Call("InfoGetHeight").Float(), row.height, 0.001);
        EXPECT_EQ(Property("Fonts"), row.fonts);  // their thumbnails: the corpus test of every file
    }
}

}  // namespace
}  // namespace aldra::testing
