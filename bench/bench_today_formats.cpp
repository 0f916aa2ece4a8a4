// 256-pixel thumbnails through the control of the pictures current writers store: the XMP thumbnail
// of a PDF-based Illustrator file (with the quick test, which reads such a file too), and TIFF
// previews of 2400 x 3000 pixels in CCITT Group 4 (one strip, and a strip a row, where libtiff
// reads the directory again for each strip), Group 3, Deflate and, to compare, LZW and no
// compression, each in a DOS EPS file.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ThumbnailRuns.h"
#include "control/FilterCtrl.h"
#include "control/QuickTest.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Pdf.h"
#include "fixtures/Tiff.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kWidth = 2400, kHeight = 3000;

struct TiffCase {
    const char* name;
    uint16_t compression;
    uint16_t bits;
    uint32_t rowsPerStrip;
    std::string path;
    double fileMB = 0;
};

std::vector<TiffCase>& TiffCases() {
    static std::vector<TiffCase> cases = {
        {"TiffG4_1bit", COMPRESSION_CCITTFAX4, 1, kHeight, {}},
        {"TiffG4_1bit_strip_a_row", COMPRESSION_CCITTFAX4, 1, 1, {}},
        {"TiffG3_1bit", COMPRESSION_CCITTFAX3, 1, 64, {}},
        {"TiffNone_1bit", COMPRESSION_NONE, 1, 64, {}},
        {"TiffDeflate_8bit", COMPRESSION_ADOBE_DEFLATE, 8, 16, {}},
        {"TiffLzw_8bit", COMPRESSION_LZW, 8, 16, {}},
    };
    return cases;
}

// Text-like bilevel pages and smooth grey pictures, as scanned and rendered previews look.
uint8_t Sample(uint32_t x, uint32_t y, uint16_t bits) {
    if (bits == 1) return ((x / 9 + y / 13) % 7 == 0 || (y % 40 < 3 && x % 300 < 250)) ? 1 : 0;
    return static_cast<uint8_t>((x / 7 + y / 5) + ((x ^ y) & 15));
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteTiffPreview(const std::string& folder, TiffCase* c) {
    const std::string tiffPath = folder + "/" + c->name + ".tif";
    TIFF* t = TIFFOpen(tiffPath.c_str(), "w");
    if (t == nullptr) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, c->bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_COMPRESSION, c->compression);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, c->rowsPerStrip);
    std::vector<uint8_t> row((kWidth * c->bits + 7) / 8);
    for (uint32_t y = 0; y < kHeight; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (uint32_t x = 0; x < kWidth; ++x) {
            const uint8_t v = Sample(x, y, c->bits);
            if (c->bits == 1)
                row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
            else
                row[x] = v;
        }
        if (TIFFWriteScanline(t, row.data(), y, 0) < 0) return false;
    }
    TIFFClose(t);
    const std::string eps = aldra::testing::DosEpsFile(
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 240 300\n%%EndComments\nshowpage\n%%EOF\n",
        ReadBytes(tiffPath));
    c->path = folder + "/" + c->name + ".eps";
    std::ofstream(c->path, std::ios::binary) << eps;
    c->fileMB = static_cast<double>(eps.size()) / 1e6;
    return true;
}

std::string WritePdf(const std::string& folder) {
    aldra::testing::IllustratorXmpContent xmp;
    xmp.fonts = {"MyriadPro-Regular", "MinionPro-Bold"};
    xmp.swatches = {"White", "Black", "PANTONE 300 C"};
    std::vector<uint8_t> samples;
    for (uint32_t y = 0; y < 256; ++y)
        for (uint32_t x = 0; x < 192; ++x)
            for (uint32_t c = 0; c < 3; ++c) samples.push_back(static_cast<uint8_t>(x * (c + 1) + y));
    xmp.thumbnailJpeg = aldra::testing::EncodeJpeg(192, 256, 3, samples);
    aldra::testing::PdfContent content;
    content.xmp = aldra::testing::IllustratorXmp(xmp);
    content.pageEntries = "/MediaBox [0 0 612 792] /ArtBox [0 0 459 612]";
    const std::string path = folder + "/drawing.ai";
    std::ofstream(path, std::ios::binary) << aldra::testing::PdfFile(content);
    return path;
}

void Thumbnail(benchmark::State& state, const std::string* path, double fileMB) {
    aldra::bench::DrawThumbnails(state, *path);
    state.counters["file_MB"] = fileMB;
}

void QuickTestPdf(benchmark::State& state, const std::string* path) {
    const std::string head = ReadBytes(*path).substr(0, 512);
    for (auto _ : state) {
        aldra::QuickTestResult r =
            aldra::QuickTestFile(*path, reinterpret_cast<const uint8_t*>(head.data()), head.size());
        if (r.formatRow != aldra::kIllustratorFormatRow) state.SkipWithError("not taken");
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    setenv("ALDRA_REGISTRY_DIR", "/tmp", 0);
    // The control is linked in here, so the PDF reader module is not beside the program.
    setenv("ALDRA_PDF_MODULE", ALDRA_PDF_MODULE_PATH, 0);
    TIFFSetWarningHandler(nullptr);
    std::string pattern = (fs::temp_directory_path() / "aldra-bench-today-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    const std::string folder = pattern;
    int result = 0;
    static std::string pdf = WritePdf(folder);
    benchmark::RegisterBenchmark("QuickTest/PdfIllustrator", QuickTestPdf, &pdf);
    benchmark::RegisterBenchmark("Thumbnail/PdfIllustrator_xmp", Thumbnail, &pdf, 0.0);
    for (TiffCase& c : TiffCases()) {
        if (!WriteTiffPreview(folder, &c)) {
            std::fprintf(stderr, "bench_today_formats: cannot write %s\n", c.name);
            result = 1;
            break;
        }
        benchmark::RegisterBenchmark((std::string("Thumbnail/") + c.name).c_str(), Thumbnail, &c.path,
                                     c.fileMB)
            ->Unit(benchmark::kMillisecond);
    }
    if (result == 0) benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return result;
}
