// Every input under tests/regressions/<target>/ goes through the fuzz target of that name, the very
// code the fuzzer ran when the input was found. In the sanitizer build a memory error, leak or broken
// target check aborts the test; every build checks that each input still finishes in the fuzzers'
// time limit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "fuzz/targets/All.h"

namespace aldra {
namespace fuzz {
// Test names and messages show the target by its name.
void PrintTo(const Target& target, std::ostream* out) {
    *out << target.name;
}
}  // namespace fuzz

namespace {

namespace fs = std::filesystem;

const fs::path kRegressions = ALDRA_REGRESSIONS_DIR;
// The fuzzers' -timeout: an input that takes longer was a hang finding.
constexpr double kSecondsPerInput = 10;

std::vector<fs::path> InputsOf(const std::string& target) {
    std::vector<fs::path> inputs;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(kRegressions / target, ignored)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name[0] != '.' && name.rfind("README", 0) != 0)
            inputs.push_back(entry.path());
    }
    return inputs;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Replay : public ::testing::TestWithParam<fuzz::Target> {};

TEST_P(Replay, EveryKeptInputRunsCleanly) {
    const fuzz::Target& target = GetParam();
    for (const fs::path& input : InputsOf(target.name)) {
        SCOPED_TRACE(input.string());
        const std::string bytes = ReadAll(input);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(target.entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, kSecondsPerInput);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, Replay, ::testing::ValuesIn(fuzz::AllTargets()),
                         [](const auto& info) { return std::string(info.param.name); });

// An input filed under a name no target has would never be replayed, and a target without its folder
// has nowhere for run.sh to keep what it finds.
TEST(RegressionFolders, MatchTheTargets) {
    std::set<std::string> targets;
    for (const fuzz::Target& t : fuzz::AllTargets()) {
        targets.insert(t.name);
        EXPECT_TRUE(fs::is_directory(kRegressions / t.name)) << t.name;
    }
    // Folders of decoders that are not in the tree yet stay, waiting for their targets.
    const std::set<std::string> pending = {"jpeg", "image_data", "ai7_thumbnail"};
    for (const auto& entry : fs::directory_iterator(kRegressions)) {
        if (!entry.is_directory()) continue;
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(targets.count(name) || pending.count(name)) << "no fuzz target named " << name;
    }
}

}  // namespace
}  // namespace aldra
