// Every corpus file that holds one of the later writers' previews (an EPSI preview, an XMP
// thumbnail, a PDF-based Illustrator file's packet) gives a thumbnail, whichever
// chain the host prefers.
#include <filesystem>
#include <set>

#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "support/FileBytes.h"

namespace aldra::testing {
namespace {

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";

bool HoldsLaterPreview(const std::string& bytes) {
    return bytes.find("%%BeginPreview:") != std::string::npos ||
           bytes.find("GImg:image") != std::string::npos;
}

TEST_F(ControlTest, CorpusFilesWithLaterPreviewsGiveThumbnails) {
    if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string path = entry.path().string(), bytes = ReadFile(path);
        if (!HoldsLaterPreview(bytes)) continue;
        SCOPED_TRACE(path);
        ++files;
        ASSERT_EQ(TestAndAttach(path, bytes).hr, S_OK);
        for (bool stored : {true, false}) {
            Pixels p = ThumbnailPixels(Call("GetThumbnail", {MakeI4(128), MakeI4(128), MakeBool(stored)}));
            ASSERT_TRUE(p.present) << stored;
            // One colour is a picture nothing was drawn into; a one-bit file's kind keeps it to two.
            EXPECT_GT(std::set<uint32_t>(p.rgb.begin(), p.rgb.end()).size(), 1u) << stored;
        }
    }
    EXPECT_GE(files, 6);  // what the corpus held when this was written; fewer: files went missing
}

}  // namespace
}  // namespace aldra::testing
