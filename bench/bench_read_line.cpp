// Reads every line of a generated 100 MB EPS file through ReadLine, from the page cache.
// Target: at least 1 GB/s (one system read per 32 KiB, one scan per byte).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "eps/EpsReader.h"

namespace {

const std::string& GeneratedEps() {
    static const std::string path = [] {
        std::string p = "/tmp/aldra-bench-" + std::to_string(getpid()) + ".eps";
        std::ofstream out(p, std::ios::binary);
        out << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 612 792\n%%EndComments\n";
        // Hex image data and path operators, the bulk of a real EPS file.
        std::string hex(64, '0');
        for (size_t i = 0; i < hex.size(); ++i) hex[i] = "0123456789ABCDEF"[i % 16];
        const std::string path = "100.5 200.25 m 300 400 l 12 34 56 78 90 12 c f\r\n";
        size_t written = 0;
        for (int i = 0; written < 100u * 1000 * 1000; ++i) {
            const std::string& line = (i % 3 == 0) ? path : hex;
            out << line << (i % 3 == 0 ? "" : "\n");
            written += line.size() + 1;
        }
        out << "%%EOF\n";
        return p;
    }();
    return path;
}

void BM_ReadLine(benchmark::State& state) {
    const std::string& path = GeneratedEps();
    int64_t bytes = 0;
    for (auto _ : state) {
        aldra::EpsReader eps;
        if (aldra::OpenEps(path.c_str(), &eps) != aldra::kOk ||
            aldra::RewindToPostScript(&eps) != aldra::kOk) {
            state.SkipWithError("cannot open the generated file");
            return;
        }
        aldra::PString line;
        size_t lines = 0;
        while (aldra::ReadLine(&eps, line) == aldra::kOk) ++lines;
        benchmark::DoNotOptimize(lines);
        bytes += static_cast<int64_t>(aldra::EpsFileSize(&eps));
        aldra::CloseEps(&eps);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadLine)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(GeneratedEps().c_str());
    return 0;
}
