// What every target shares: the decoders read files through the EPS reader, so each input becomes a
// file in a folder of the process's own, made on first use and removed at exit. The files are
// rewritten in place for every input, so millions of runs leave nothing behind. A broken invariant
// aborts, which libFuzzer and the replay test both report as a crash with the message.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace aldra::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}

#define ALDRA_FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::aldra::fuzz::Fail(#condition, __FILE__, __LINE__))

// Never destroyed: the exit handler that removes the folder runs after static destructors.
inline const std::string& ScratchFolder() {
    static const std::string* folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "aldra-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) Fail("no scratch folder", __FILE__, __LINE__);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchFolder(), ignored);
        });
        return new std::string(pattern);
    }();
    return *folder;
}

inline std::string ScratchPath(std::string_view name) {
    return ScratchFolder() + "/" + std::string(name);
}

// Writes the bytes to the named file of the scratch folder (subfolders are made) and returns its path.
inline std::string WriteScratch(std::string_view name, const void* data, size_t size) {
    std::string path = ScratchPath(name);
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) Fail("scratch file cannot be written", __FILE__, __LINE__);
    if (size != 0 && std::fwrite(data, 1, size, out) != size) Fail("scratch file short", __FILE__, __LINE__);
    std::fclose(out);
    return path;
}

inline std::string WriteScratch(std::string_view name, std::string_view bytes) {
    return WriteScratch(name, bytes.data(), bytes.size());
}

// Inputs above 4 GB cannot reach the 32-bit decoders; libFuzzer never makes them, but the replay
// could be handed one.
inline uint32_t Size32(size_t size) {
    return size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
}

}  // namespace aldra::fuzz
