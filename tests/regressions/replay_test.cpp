// Every input under tests/regressions/<target>/ goes through the fuzz target of that name, the very
// code the fuzzer ran when the input was found. In the sanitizer build a memory error, leak or broken
// target check aborts the test; every build checks that each input still finishes in the fuzzers'
// time limit. An input in a folder no target has is a failure: it would never be replayed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/targets/All.h"

namespace aldra {
namespace {

namespace fs = std::filesystem;

// The fuzzers' -timeout: an input that takes longer was a hang finding.
constexpr double kSecondsPerInput = 10;

const fuzz::Target* TargetNamed(const std::string& name) {
    for (const fuzz::Target& target : fuzz::AllTargets())
        if (name == target.name) return &target;
    return nullptr;
}

TEST(Replay, EveryKeptInputRunsCleanlyThroughItsTarget) {
    int replayed = 0;
    for (const auto& folder : fs::directory_iterator(ALDRA_REGRESSIONS_DIR)) {
        if (!folder.is_directory()) continue;
        const fuzz::Target* target = TargetNamed(folder.path().filename().string());
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
            SCOPED_TRACE(entry.path().string());
            ASSERT_NE(target, nullptr) << "no fuzz target for this folder";
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const auto start = std::chrono::steady_clock::now();
            EXPECT_EQ(target->entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
            EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                      kSecondsPerInput);
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

}  // namespace
}  // namespace aldra
