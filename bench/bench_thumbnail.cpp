// Thumbnails per second from DOS EPS files whose TIFF preview is a 2000 x 2000 RGB picture, and the
// peak memory of the process: the preview itself is about 12 MB, and drawing the thumbnail should
// add only the 256-pixel target and the decoder's own copy of the section.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "ThumbnailRuns.h"

namespace {

void Put16(std::string* s, uint32_t v) {
    s->push_back(static_cast<char>(v));
    s->push_back(static_cast<char>(v >> 8));
}
void Put32(std::string* s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s->push_back(static_cast<char>(v >> (8 * i)));
}

// An uncompressed little-endian RGB TIFF in one strip, with a smooth pattern.
std::string RgbTiff(uint32_t side) {
    std::string t = "II";
    Put16(&t, 42);
    uint32_t pixelBytes = side * side * 3;
    Put32(&t, 8 + pixelBytes + 6);  // directory after the pixels and the BitsPerSample values
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x) {
            t.push_back(static_cast<char>(x));
            t.push_back(static_cast<char>(y));
            t.push_back(static_cast<char>(x ^ y));
        }
    uint32_t bitsAt = static_cast<uint32_t>(t.size());
    Put16(&t, 8), Put16(&t, 8), Put16(&t, 8);
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    } entries[] = {{256, 4, 1, side}, {257, 4, 1, side}, {258, 3, 3, bitsAt},
                   {259, 3, 1, 1},    {262, 3, 1, 2},    {273, 4, 1, 8},
                   {277, 3, 1, 3},    {278, 4, 1, side}, {279, 4, 1, pixelBytes}};
    Put16(&t, sizeof entries / sizeof entries[0]);
    for (const Entry& e : entries) {
        Put16(&t, e.tag), Put16(&t, e.type), Put32(&t, e.count);
        if (e.type == 3 && e.count == 1) {
            Put16(&t, e.value), Put16(&t, 0);
        } else {
            Put32(&t, e.value);
        }
    }
    Put32(&t, 0);
    return t;
}

const std::string& PreviewFile() {
    static auto write = [] {
        std::string p = "/tmp/aldra-bench-thumb-" + std::to_string(getppid()) + ".eps";
        std::string ps =
            "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 576 576\n"
            "%%DocumentProcessColors: Cyan Magenta Yellow Black\n%%EndComments\n";
        std::string tiff = RgbTiff(2000);
        std::string f = "\xC5\xD0\xD3\xC6";
        Put32(&f, 30), Put32(&f, static_cast<uint32_t>(ps.size())), Put32(&f, 0), Put32(&f, 0);
        Put32(&f, 30 + static_cast<uint32_t>(ps.size())), Put32(&f, static_cast<uint32_t>(tiff.size()));
        Put16(&f, 0xFFFF);
        std::ofstream(p, std::ios::binary) << f << ps << tiff;
        return p;
    };
    // Made in a child process, so that the picture built in memory does not count in this one's peak.
    static const std::string path = "/tmp/aldra-bench-thumb-" + std::to_string(getpid()) + ".eps";
    static bool made = [] {
        pid_t child = fork();
        if (child == 0) {
            write();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    (void)made;
    return path;
}

void ThumbnailFromTiffPreview(benchmark::State& state) {
    setenv("ALDRA_REGISTRY_DIR", "/tmp", 0);
    int64_t made = aldra::bench::DrawThumbnails(state, PreviewFile());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["thumbnails/s"] =
        benchmark::Counter(static_cast<double>(made), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(ThumbnailFromTiffPreview)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::remove(PreviewFile().c_str());
    return 0;
}
