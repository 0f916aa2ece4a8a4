// The header scan reads only the head of a file, so attaching a 1 GB file costs what a 1 MB file
// costs. Both files have the same small header followed by bulk data; the large one is sparse.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/StringList.h"
#include "eps/DscScan.h"

namespace {

std::string MakeFile(const char* tag, off_t size) {
    std::string path = "/tmp/aldra-bench-scan-" + std::to_string(getpid()) + "-" + tag + ".eps";
    std::string header =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: (Bench)\n%%BoundingBox: 0 0 612 792\n"
        "%%DocumentFonts: Times-Roman\n%%+ Helvetica\n%ImageData: 2550 3300 8 3 0 1 1 \"beginimage\"\n"
        "%%EndComments\n";
    for (int i = 0; i < 30; ++i) header += "0 0 moveto 612 792 lineto stroke\n";
    int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    if (fd < 0) return "";
    bool ok = ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size()) &&
              ::ftruncate(fd, size) == 0;
    ::close(fd);
    return ok ? path : "";
}

const std::string& SmallFile() {
    static const std::string path = MakeFile("1mb", off_t{1} << 20);
    return path;
}

const std::string& LargeFile() {
    static const std::string path = MakeFile("1gb", off_t{1} << 30);
    return path;
}

void Scan(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("cannot create the file");
        return;
    }
    for (auto _ : state) {
        aldra::EpsReader eps;
        aldra::EpsInfo info;
        if (aldra::OpenEps(path.c_str(), &eps) != aldra::kOk ||
            aldra::ParseEpsHeader(&eps, path.c_str(), &info) != aldra::kOk) {
            state.SkipWithError("scan failed");
            return;
        }
        benchmark::DoNotOptimize(info.hResolution);
        aldra::CloseEps(&eps);
    }
}

void BM_AttachScan1MB(benchmark::State& state) {
    Scan(state, SmallFile());
}
void BM_AttachScan1GB(benchmark::State& state) {
    Scan(state, LargeFile());
}
BENCHMARK(BM_AttachScan1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AttachScan1GB)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(SmallFile().c_str());
    std::remove(LargeFile().c_str());
    return 0;
}
