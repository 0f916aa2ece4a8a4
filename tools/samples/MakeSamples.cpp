// Writes the sample folder the README's main job catalogues: one file of each kind a prepress archive
// holds, made from the same builders the tests use. A file whose bytes are already on disk is left
// alone, so that rebuilding keeps its modification time and a second catalogue run reads nothing.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SampleFiles.h"

namespace aldra::samples {
namespace {

namespace fs = std::filesystem;

bool WriteIfChanged(const fs::path& path, const std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (in) {
        std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (old == bytes) return true;
    }
    fs::path partial = path;
    partial += ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    std::error_code ec;
    if (!out || (fs::rename(partial, path, ec), ec)) {
        std::fprintf(stderr, "make-samples: cannot write %s\n", path.c_str());
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

}  // namespace
}  // namespace aldra::samples

int main(int argc, char** argv) {
    using namespace aldra::samples;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-samples FOLDER\n");
        return 2;
    }
    fs::path folder = argv[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::pair<const char*, std::string> files[] = {
        {"harbour.eps", HarbourFile()},
        {"lighthouse.eps", LighthouseFile()},
        {"festival-poster.ai", FestivalPosterFile()},
        {"brochure.eps", BrochureMainFile()},
        {"brochure.C", BrochurePlate("cyan")},
        {"brochure.M", BrochurePlate("magenta")},
        {"brochure.Y", BrochurePlate("yellow")},
        {"brochure.K", BrochurePlate("black")},
        {"damaged.eps", DamagedFile()},
        {"inks.eps", CmykFile()},
    };
    bool ok = true;
    for (const auto& [name, bytes] : files) ok = WriteIfChanged(folder / name, bytes) && ok;
    return ok ? 0 : 1;
}
