// Thumbnails per second from the PICT preview of a Macintosh file: an EPS file whose AppleDouble
// companion holds 'PICT' 256, a 1200 x 900 picture of 32-bit pixels packed by component (about 3 MB),
// read and drawn at 256 pixels through the QuickTime module beside the program.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ThumbnailRuns.h"
#include "fixtures/MacFork.h"
#include "mac/QuickTimeBinding.h"

namespace {

using namespace aldra::testing;

constexpr int kWidth = 1200, kHeight = 900;

// Six folders deep, as catalogued files often are: the fork is also looked for in an archive's
// __MACOSX folder at each level up.
std::string Top() {
    return "/tmp/aldra-bench-pict-" + std::to_string(getpid());
}
std::string Folder() {
    return Top() + "/work/clients/2024/press";
}

std::string WriteFiles() {
    PictRaster r{kWidth, kHeight, 32, true, 4, {}, {}};
    r.pixels.reserve(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            r.pixels.push_back(uint32_t(x * 255 / kWidth) << 16 | uint32_t(y * 255 / kHeight) << 8 | 0x40);
    const PictRect frame{0, 0, kHeight, kWidth};
    const std::string pict = PictBuilder::Version2(frame).Raster(0x9A, r, frame, frame).End();
    std::string mkdir = "mkdir -p " + Folder();
    if (std::system(mkdir.c_str()) != 0) return "";
    std::ofstream(Folder() + "/._art.eps", std::ios::binary)
        << MakeAppleDouble(MakeResourceFork({{"PICT", 256, pict}}));
    const std::string path = Folder() + "/art.eps";
    std::ofstream(path, std::ios::binary)
        << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 576 432\n"
           "%%DocumentProcessColors: Cyan Magenta Yellow Black\n%%EndComments\n";
    return path;
}

void ThumbnailFromPictPreview(benchmark::State& state) {
    setenv("ALDRA_REGISTRY_DIR", "/tmp", 0);
    static const std::string path = WriteFiles();
    int64_t made = aldra::bench::DrawThumbnails(state, path);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["thumbnails/s"] =
        benchmark::Counter(static_cast<double>(made), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(ThumbnailFromPictPreview)->Unit(benchmark::kMillisecond);

// What looking for a fork costs an attach of a file that has none (the common case), with the
// module and without it.
void AttachWithoutFork(benchmark::State& state) {
    setenv("ALDRA_REGISTRY_DIR", "/tmp", 0);
    static const std::string path = [] {
        (void)WriteFiles();
        const std::string plain = Folder() + "/plain.eps";
        std::ofstream(plain, std::ios::binary)
            << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 576 432\n%%EndComments\n";
        return plain;
    }();
    const bool withModule = state.range(0) != 0;
    aldra::SetQuickTimeSearchPlaces(withModule ? "" : "/nonexistent/host", withModule ? "" : "/nonexistent");
    auto* control = new aldra::CFilterCtrl();
    control->CreateWindow();
    for (auto _ : state) control->AttachFile(path);
    control->DestroyWindow();
    control->Release();
    aldra::SetQuickTimeSearchPlaces("", "");
}
BENCHMARK(AttachWithoutFork)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const std::string remove = "rm -rf " + Top();
    return std::system(remove.c_str()) == 0 ? 0 : 1;
}
