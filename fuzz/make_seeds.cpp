// Writes the seed inputs of every target into OUT/<target>/, one file per seed, replacing what was
// there: the seeds are made from the fixture code at build time and never kept in the repository.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fuzz/seeds/Seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out = argv[1];
    for (const auto& [target, seeds] : aldra::fuzz::AllSeeds()) {
        const std::filesystem::path folder = out / target;
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        for (const aldra::fuzz::Seed& seed : seeds) {
            std::ofstream file(folder / ("seed-" + seed.name), std::ios::binary);
            file.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size()));
            if (!file) {
                std::fprintf(stderr, "cannot write %s\n", (folder / seed.name).c_str());
                return 1;
            }
        }
    }
    return 0;
}
