// Real files from other programs, attached as a host would attach them (their facts are the facts
// tests').
// The corpus lives beside the project and is not ours to ship, so these tests skip without it.
#include <filesystem>
#include <set>

#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";

class CorpusTest : public ControlTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
        ControlTest::SetUp();
    }
};

// Every file that keeps a picture beside its PostScript (a TIFF section, %ImageData, Illustrator's
// thumbnail, a later writer's EPSI preview or XMP thumbnail, a PDF-based Illustrator file's packet)
// gives a thumbnail for both preferences, of more than one colour, inside the box.
TEST_F(CorpusTest, FilesThatKeepAPictureGiveThumbnails) {
    int thumbnails = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        if (!entry.is_regular_file()) continue;
        std::string path = entry.path().string(), bytes = ReadFile(path);
        SCOPED_TRACE(path);
        const bool later = bytes.find("%%BeginPreview:") != std::string::npos ||
                           bytes.find("GImg:image") != std::string::npos;
        if (TestAndAttach(path, bytes).hr != S_OK) {
            EXPECT_FALSE(later) << "a later writer's file is refused";
            continue;
        }
        bool kept =
            later ||
            (bytes.compare(0, 4, "\xC5\xD0\xD3\xC6") == 0 && bytes.size() > 30 && Le32(bytes, 20) != 0) ||
            bytes.find("%ImageData:") != std::string::npos ||
            bytes.find("%AI7_Thumbnail:") != std::string::npos;
        for (bool stored : {true, false}) {
            Pixels p = ThumbnailPixels(Call("GetThumbnail", {MakeI4(256), MakeI4(256), MakeBool(stored)}));
            EXPECT_TRUE(p.present || !kept) << stored;
            if (!p.present) continue;
            EXPECT_TRUE(p.width > 0 && p.height > 0 && p.width <= 256 && p.height <= 256)
                << p.width << " x " << p.height;
            // One colour is what a decoder gives that drew nothing, or every row from the same wrong bytes.
            EXPECT_GT(std::set<uint32_t>(p.rgb.begin(), p.rgb.end()).size(), 1u) << stored;
            thumbnails += stored;
        }
    }
    EXPECT_GE(thumbnails, 15);  // what the corpus held when this was written; fewer: files went missing
}

}  // namespace
}  // namespace aldra
