// 256-pixel thumbnails of %ImageData pictures through the control, as a host asks for them: a
// 6000 x 4000 RGB picture as hexadecimal lines and the same picture as a JPEG stream in ASCII85 text,
// each also at 600 x 400. The decoder keeps two rows (or one 64 KiB band of JPEG rows), never the
// picture, so the peak memory of a thumbnail must be the same at both sizes; each peak is taken in
// a child process of its own that does nothing but that one thumbnail.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "CompareFiles.h"
#include "ScratchFolder.h"
#include "ThumbnailRuns.h"
#include "control/FilterCtrl.h"

namespace {

namespace fs = std::filesystem;
using aldra::bench::InChild;
using aldra::samples::compare::SampleText;

struct Case {
    const char* name;
    uint32_t width, height;
    SampleText text;
    std::string path;
    double fileMB = 0;
    double peakMB = 0;      // the thumbnail's child process
    double attachedMB = 0;  // a child that attaches the file and draws nothing
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases = {
        {"Hex6000x4000", 6000, 4000, SampleText::kHex, {}},
        {"Hex600x400", 600, 400, SampleText::kHex, {}},
        {"JpegAscii85_6000x4000", 6000, 4000, SampleText::kJpegAscii85, {}},
        {"JpegAscii85_600x400", 600, 400, SampleText::kJpegAscii85, {}},
    };
    return cases;
}

// The pictures are built in memory (the JPEG one whole), so they are written in a child process:
// what the writer held must not count in the peaks measured later.
bool WriteFiles(const std::string& folder) {
    for (Case& c : Cases()) {
        c.path = folder + "/" + c.name + ".eps";
        double ok = InChild([&c] {
            std::FILE* out = std::fopen(c.path.c_str(), "wb");
            if (out == nullptr) return 0.0;
            std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
            bool written = aldra::samples::compare::WriteImageDataFile(out, c.width, c.height,
                                                                       fs::path(c.path).filename(), c.text);
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
    state.counters["file_bytes_per_s"] =
        benchmark::Counter(c->fileMB * 1e6 * static_cast<double>(made), benchmark::Counter::kIsRate,
                           benchmark::Counter::kIs1000);
    state.counters["pixels_per_s"] =
        benchmark::Counter(static_cast<double>(c->width) * c->height * static_cast<double>(made),
                           benchmark::Counter::kIsRate, benchmark::Counter::kIs1000);
    state.counters["peak_MB"] = c->peakMB;
    state.counters["attach_only_peak_MB"] = c->attachedMB;
}

}  // namespace

int main(int argc, char** argv) {
    return aldra::bench::RunInScratchFolder(&argc, argv, "bench_imagedata", WriteFiles, [] {
        aldra::bench::RunThumbnailCases(Cases(), Thumbnail, [](const Case&) { return ""; });
        for (size_t i = 0; i + 1 < Cases().size(); i += 2) {
            const Case& large = Cases()[i];
            const Case& small = Cases()[i + 1];
            std::printf("  %s against %s: %+.0f KiB\n", large.name, small.name,
                        (large.peakMB - small.peakMB) * 1024);
        }
    });
}
