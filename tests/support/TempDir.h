// A fresh folder per test, removed with everything in it when the test ends.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace aldra::testing {

class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "aldra-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    // Writes bytes to a file in the folder, its own folders made first, and returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const {
        std::string full = File(name);
        std::error_code unwritable;  // then the write below fails as it would have
        std::filesystem::create_directories(std::filesystem::path(full).parent_path(), unwritable);
        std::ofstream out(full, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return full;
    }

  private:
    std::string path_;
};

}  // namespace aldra::testing
