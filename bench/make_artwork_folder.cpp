// Writes the Illustrator drawings that bench/compare.sh draws with the filter and with Ghostscript:
// COUNT busy drawings without a preview, from a few hundred path segments to 100,000, with a run of
// text for every twenty segments, on pages of the common sizes. Every file is a PostScript program
// that Ghostscript draws as well.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fixtures/ArtworkFile.h"

namespace {

namespace fs = std::filesystem;

struct Page {
    double width, height;
};

constexpr Page kPages[] = {{612, 792}, {842, 595}, {400, 400}, {1224, 792}, {300, 1200}};
constexpr uint32_t kSegments[] = {500, 2000, 5000, 10000, 20000, 100000};

bool WriteOne(const fs::path& folder, uint32_t n) {
    aldra::testing::BusyArtworkOptions o;
    o.segments = kSegments[n % 6];
    o.textRuns = o.segments / 20;
    o.width = kPages[n % 5].width;
    o.height = kPages[n % 5].height;
    o.seed = n + 1;
    const std::string text = aldra::testing::BusyArtwork(o).Text();
    const fs::path path =
        folder / ("artwork-" + std::to_string(n) + "-" + std::to_string(o.segments) + ".ai");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const unsigned long count = argc == 3 ? std::strtoul(argv[1], &end, 10) : 0;
    if (argc != 3 || *end != '\0' || count == 0 || count > 10000) {
        std::fprintf(stderr, "usage: make-artwork-folder COUNT FOLDER\n");
        return 2;
    }
    const fs::path folder = argv[2];
    std::error_code error;
    fs::create_directories(folder, error);
    for (uint32_t n = 0; n < count; ++n)
        if (!WriteOne(folder, n)) {
            std::fprintf(stderr, "make-artwork-folder: cannot write into %s\n", folder.c_str());
            return 1;
        }
    return 0;
}
