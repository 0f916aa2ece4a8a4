// 256-pixel thumbnails of Illustrator artwork that carries no preview, through the control as a host
// asks for them, so that the interpreter draws every one: a busy drawing of 100,000 path segments
// and 5,000 runs of text, and one a tenth of its size. The interpreter keeps one path and one line
// at a time, so the peak memory must not follow the drawing's size; each peak is taken in a child
// process of its own that does nothing but that one thumbnail.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ScratchFolder.h"
#include "ThumbnailRuns.h"
#include "fixtures/ArtworkFile.h"

namespace {

namespace fs = std::filesystem;
using aldra::bench::InChild;

struct Case {
    const char* name;
    uint32_t segments, textRuns;
    std::string path;
    double fileMB = 0;
    double peakMB = 0;      // the thumbnail's child process
    double attachedMB = 0;  // a child that attaches the file and draws nothing
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases = {
        {"Artwork100kSegments5kTexts", 100000, 5000, {}},
        {"Artwork10kSegments500Texts", 10000, 500, {}},
    };
    return cases;
}

bool WriteFiles(const std::string& folder) {
    for (Case& c : Cases()) {
        c.path = folder + "/" + c.name + ".ai";
        double ok = InChild([&c] {
            aldra::testing::BusyArtworkOptions options;
            options.segments = c.segments;
            options.textRuns = c.textRuns;
            const std::string text = aldra::testing::BusyArtwork(options).Text();
            std::FILE* out = std::fopen(c.path.c_str(), "wb");
            if (out == nullptr) return 0.0;
            bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
            return std::fclose(out) == 0 && written ? 1.0 : 0.0;
        });
        struct stat info {};
        if (ok != 1.0 || stat(c.path.c_str(), &info) != 0) return false;
        c.fileMB = static_cast<double>(info.st_size) / 1e6;
    }
    return true;
}

void Thumbnail(benchmark::State& state, const Case* c) {
    int64_t made = aldra::bench::DrawThumbnails(state, c->path);
    state.counters["file_MB"] = c->fileMB;
    state.counters["segments_per_s"] =
        benchmark::Counter(static_cast<double>(c->segments) * static_cast<double>(made),
                           benchmark::Counter::kIsRate, benchmark::Counter::kIs1000);
    state.counters["peak_MB"] = c->peakMB;
    state.counters["attach_only_peak_MB"] = c->attachedMB;
}

}  // namespace

int main(int argc, char** argv) {
    return aldra::bench::RunInScratchFolder(&argc, argv, "bench_artwork", WriteFiles, [] {
        aldra::bench::RunThumbnailCases(Cases(), Thumbnail, [](const Case& c) {
            return c.peakMB < 0 ? "  no thumbnail" : c.peakMB < 32 ? "  under 32 MB" : "  over 32 MB";
        });
    });
}
