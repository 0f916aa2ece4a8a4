// The seeds the fuzzers start from. A seed that no longer reaches its decoder's success path (because
// a fixture or a format rule changed) makes the fuzzer start outside the format, where it finds
// little; so each seed must decode, and each must run through its target cleanly.
#include <gtest/gtest.h>

#include <set>

#include "eps/DosEpsHeader.h"
#include "eps/DscScan.h"
#include "eps/Iptc.h"
#include "fuzz/targets/All.h"
#include "platform/registry/Hive.h"
#include "preview/TiffPreview.h"
#include "support/TempDir.h"
// Last: the seeds bring in libjpeg, whose TRUE and FALSE would clash with the headers above.
#include "fuzz/seeds/Seeds.h"

namespace aldra {
namespace {

using fuzz::Seed;

const std::vector<Seed>& SeedsOf(const std::string& target) {
    static const auto all = fuzz::AllSeeds();
    static const std::vector<Seed> none;
    auto found = all.find(target);
    return found == all.end() ? none : found->second;
}

// Opens the seed written as a file and hands the reader to `check`.
template <typename Check>
void WithFile(const Seed& seed, Check check) {
    testing::TempDir dir;
    const std::string path = dir.Write("seed.eps", seed.bytes);
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    check(&eps, path);
    CloseEps(&eps);
}

TEST(Seeds, EveryTargetHasSeedsAndEverySeedATarget) {
    std::set<std::string> targets;
    for (const fuzz::Target& t : fuzz::AllTargets()) {
        targets.insert(t.name);
        EXPECT_GE(SeedsOf(t.name).size(), 2u) << t.name;
    }
    const std::set<std::string> pending = {"jpeg", "image_data", "ai7_thumbnail"};
    for (const auto& [name, seeds] : fuzz::AllSeeds())
        EXPECT_TRUE(targets.count(name) || pending.count(name)) << "seeds for no target: " << name;
}

TEST(Seeds, RunThroughTheirTargets) {
    for (const fuzz::Target& t : fuzz::AllTargets()) {
        for (const Seed& seed : SeedsOf(t.name)) {
            SCOPED_TRACE(std::string(t.name) + "/" + seed.name);
            EXPECT_EQ(t.entry(reinterpret_cast<const uint8_t*>(seed.bytes.data()), seed.bytes.size()), 0);
        }
    }
}

TEST(Seeds, HeadersScanAndRelativesAreFound) {
    for (const char* target : {"dsc_scan", "companions"}) {
        for (const Seed& seed : SeedsOf(target)) {
            SCOPED_TRACE(seed.name);
            WithFile(seed, [](EpsReader* eps, const std::string& path) {
                EpsInfo info;
                ASSERT_EQ(ParseEpsHeader(eps, path.c_str(), &info), kOk);
            });
        }
    }
}

TEST(Seeds, TiffAndDosEpsPreviewsDecode) {
    fuzz::UseFilterResources();
    for (const Seed& seed : SeedsOf("tiff")) {
        SCOPED_TRACE(seed.name);
        EXPECT_EQ(DecodeTiffImage(reinterpret_cast<const uint8_t*>(seed.bytes.data()),
                                  static_cast<uint32_t>(seed.bytes.size()), nullptr),
                  kOk);
    }
    int previews = 0;
    for (const Seed& seed : SeedsOf("dos_eps")) {
        SCOPED_TRACE(seed.name);
        WithFile(seed, [&](EpsReader* eps, const std::string&) {
            DosEpsHeader header;
            if (ReadDosEpsHeader(eps, &header) != kOk || header.tiffOffset == 0) return;
            ++previews;
            EXPECT_EQ(DecodeDosEpsTiffPreview(eps, nullptr), kOk);
        });
    }
    EXPECT_GE(previews, 2);
}

TEST(Seeds, PhotoshopBlocksHoldTheirIptcRecord) {
    for (const Seed& seed : SeedsOf("photoshop")) {
        SCOPED_TRACE(seed.name);
        if (seed.name == "bare-resources") {
            const uint8_t* record = nullptr;
            uint32_t size = 0;
            EXPECT_EQ(
                FindImageResource(reinterpret_cast<const uint8_t*>(seed.bytes.data()),
                                  static_cast<uint32_t>(seed.bytes.size()), kIptcResource, &record, &size),
                kOk);
            continue;
        }
        WithFile(seed, [](EpsReader* eps, const std::string&) {
            BufferPtr block;
            ASSERT_EQ(ReadPhotoshopData(eps, &block), kOk);
            StringListPtr keywords;
            uint32_t count = 0;
            ASSERT_EQ(IptcKeywordsOfBlock(block.get(), &keywords, &count), kOk);
            EXPECT_EQ(count, 2u);
        });
    }
}

TEST(Seeds, SettingsTextsAndHivesParse) {
    for (const Seed& seed : SeedsOf("anpa_settings")) {
        SCOPED_TRACE(seed.name);
        BufferPtr table;
        ASSERT_EQ(NewBuffer(0, &table), kOk);
        EXPECT_TRUE(ParseAnpaSettings(table.get(), seed.bytes));
        EXPECT_GT(AnpaEntryCount(table.get()), 0);
    }
    for (const Seed& seed : SeedsOf("hive")) {
        SCOPED_TRACE(seed.name);
        Hive hive;
        EXPECT_TRUE(ParseHive(seed.bytes, "HKEY_CURRENT_USER", &hive));
        EXPECT_GT(hive.keys.size(), 1u);
    }
}

#ifdef ALDRA_FUZZ_HAS_JPEG

TEST(Seeds, JpegStreamsDecodeFromMemoryAndAscii85) {
    fuzz::UseFilterResources();
    for (const Seed& seed : SeedsOf("jpeg")) {
        SCOPED_TRACE(seed.name);
        const auto* bytes = reinterpret_cast<const uint8_t*>(seed.bytes.data());
        if (bytes[0] == 0) {
            fuzz::BandCheck check;
            check.restarts = true;
            EXPECT_EQ(DecodeJpeg(bytes + 1, seed.bytes.size() - 1, &check), kOk);
            continue;
        }
        WithFile({seed.name, seed.bytes.substr(1)}, [](EpsReader* eps, const std::string&) {
            fuzz::DrawTarget target(24);
            fuzz::CheckedTargetSink sink(&target);
            EXPECT_EQ(DecodeJpegAscii85(eps, &sink), kOk);
        });
    }
}
#endif

#ifdef ALDRA_FUZZ_HAS_IMAGE_DATA
TEST(Seeds, ImageDataPicturesDecode) {
    fuzz::UseFilterResources();
    for (const Seed& seed : SeedsOf("image_data")) {
        SCOPED_TRACE(seed.name);
        WithFile(seed, [](EpsReader* eps, const std::string&) {
            fuzz::DrawTarget target(24);
            fuzz::CheckedTargetSink sink(&target);
            EXPECT_EQ(DecodeImageData(eps, &sink), kOk);
        });
    }
}
#endif

#ifdef ALDRA_FUZZ_HAS_AI7_THUMBNAIL
TEST(Seeds, IllustratorThumbnailsDecode) {
    fuzz::UseFilterResources();
    for (const Seed& seed : SeedsOf("ai7_thumbnail")) {
        SCOPED_TRACE(seed.name);
        WithFile(seed, [](EpsReader* eps, const std::string&) {
            fuzz::DrawTarget target(8);
            fuzz::CheckedTargetSink sink(&target);
            EXPECT_EQ(DecodeAi7Thumbnail(eps, &sink), kOk);
        });
    }
}
#endif

}  // namespace
}  // namespace aldra
