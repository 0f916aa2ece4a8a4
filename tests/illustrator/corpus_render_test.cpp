// Real Illustrator drawings drawn by the filter as a host asks for a thumbnail when it prefers drawn
// pictures, against the same pages drawn by Ghostscript at the same size: the drawings that keep no
// picture of their own, which only the interpreter can show, and those that keep one but whose
// artwork the interpreter draws as well (the drawn chain comes first). Both pictures are saved under
// the build folder (corpus-art/) for a person to look at; the test holds the mean absolute grey
// difference of each file under the bound measured for it, and under what a blank picture would
// score. The corpus lives beside the project and Ghostscript is a peer, not a dependency: the test
// skips without either.
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "control/ControlFixture.h"
#include "platform/ole/Picture.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// ALDRA_CORPUS_DIR names the corpus for a checkout that does not sit beside it.
const std::string kCorpus = std::getenv("ALDRA_CORPUS_DIR")
                                ? std::getenv("ALDRA_CORPUS_DIR")
                                : std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";
const std::string kOutput = std::string(ALDRA_BINARY_DIR) + "/corpus-art";
constexpr uint32_t kSide = 256;

// The Illustrator files the interpreter draws, with the mean absolute grey difference measured for
// each (in brackets) and room for small changes in the drawing layer. Ghostscript turns CMYK into
// grey through its colour profiles, lighter than the filter's tables (red fills 37 levels apart), and
// the nested files place an EPS file that is no Illustrator drawing, which the filter shows as a
// crossed frame over the whole page where Ghostscript draws the placed square. Elsewhere the greys
// agree and the difference is at edges: Ghostscript inks every pixel a shape touches, GDI those whose
// centre it covers, so thin lines come out thicker there.
const struct {
    const char* name;
    double bound;
} kFiles[] = {
    {"apache/img-with-tiff-preview.eps", 34},    // (31.16)
    {"artifexsoftware/golfer.eps", 28},          // (23.81)
    {"exiv2/eps-flat_oodraw_ai-3-lev2.eps", 4},  // (0.62)
    {"exiv2/eps-flat_oodraw_ai-8-lev3.eps", 4},  // (0.00)
    {"exiv2/eps-nested_xmp_ai-3-lev3.eps", 92},  // (90.30; a blank page scores 93.07)
    {"exiv2/eps-nested_xmp_ai-8-lev3.eps", 92},  // (90.30)
    {"pillow/illuCS6_no_preview.eps", 10},       // (7.02)
};

struct GreyImage {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> grey;  // top row first, 0 black
    uint8_t At(uint32_t x, uint32_t y) const { return grey[size_t{y} * width + x]; }
};

std::string OutputName(const std::string& name, const char* suffix) {
    std::string flat = name;
    for (char& ch : flat)
        if (ch == '/') ch = '_';
    return kOutput + "/" + flat + suffix;
}

// Ghostscript's picture of the page fitted into `width` x `height` pixels.
std::optional<GreyImage> GhostscriptPicture(const std::string& path, uint32_t width, uint32_t height,
                                            const std::string& png) {
    char command[4096];
    std::snprintf(command, sizeof command,
                  "timeout 120 gs -q -dSAFER -dBATCH -dNOPAUSE -dEPSFitPage -sDEVICE=pnggray -g%ux%u "
                  "-sOutputFile='%s' '%s' >/dev/null 2>&1",
                  width, height, png.c_str(), path.c_str());
    fs::remove(png);
    (void)std::system(command);  // Ghostscript complains about some files and draws them all the same
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, png.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_GRAY;
    GreyImage out{image.width, image.height, std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
    if (!png_image_finish_read(&image, nullptr, out.grey.data(), 0, nullptr)) return std::nullopt;
    return out;
}

// The mean absolute difference over `ours`, the reference sampled at the matching place, so that a
// pixel more or less on a side does not shift the rest.
double MeanGreyDifference(const GreyImage& ours, const GreyImage& reference) {
    double sum = 0;
    for (uint32_t y = 0; y < ours.height; ++y)
        for (uint32_t x = 0; x < ours.width; ++x) {
            const uint32_t rx = static_cast<uint32_t>(uint64_t{x} * reference.width / ours.width);
            const uint32_t ry = static_cast<uint32_t>(uint64_t{y} * reference.height / ours.height);
            sum += std::abs(int(ours.At(x, y)) - int(reference.At(rx, ry)));
        }
    return ours.width && ours.height ? sum / (double(ours.width) * ours.height) : 255;
}

class ArtworkCorpus : public ControlTest {
  protected:
    void SetUp() override {
        if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
        if (std::system("gs --version >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "Ghostscript (gs) is not installed; bash scripts/install-deps.sh";
        ControlTest::SetUp();
        fs::create_directories(kOutput);
    }

    // The thumbnail the host gets when it prefers drawn pictures, saved as PNG; none when the filter
    // gave no picture.
    std::optional<GreyImage> OurPicture(const std::string& path, const std::string& png) {
        if (TestAndAttach(path, ReadFile(path)).hr != S_OK) return std::nullopt;
        Answer answer = Call("GetThumbnail", {MakeI4(kSide), MakeI4(kSide), MakeBool(false)});
        IPicture* picture = nullptr;
        if (answer.value.vt != VT_DISPATCH || !answer.value.pdispVal ||
            answer.value.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)) != S_OK)
            return std::nullopt;
        fs::remove(png);
        EXPECT_EQ(picture->SaveAsPng(png.c_str(), {}), 0u) << png;
        RgbImage rgb;
        const bool read = picture->ReadRgbRows(&rgb) == 0;
        picture->Release();
        if (!read) return std::nullopt;
        GreyImage g{rgb.width, rgb.height, {}};
        for (size_t i = 0; i + 2 < rgb.rgb.size(); i += 3)
            g.grey.push_back(static_cast<uint8_t>(
                (rgb.rgb[i] * 299 + rgb.rgb[i + 1] * 587 + rgb.rgb[i + 2] * 114) / 1000));
        return g;
    }
};

TEST_F(ArtworkCorpus, DrawnArtworkIsCloseToGhostscriptsPage) {
    for (const auto& file : kFiles) {
        SCOPED_TRACE(file.name);
        const std::string path = kCorpus + "/" + file.name;
        std::optional<GreyImage> ours = OurPicture(path, OutputName(file.name, ".png"));
        ASSERT_TRUE(ours.has_value()) << "the filter draws no picture";
        EXPECT_LE(std::max(ours->width, ours->height), kSide);
        std::optional<GreyImage> reference =
            GhostscriptPicture(path, ours->width, ours->height, OutputName(file.name, ".gs.png"));
        ASSERT_TRUE(reference.has_value()) << "Ghostscript draws no picture";
        const GreyImage blank{ours->width, ours->height, std::vector<uint8_t>(ours->grey.size(), 255)};
        const double difference = MeanGreyDifference(*ours, *reference);
        std::printf("%-44s %4ux%-4u %7.2f\n", file.name, ours->width, ours->height, difference);
        EXPECT_LT(difference, file.bound);
        EXPECT_LT(difference, MeanGreyDifference(blank, *reference)) << "a blank picture would be closer";
    }
}

}  // namespace
}  // namespace aldra
