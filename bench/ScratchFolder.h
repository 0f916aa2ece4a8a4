// The frame every file-writing benchmark runs in: a scratch folder of its own under the temporary
// folder, filled by the benchmark, measured, and removed whatever happened.
#pragma once
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace aldra::bench {

// `write` fills the folder (false when it cannot); `measure` runs only when it could. The settings
// hive goes to /tmp unless the caller has set a place. Returns the program's exit status.
template <typename Write, typename Measure>
int RunInScratchFolder(int* argc, char** argv, const char* program, Write write, Measure measure) {
    benchmark::Initialize(argc, argv);
    setenv("ALDRA_REGISTRY_DIR", "/tmp", 0);
    std::string folder =
        (std::filesystem::temp_directory_path() / (std::string(program) + "-XXXXXX")).string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "%s: no temporary folder\n", program);
        return 1;
    }
    int result = 0;
    if (write(folder)) {
        measure();
    } else {
        std::fprintf(stderr, "%s: cannot write its files in %s\n", program, folder.c_str());
        result = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    benchmark::Shutdown();
    return result;
}

}  // namespace aldra::bench
