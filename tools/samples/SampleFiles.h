// The sample files: one of each kind a prepress archive holds, built from the fixture builders the
// tests use. Pictures are painted by small functions so that a thumbnail shows at a glance whether
// the right preview was drawn.
#pragma once
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/Bytes.h"
#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"

namespace aldra::samples {

using namespace aldra::testing;

// Replaces whatever the file held; false when it cannot be written whole.
inline bool WriteSampleFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

struct Rgb {
    double r, g, b;
};

inline Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline uint32_t Channel(const Rgb& c, uint32_t s) {
    double v = s == 0 ? c.r : s == 1 ? c.g : c.b;
    return static_cast<uint32_t>(std::lround(std::fmin(std::fmax(v, 0.0), 255.0)));
}

// A harbour at dusk: a sky from orange to violet, a low sun, and a sea with bands of reflection.
inline Rgb HarbourPixel(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
    double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
    double horizon = 0.62;
    if (v < horizon) {
        double dx = u - 0.7, dy = v - 0.5;
        if (dx * dx + dy * dy < 0.006) return {255, 226, 120};
        return Mix({92, 60, 140}, {250, 150, 70}, v / horizon);
    }
    double band = std::fmod((v - horizon) * 40.0, 1.0) < 0.3 && std::fabs(u - 0.7) < 0.08 ? 1.0 : 0.0;
    return Mix(Mix({30, 60, 110}, {10, 25, 60}, (v - horizon) / (1 - horizon)), {250, 190, 90}, band * 0.7);
}

// A lighthouse: a white tower with red bands on a headland under a blue sky.
inline Rgb LighthousePixel(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
    double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
    double halfWidth = 0.06 + 0.06 * v;
    if (v > 0.15 && v < 0.8 && std::fabs(u - 0.5) < halfWidth) {
        bool red = std::fmod(v * 10.0, 2.0) < 1.0;
        return red ? Rgb{200, 30, 40} : Rgb{245, 245, 240};
    }
    if (v >= 0.8) return Mix({70, 120, 50}, {40, 80, 30}, (v - 0.8) / 0.2);
    return Mix({40, 110, 200}, {170, 210, 240}, v / 0.8);
}

// A brochure cover: four process-colour bars over a light ground.
inline Rgb BrochurePixel(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
    static const Rgb bars[] = {{0, 160, 230}, {230, 0, 126}, {255, 237, 0}, {35, 31, 32}};
    double v = static_cast<double>(y) / height;
    if (v < 0.2 || v > 0.8) return {240, 238, 230};
    return bars[x * 4 / width];
}

// The painting as 8-bit RGB samples, red, green and blue together.
template <typename Paint>
inline TiffPicture Painted(uint32_t width, uint32_t height, Paint paint) {
    return MakePicture(width, height, 8, 3, [&](uint32_t x, uint32_t y, uint32_t s) {
        return Channel(paint(x, y, width, height), s);
    });
}

// An RGB TIFF preview in strips of 16 rows; LZW with the predictor unless another compression is asked.
template <typename Paint>
inline std::string RgbTiff(uint32_t width, uint32_t height, Paint paint, uint32_t compression = 5) {
    TiffOptions options;
    options.photometric = 2;
    options.compression = compression;
    options.predictor = compression == 5;
    options.rowsPerStrip = 16;
    return MakeTiff(Painted(width, height, paint), options);
}

// Photoshop's own picture behind its image operator: the samples as hexadecimal lines of 64 bytes.
template <typename Paint>
inline std::string PhotoshopImage(uint32_t width, uint32_t height, Paint paint) {
    const std::vector<uint8_t> samples = Painted(width, height, paint).rows;
    std::string binary = "beginimage\n";
    HexWriter(64).Append(samples.data(), samples.size(), &binary);
    binary += '\n';
    return "%%BeginBinary: " + std::to_string(binary.size()) + "\n" + binary +
           "%%EndBinary\ngrestore\nshowpage\n%%Trailer\n%%EOF\n";
}

inline std::string HarbourFile(uint32_t width = 300, uint32_t height = 200) {
    std::string postScript = EpsText(
        "%%Creator: Aldra sample set\n%%Title: Harbour at dusk\n%%For: Aldra EPS Filter samples\n"
        "%%CreationDate: 2026-12-01\n%%BoundingBox: 0 0 432 288\n%%LanguageLevel: 2\n"
        "%%DocumentProcessColors: Cyan Magenta Yellow Black\n%%EndComments");
    return DosEpsFile(postScript, RgbTiff(width, height, HarbourPixel));
}

inline std::string LighthouseFile(uint32_t width = 200, uint32_t height = 300) {
    std::string iptc = IptcDataSetBytes(2, 5, "Lighthouse on the headland") +
                       IptcDataSetBytes(2, 80, "Aldra sample set") + IptcDataSetBytes(2, 15, "TRV") +
                       IptcDataSetBytes(2, 25, "lighthouse") + IptcDataSetBytes(2, 25, "coast") +
                       IptcDataSetBytes(2, 25, "summer") +
                       IptcDataSetBytes(2, 120, "The lighthouse at the harbour mouth, seen from the north.");
    std::string resources =
        ImageResource(1005, ResolutionInfo(100u << 16, 100u << 16)) + ImageResource(1028, iptc);
    // 100 pixels an inch, as the resolution resource says.
    std::string box = "0 0 " + std::to_string(width * 72 / 100) + " " + std::to_string(height * 72 / 100);
    std::string postScript =
        EpsText("%%Creator: Adobe Photoshop Version 7.0\n%%Title: lighthouse.eps\n%%BoundingBox: " + box +
                "\n%%HiResBoundingBox: " + box + "\n%%SuppressDotGainCompensation\n%%EndComments\n" +
                PhotoshopBlock(resources) + "\n%ImageData: " + std::to_string(width) + " " +
                std::to_string(height) + " 8 3 0 1 2 \"beginimage\"");
    return DosEpsFile(postScript + PhotoshopImage(width, height, LighthousePixel),
                      RgbTiff(width, height, LighthousePixel));
}

// Illustrator's thumbnail: a 256-colour table, the marker, and run-length coded indices in which 0xFD
// introduces a run or escapes itself.
inline std::string Ai7ThumbnailBytes(uint32_t width, uint32_t height) {
    std::string bytes(768, '\0');
    const Rgb colours[] = {{255, 255, 255}, {230, 40, 50}, {250, 200, 40}, {30, 30, 30}};
    for (int i = 0; i < 4; ++i)
        for (uint32_t s = 0; s < 3; ++s) bytes[i * 3 + s] = static_cast<char>(Channel(colours[i], s));
    bytes += "RLE";
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            double dx = u - 0.5, dy = v - 0.55;
            uint8_t index = v < 0.2 && v > 0.1 && u > 0.1 && u < 0.9 ? 3 : dx * dx + dy * dy < 0.08 ? 2 : 1;
            pixels.push_back(index);
        }
    }
    return bytes + Ai7ThumbnailRuns(pixels);
}

inline std::string FestivalPosterFile() {
    const uint32_t width = 70, height = 99;
    std::string thumbnail = Ai7ThumbnailBytes(width, height);
    std::ostringstream head;
    head << "%%Creator: Adobe Illustrator(R) 8.0\n%%AI8_CreatorVersion: 8.0\n%%For: (Aldra sample set) ()\n"
         << "%%Title: (festival-poster.ai)\n%%CreationDate: (12/1/2026) (10:00 AM)\n"
         << "%%BoundingBox: 0 0 420 595\n%%HiResBoundingBox: 0 0 420 595\n"
         << "%%DocumentProcessColors: Cyan Magenta Yellow Black\n"
         << "%%DocumentFonts: Helvetica-Bold\n%%+ Times-Italic\n"
         << "%%DocumentNeededResources: font Helvetica-Bold\n%%+ font Times-Italic\n"
         << "%%DocumentCustomColors: (Festival Red)\n%%CMYKCustomColor: 0 0.85 0.75 0 (Festival Red)\n"
         << "%AI5_FileFormat 4.0\n%AI3_ColorUsage: Color\n%AI7_ImageSettings: 0\n"
         << Ai7ThumbnailBlock(width, height, thumbnail) << "\n%%EndComments";
    std::string text = EpsText(head.str());
    text += "%%BeginProlog\n%%EndProlog\n%%BeginSetup\n%%EndSetup\n";
    text += "0 A\n0 0.85 0.75 0 (Festival Red) 0 x\n0 O\n210 320 m\n320 320 l\n320 210 l\n210 210 l\nf\n";
    text +=
        "0 To\n1 0 0 1 60 500 0 Tp\nTP\n0 Tr\n0 0 0 1 k\n/_Helvetica-Bold 48 Tf\n(Summer Festival) Tx\nTO\n";
    text += "0 To\n1 0 0 1 60 450 0 Tp\nTP\n/_Times-Italic 24 Tf\n(by the harbour) Tx\nTO\n";
    text += "%%PageTrailer\ngsave annotatepage grestore showpage\n%%Trailer\n%%EOF\n";
    return text;
}

// A DCS main file names its four plates; the plates are plain EPS files beside it.
inline std::string BrochureMainFile(const std::string& name = "brochure") {
    std::string postScript = EpsText(
        "%%Creator: Aldra sample set\n%%Title: Brochure cover\n%%BoundingBox: 0 0 360 504\n"
        "%%DocumentProcessColors: Cyan Magenta Yellow Black\n%%CyanPlate: " +
        name + ".C\n%%MagentaPlate: " + name + ".M\n%%YellowPlate: " + name + ".Y\n%%BlackPlate: " + name +
        ".K\n%%EndComments");
    return DosEpsFile(postScript, RgbTiff(180, 252, BrochurePixel));
}

inline std::string BrochurePlate(const std::string& colour) {
    return EpsText(std::string("%%Creator: Aldra sample set\n%%Title: Brochure cover (") + colour +
                   " plate)\n%%BoundingBox: 0 0 360 504\n%%EndComments");
}

// A DOS EPS file whose TIFF preview is CMYK: cyan fading into magenta, with bands of black.
inline std::string CmykFile() {
    TiffPicture picture = MakePicture(96, 64, 8, 4, [](uint32_t x, uint32_t y, uint32_t s) {
        const uint32_t inks[4] = {255 - x * 255 / 95, x * 255 / 95, y, y / 8 % 2 ? 0u : 90u};
        return inks[s];
    });
    TiffOptions options;
    options.photometric = 5;
    return DosEpsFile(
        "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Aldra sample set\n%%BoundingBox: 0 0 144 96\n"
        "%%DocumentProcessColors: Cyan Magenta Yellow Black\n",
        MakeTiff(picture, options));
}

// A DOS EPS file cut off inside its PostScript section, as archives hold after a failed copy.
inline std::string DamagedFile() {
    std::string whole = DosEpsFile(EpsText("%%Creator: Aldra sample set\n%%BoundingBox: 0 0 72 72"),
                                   RgbTiff(8, 8, BrochurePixel));
    return whole.substr(0, 40);
}

}  // namespace aldra::samples
