// Real Illustrator drawings that carry no preview of their own: each is drawn, in more than one grey.
// The corpus lives beside the project and is not ours to ship, so this skips without it.
#include <filesystem>
#include <set>

#include "illustrator/Drawing.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";

TEST(CorpusArt, DrawingsWithoutAPreviewAreDrawn) {
    if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
    for (const char* name : {"artifexsoftware/golfer.eps", "exiv2/eps-flat_oodraw_ai-3-lev2.eps",
                             "exiv2/eps-flat_oodraw_ai-8-lev3.eps", "sk1project/probe.ai"}) {
        SCOPED_TRACE(name);
        std::string path = kCorpus + "/" + name;
        if (!std::filesystem::exists(path)) continue;
        Drawing d(ReadFile(path), 128, 128);
        EXPECT_EQ(d.status, kOk);
        std::set<int> greys;
        for (uint32_t y = 0; y < 128; y += 3)
            for (uint32_t x = 0; x < 128; x += 3) greys.insert(d.Grey(x, y));
        EXPECT_GT(greys.size(), 1u);
    }
}

}  // namespace
}  // namespace aldra
