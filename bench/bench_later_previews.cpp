// 256-pixel thumbnails through the control of the pictures only later writers' steps read: an
// 8-bit EPSI preview of 4000 x 3000 and a 3000 x 2000 RGB %ImageData picture in ASCII85 text, each
// also at a tenth of the size. Both decoders keep one band of rows, never the picture, so the peak
// memory of a thumbnail must be the same at both sizes; each peak is taken in a child process of its
// own that does nothing but that one thumbnail.
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

namespace {

namespace fs = std::filesystem;

enum class Kind { kEpsi, kAscii85Samples };

struct Case {
    const char* name;
    uint32_t width, height;
    Kind kind;
    std::string path;
    double fileMB = 0;
    double peakMB = 0;
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases = {
        {"Epsi8_4000x3000", 4000, 3000, Kind::kEpsi, {}},
        {"Epsi8_400x300", 400, 300, Kind::kEpsi, {}},
        {"Ascii85Rgb_3000x2000", 3000, 2000, Kind::kAscii85Samples, {}},
        {"Ascii85Rgb_300x200", 300, 200, Kind::kAscii85Samples, {}},
    };
    return cases;
}

uint8_t Sample(uint32_t x, uint32_t y, uint32_t c) {
    return static_cast<uint8_t>((x / 7 + y / 5) * (c + 3) + ((x ^ y) & 31));
}

// A preview of ink with no page description behind it but the box, as ps2epsi leaves one.
bool WriteEpsi(std::FILE* out, uint32_t w, uint32_t h) {
    std::fprintf(out, "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %u %u\n%%%%EndComments\n", w / 10,
                 h / 10);
    std::fprintf(out, "%%%%BeginPreview: %u %u 8 %u\n", w, h, (w + 39) / 40 * h);
    static const char* digits = "0123456789abcdef";
    std::string line;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; x += 40) {
            line = "% ";
            for (uint32_t i = x; i < w && i < x + 40; ++i) {
                const uint8_t v = Sample(i, y, 0);
                line += {digits[v >> 4], digits[v & 15]};
            }
            line += '\n';
            if (std::fputs(line.c_str(), out) < 0) return false;
        }
    }
    return std::fputs("%%EndPreview\n%%EndProlog\nshowpage\n%%EOF\n", out) >= 0;
}

// Photoshop's layout: the comment, a start word, and lines of 64 ASCII85 digits.
bool WriteAscii85Samples(std::FILE* out, uint32_t w, uint32_t h) {
    std::fprintf(out,
                 "%%!PS-Adobe-3.0 EPSF-3.0\n%%%%BoundingBox: 0 0 %u %u\n"
                 "%%ImageData: %u %u 8 3 0 1 7 \"beginimage\"\n%%%%EndComments\nbeginimage\n",
                 w / 10, h / 10, w, h);
    std::string text;
    uint32_t group = 0;
    int bytes = 0;
    size_t column = 0;
    auto put = [&](const char* digits, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            text += digits[i];
            if (++column == 64) {
                text += '\n';
                column = 0;
            }
        }
    };
    auto flush = [&](int n) {
        char d[5];
        uint32_t v = group;
        for (int i = 4; i >= 0; --i, v /= 85) d[i] = static_cast<char>('!' + v % 85);
        if (n == 4 && group == 0) {
            put("z", 1);
        } else {
            put(d, static_cast<size_t>(n + 1));
        }
        group = 0;
        bytes = 0;
    };
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t c = 0; c < 3; ++c) {
                group = group << 8 | Sample(x, y, c);
                if (++bytes == 4) flush(4);
            }
        if (std::fputs(text.c_str(), out) < 0) return false;
        text.clear();
    }
    if (bytes > 0) {
        const int n = bytes;
        group <<= 8 * (4 - n);
        flush(n);
    }
    text += "~>\n%%EndData\nshowpage\n%%EOF\n";
    return std::fputs(text.c_str(), out) >= 0;
}

bool WriteFiles(const std::string& folder) {
    for (Case& c : Cases()) {
        c.path = folder + "/" + c.name + ".eps";
        std::FILE* out = std::fopen(c.path.c_str(), "wb");
        if (out == nullptr) return false;
        std::setvbuf(out, nullptr, _IOFBF, 1 << 20);
        bool written = c.kind == Kind::kEpsi ? WriteEpsi(out, c.width, c.height)
                                             : WriteAscii85Samples(out, c.width, c.height);
        if (std::fclose(out) != 0 || !written) return false;
        struct stat info {};
        if (stat(c.path.c_str(), &info) != 0) return false;
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
    state.counters["peak_MB"] = c->peakMB;
}

}  // namespace

int main(int argc, char** argv) {
    return aldra::bench::RunInScratchFolder(&argc, argv, "bench_later_previews", WriteFiles, [] {
        for (Case& c : Cases()) c.peakMB = aldra::bench::MeasurePeak(c.path, true);
        for (const Case& c : Cases())
            benchmark::RegisterBenchmark(c.name, Thumbnail, &c)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(3)
                ->ReportAggregatesOnly(true);
        benchmark::RunSpecifiedBenchmarks();
        std::printf("\npeak memory of one thumbnail in a fresh process:\n");
        for (const Case& c : Cases())
            std::printf("  %-22s %7.1f MB file  %6.2f MB peak\n", c.name, c.fileMB, c.peakMB);
        for (size_t i = 0; i + 1 < Cases().size(); i += 2)
            std::printf("  %s against %s: %+.0f KiB\n", Cases()[i].name, Cases()[i + 1].name,
                        (Cases()[i].peakMB - Cases()[i + 1].peakMB) * 1024);
    });
}
