// Writes the folder that bench/compare.sh measures against ExifTool and Ghostscript: DOS EPS files
// with TIFF previews, Photoshop EPS files with JPEG thumbnails and IPTC data, Illustrator drawings
// with %AI7_Thumbnail, a hundred to a sub-folder, and a few large %ImageData pictures; or, with
// --sizes, one %ImageData picture at several file sizes.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CompareFiles.h"

namespace aldra::samples::compare {
namespace {

namespace fs = std::filesystem;

bool WriteLarge(const fs::path& path, uint64_t megabytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
    bool ok = WriteLargeImageDataFile(out, megabytes, path.filename().string());
    return std::fclose(out) == 0 && ok;
}

// Seven in twenty DOS EPS files, seven Photoshop files, six Illustrator drawings.
bool WriteOne(const fs::path& folder, uint32_t n) {
    std::string stem = "file" + std::to_string(n);
    uint32_t slot = n % 20;
    if (slot < 7) return WriteSampleFile(folder / (stem + ".eps"), DosTiffEpsFile(n));
    if (slot < 14) return WriteSampleFile(folder / (stem + ".eps"), PhotoshopJpegEpsFile(n));
    return WriteSampleFile(folder / (stem + ".ai"), IllustratorFile(n));
}

bool ParseSizes(const char* text, std::vector<uint64_t>* sizes) {
    std::string s = text;
    size_t start = 0;
    while (start <= s.size()) {
        size_t comma = s.find(',', start);
        std::string item = s.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        char* end = nullptr;
        unsigned long long v = std::strtoull(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || v == 0 || v > 4000) return false;
        sizes->push_back(v);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !sizes->empty();
}

std::string SizeName(uint64_t megabytes) {
    char name[48];
    std::snprintf(name, sizeof name, "picture-%04llumb.eps", static_cast<unsigned long long>(megabytes));
    return name;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: make-compare-folder COUNT FOLDER [--large MB,MB,...]\n"
                 "       make-compare-folder --sizes MB,MB,... FOLDER\n");
    return 2;
}

}  // namespace
}  // namespace aldra::samples::compare

int main(int argc, char** argv) {
    using namespace aldra::samples::compare;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::error_code ec;
    if (args.size() == 3 && args[0] == "--sizes") {
        std::vector<uint64_t> sizes;
        if (!ParseSizes(args[1].c_str(), &sizes)) return Usage();
        fs::path folder = args[2];
        fs::create_directories(folder, ec);
        bool ok = true;
        for (uint64_t mb : sizes) ok = WriteLarge(folder / SizeName(mb), mb) && ok;
        if (!ok)
            std::fprintf(stderr, "make-compare-folder: some files could not be written in %s\n",
                         args[2].c_str());
        std::printf("%zu files in %s\n", sizes.size(), args[2].c_str());
        return ok ? 0 : 1;
    }
    std::vector<uint64_t> large;
    if (args.size() == 4 && args[2] == "--large") {
        if (!ParseSizes(args[3].c_str(), &large)) return Usage();
    } else if (args.size() != 2) {
        return Usage();
    }
    long count = std::strtol(args[0].c_str(), nullptr, 10);
    if (count <= static_cast<long>(large.size()) || count > 10'000'000) {
        std::fprintf(stderr,
                     "make-compare-folder: COUNT must be more than the large files and at most 10000000\n");
        return 2;
    }
    fs::path folder = args[1];
    bool ok = true;
    long small = count - static_cast<long>(large.size());
    for (uint32_t n = 0; n < static_cast<uint32_t>(small); ++n) {
        fs::path sub = folder / ("job" + std::to_string(n / 100));
        if (n % 100 == 0) fs::create_directories(sub, ec);
        ok = WriteOne(sub, n) && ok;
    }
    if (!large.empty()) {
        fs::create_directories(folder / "large", ec);
        for (uint64_t mb : large) ok = WriteLarge(folder / "large" / SizeName(mb), mb) && ok;
    }
    if (!ok)
        std::fprintf(stderr, "make-compare-folder: some files could not be written in %s\n", args[1].c_str());
    std::printf("%ld files in %s\n", count, args[1].c_str());
    return ok ? 0 : 1;
}
