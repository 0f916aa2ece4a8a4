// Real files cut short and with bytes changed, put through everything a host asks of the filter. Damaged
// copies are what archives hold after failed transfers and disk faults; none may crash the filter, hang
// it, or make it write anything but the conversion it was asked for. Run under the sanitizer build, this
// is the test that finds reads past a block's end.
// The corpus lives beside the project and is not ours to ship, so these tests skip without it.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "control/ControlFixture.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";
constexpr int kVariantsOfEachKind = 50;
// A hang guard, not a speed target: the slowest real file takes a small fraction of this.
constexpr double kSecondsPerVariant = 2.0;

class CorpusMutationTest : public ControlTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
        ControlTest::SetUp();
    }

    // The whole sequence of a cataloguing host for one file; answers are not checked, only that
    // every call returns and that the folder holds nothing unasked for afterwards.
    void Exercise(const std::string& path, const std::string& bytes) {
        Call("QuickTest", {Str(path), ByteArray(bytes.substr(0, 512))});
        if (Call("AttachFile", {Str(path)}).hr != S_OK) return;
        for (const char* getter : {"InfoGetWidth", "InfoGetHeight", "InfoGetHResolution",
                                   "InfoGetVResolution", "InfoGetKind", "InfoGetCreatingSoftware",
                                   "InfoGetImageName", "InfoGetUser", "InfoGetCategories", "InfoGetNotes"})
            Call(getter);
        for (const char* property : {"PostScriptVersion", "EPSFVersion", "EPSFType", "Fonts", "Colors",
                                     "Links", "OPISystem", "OPIHiResFileName"})
            Invoke(control, property, {}, DISPATCH_PROPERTYGET);
        for (bool stored : {true, false}) Call("GetThumbnail", {MakeI4(96), MakeI4(96), MakeBool(stored)});
        std::string bmp = output.File("out.bmp");
        Call("ConvertToSize", {Str(bmp), Str("BMP"), MakeI4(80), MakeI4(60)});
        std::filesystem::remove(bmp);
    }

    // Writes the variant under the original's name (relatives such as DCS plates are found by name)
    // and runs the sequence on it, within the time a stuck decoder would exceed.
    void Run(const std::string& name, const std::string& bytes, const std::string& what) {
        std::string path = variants.File(name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        auto start = std::chrono::steady_clock::now();
        Exercise(path, bytes);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, kSecondsPerVariant) << what;
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::is_empty(output.path(), ec)) << what << ": output left behind";
    }

    TempDir variants;
    TempDir output;
};

TEST_F(CorpusMutationTest, TruncatedAndFlippedCopiesOfEveryFileAreHandled) {
    std::mt19937 random(20261207);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        if (!entry.is_regular_file() || entry.path().filename() == "MANIFEST.tsv") continue;
        std::string original = ReadFile(entry.path().string());
        if (original.empty()) continue;
        ++files;
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(entry.path().string());
        for (int i = 0; i < kVariantsOfEachKind; ++i) {
            size_t length = std::uniform_int_distribution<size_t>(0, original.size() - 1)(random);
            Run(name, original.substr(0, length), "cut at " + std::to_string(length));
        }
        for (int i = 0; i < kVariantsOfEachKind; ++i) {
            std::string damaged = original;
            // Headers, directories and comment blocks sit near the start, so half the changes land
            // in the first 4 KB.
            size_t span = i % 2 == 0 && damaged.size() > 4096 ? 4096 : damaged.size();
            int flips = 1 + static_cast<int>(random() % 8);
            std::string where;
            for (int f = 0; f < flips; ++f) {
                size_t at = std::uniform_int_distribution<size_t>(0, span - 1)(random);
                damaged[at] = static_cast<char>(random());
                where += std::to_string(at) + " ";
            }
            Run(name, damaged, "bytes changed at " + where);
        }
        std::filesystem::remove(variants.File(name));
    }
    EXPECT_GT(files, 10);
}

}  // namespace
}  // namespace aldra
