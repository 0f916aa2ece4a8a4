// Writes a folder of many mixed files for the catalogue benchmark: DOS EPS files with TIFF previews,
// Photoshop EPS files with IPTC data and their own picture, Illustrator drawings, EPS files without a
// preview, DCS main files with their plates, and files that are not for the filter, a hundred to a
// sub-folder as archives keep them.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "SampleFiles.h"

namespace aldra::samples {
namespace {

namespace fs = std::filesystem;

std::string PlainEps(uint32_t n) {
    return EpsText("%%Creator: Aldra sample set\n%%Title: plain " + std::to_string(n) +
                   "\n%%BoundingBox: 0 0 612 792\n%%DocumentFonts: Courier\n%%EndComments");
}

// One group of files for index n; returns how many files it wrote.
int WriteGroup(const fs::path& folder, uint32_t n, bool* ok) {
    std::string stem = "file" + std::to_string(n);
    switch (n % 10) {
        case 0:
        case 1:
        case 2:
            *ok = WriteSampleFile(folder / (stem + ".eps"), HarbourFile(120 + n % 7 * 10, 80 + n % 5 * 10)) &&
                  *ok;
            return 1;
        case 3:
        case 4:
            *ok = WriteSampleFile(folder / (stem + ".eps"), LighthouseFile(40 + n % 3 * 8, 60 + n % 4 * 8)) &&
                  *ok;
            return 1;
        case 5:
        case 6:
            *ok = WriteSampleFile(folder / (stem + ".ai"), FestivalPosterFile()) && *ok;
            return 1;
        case 7:
            *ok = WriteSampleFile(folder / (stem + ".eps"), PlainEps(n)) && *ok;
            return 1;
        case 8: {
            *ok = WriteSampleFile(folder / (stem + ".eps"), BrochureMainFile(stem)) && *ok;
            for (const char* plate : {"C", "M", "Y", "K"})
                *ok = WriteSampleFile(folder / (stem + "." + plate), BrochurePlate(plate)) && *ok;
            return 5;
        }
        default:
            *ok =
                WriteSampleFile(folder / (stem + ".txt"), "Notes on job " + std::to_string(n) + "\n") && *ok;
            return 1;
    }
}

}  // namespace
}  // namespace aldra::samples

int main(int argc, char** argv) {
    using namespace aldra::samples;
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-mixed-folder COUNT FOLDER\n");
        return 2;
    }
    long count = std::strtol(argv[1], nullptr, 10);
    if (count <= 0 || count > 10'000'000) {
        std::fprintf(stderr, "make-mixed-folder: COUNT must be between 1 and 10000000\n");
        return 2;
    }
    fs::path folder = argv[2];
    bool ok = true;
    long written = 0;
    for (uint32_t n = 0; written < count; ++n) {
        fs::path sub = folder / ("job" + std::to_string(n / 100));
        std::error_code ec;
        fs::create_directories(sub, ec);
        written += WriteGroup(sub, n, &ok);
    }
    if (!ok) std::fprintf(stderr, "make-mixed-folder: some files could not be written in %s\n", argv[2]);
    std::printf("%ld files in %s\n", written, argv[2]);
    return ok ? 0 : 1;
}
