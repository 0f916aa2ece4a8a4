// Computes the filter's colour tables and writes them as a C++ source file:
//   - a 17 x 17 x 17 CMY grid (cyan, magenta, yellow ink amounts to RGB),
//   - a 256-entry black curve (the factor, out of 256, that black ink leaves of the CMY colour),
//   - a 17 x 17 x 17 CIELAB grid (L* scaled to 0..255, a* + 128, b* + 128 to RGB).
// Node n of a grid stands for the input 16 n, so node 16 is one past the largest input.
//
// CMY: a Yule-Nielsen modified Neugebauer model of a press. Its eight primaries are the paper, the
// three process inks, their three two-ink overprints and the three-ink overprint, as measured on the
// press condition the filter imitates; a tint mixes them with Demichel weights in linear light.
// Black: a monotone (PCHIP) tone curve through the measured tint patches.
// CIELAB: the CIE conversion to XYZ (D65), linear sRGB primaries, out-of-gamut colours brought in
// by scaling along the line to black, and the display's tone response, whose exponent is set so that
// the mid-grey patch shows at its measured value.
// Both grids are then calibrated to their measured patches: the remaining difference at each patch
// is spread over the nodes around it with a smooth weight that vanishes at the other patches, so the
// patches come out exactly and far-away nodes keep the model's values.
//
// Usage: aldra_colourtables OUTPUT.cpp
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kNodes = 17;
constexpr int kGridBytes = kNodes * kNodes * kNodes * 3;

struct Rgb {
    double r, g, b;
};

struct Patch {
    int i, j, k;
    int r, g, b;
};

// ----- measured values -----

// Press primaries (sRGB bytes): paper, cyan, magenta, yellow, and the overprints.
constexpr Rgb kPaper = {255, 255, 255};
constexpr Rgb kCyan = {0, 160, 221};
constexpr Rgb kMagenta = {198, 0, 104};
constexpr Rgb kYellow = {255, 236, 0};
constexpr Rgb kCyanMagenta = {46, 49, 146};
constexpr Rgb kCyanYellow = {0, 166, 81};
constexpr Rgb kMagentaYellow = {237, 28, 36};
constexpr Rgb kThreeInks = {33, 24, 32};
constexpr double kYuleNielsen = 2.0;

const Patch kCmyPatches[] = {
    {0, 0, 0, 255, 255, 255}, {16, 0, 0, 0, 160, 221},  {0, 16, 0, 198, 0, 104},
    {0, 0, 16, 255, 236, 0},  {16, 16, 16, 33, 24, 32},
};

// Black ink tints: input value and the factor (out of 256) left of the colour below.
const double kBlackX[] = {0, 64, 128, 192, 255};
const double kBlackY[] = {255, 201, 143, 80, 0};

const Patch kLabPatches[] = {
    {0, 8, 8, 0, 0, 0},
    {8, 8, 8, 93, 93, 93},
    {16, 8, 8, 255, 255, 255},
    {16, 16, 8, 255, 43, 135},
};
constexpr double kMidGrey = 93;  // the display value of the mid-grey patch (8, 8, 8)

// Nodes within this distance of a patch share its calibration.
constexpr double kCalibrationRadius = 8;

// ----- helpers -----

double SrgbToLinear(double byte) {
    double v = byte / 255;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double LinearToSrgb(double linear) {
    double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return v * 255;
}

int ToByte(double v) {
    long rounded = std::lround(v);
    return rounded < 0 ? 0 : rounded > 255 ? 255 : static_cast<int>(rounded);
}

double NodeInput(int n) {
    return 16.0 * n;
}

int Offset(int i, int j, int k) {
    return ((i * kNodes + j) * kNodes + k) * 3;
}

using Model = Rgb (*)(int i, int j, int k);

// ----- CMY -----

Rgb CmyModel(int i, int j, int k) {
    // Ink coverage: node 16 (input 256) is solid ink like the largest input.
    double c = std::fmin(NodeInput(i), 255) / 255;
    double m = std::fmin(NodeInput(j), 255) / 255;
    double y = std::fmin(NodeInput(k), 255) / 255;
    struct Primary {
        double weight;
        Rgb colour;
    };
    const Primary primaries[] = {
        {(1 - c) * (1 - m) * (1 - y), kPaper}, {c * (1 - m) * (1 - y), kCyan},
        {(1 - c) * m * (1 - y), kMagenta},     {(1 - c) * (1 - m) * y, kYellow},
        {c * m * (1 - y), kCyanMagenta},       {c * (1 - m) * y, kCyanYellow},
        {(1 - c) * m * y, kMagentaYellow},     {c * m * y, kThreeInks},
    };
    double sum[3] = {0, 0, 0};
    for (const Primary& p : primaries) {
        const double bytes[3] = {p.colour.r, p.colour.g, p.colour.b};
        for (int ch = 0; ch < 3; ++ch)
            sum[ch] += p.weight * std::pow(SrgbToLinear(bytes[ch]), 1 / kYuleNielsen);
    }
    return Rgb{LinearToSrgb(std::pow(sum[0], kYuleNielsen)), LinearToSrgb(std::pow(sum[1], kYuleNielsen)),
               LinearToSrgb(std::pow(sum[2], kYuleNielsen))};
}

// ----- CIELAB -----

constexpr double kWhiteX = 0.95047, kWhiteZ = 1.08883;  // D65

double LabInverse(double t) {
    constexpr double kDelta = 6.0 / 29;
    return t > kDelta ? t * t * t : 3 * kDelta * kDelta * (t - 4.0 / 29);
}

double LightnessOf(int i) {
    return NodeInput(i) * 100 / 255;
}

double LuminanceOf(double lightness) {
    return LabInverse((lightness + 16) / 116);
}

// The display exponent that shows the mid-grey patch at its measured value.
double DisplayGamma() {
    return std::log(LuminanceOf(LightnessOf(8))) / std::log(kMidGrey / 255);
}

Rgb LabModel(int i, int j, int k) {
    static const double gamma = DisplayGamma();
    double lightness = LightnessOf(i);
    double a = NodeInput(j) - 128, b = NodeInput(k) - 128;
    double fy = (lightness + 16) / 116;
    double x = kWhiteX * LabInverse(fy + a / 500);
    double y = LabInverse(fy);
    double z = kWhiteZ * LabInverse(fy - b / 200);
    double rgb[3] = {3.2404542 * x - 1.5371385 * y - 0.4985314 * z,
                     -0.9692660 * x + 1.8760108 * y + 0.0415560 * z,
                     0.0556434 * x - 0.2040259 * y + 1.0572252 * z};
    double largest = 0;
    for (double& v : rgb) {
        if (v < 0) v = 0;
        if (v > largest) largest = v;
    }
    // D65 white maps to 1 in each channel up to the matrix's rounding; treat that as exact.
    if (largest > 1 - 1e-6) {
        for (double& v : rgb) v /= largest;
    }
    for (double& v : rgb) v = 255 * std::pow(v, 1 / gamma);
    return Rgb{rgb[0], rgb[1], rgb[2]};
}

// ----- grids, calibration and the curve -----

double CalibrationWeight(const Patch& p, int i, int j, int k) {
    double d2 = double(i - p.i) * (i - p.i) + double(j - p.j) * (j - p.j) + double(k - p.k) * (k - p.k);
    double r2 = kCalibrationRadius * kCalibrationRadius;
    if (d2 >= r2) return 0;
    double t = 1 - d2 / r2;
    return t * t;
}

template <size_t N>
std::vector<uint8_t> BuildGrid(Model model, const Patch (&patches)[N]) {
    Rgb residual[N];
    for (size_t p = 0; p < N; ++p) {
        Rgb base = model(patches[p].i, patches[p].j, patches[p].k);
        residual[p] = Rgb{patches[p].r - base.r, patches[p].g - base.g, patches[p].b - base.b};
    }
    std::vector<uint8_t> grid(kGridBytes);
    for (int i = 0; i < kNodes; ++i) {
        for (int j = 0; j < kNodes; ++j) {
            for (int k = 0; k < kNodes; ++k) {
                Rgb v = model(i, j, k);
                for (size_t p = 0; p < N; ++p) {
                    double w = CalibrationWeight(patches[p], i, j, k);
                    v.r += w * residual[p].r;
                    v.g += w * residual[p].g;
                    v.b += w * residual[p].b;
                }
                uint8_t* node = &grid[Offset(i, j, k)];
                node[0] = static_cast<uint8_t>(ToByte(v.r));
                node[1] = static_cast<uint8_t>(ToByte(v.g));
                node[2] = static_cast<uint8_t>(ToByte(v.b));
            }
        }
    }
    return grid;
}

// Fritsch-Carlson monotone cubic through the black patches.
std::vector<uint8_t> BuildBlackCurve() {
    constexpr int n = sizeof kBlackX / sizeof kBlackX[0];
    double slope[n - 1], tangent[n];
    for (int s = 0; s < n - 1; ++s) slope[s] = (kBlackY[s + 1] - kBlackY[s]) / (kBlackX[s + 1] - kBlackX[s]);
    tangent[0] = slope[0];
    tangent[n - 1] = slope[n - 2];
    for (int s = 1; s < n - 1; ++s) {
        tangent[s] = slope[s - 1] * slope[s] <= 0 ? 0 : 2 / (1 / slope[s - 1] + 1 / slope[s]);
    }
    std::vector<uint8_t> curve(256);
    for (int v = 0; v < 256; ++v) {
        int s = 0;
        while (s < n - 2 && v > kBlackX[s + 1]) ++s;
        double h = kBlackX[s + 1] - kBlackX[s];
        double t = (v - kBlackX[s]) / h;
        double h00 = (1 + 2 * t) * (1 - t) * (1 - t), h10 = t * (1 - t) * (1 - t);
        double h01 = t * t * (3 - 2 * t), h11 = t * t * (t - 1);
        curve[v] = static_cast<uint8_t>(ToByte(h00 * kBlackY[s] + h10 * h * tangent[s] +
                                               h01 * kBlackY[s + 1] + h11 * h * tangent[s + 1]));
    }
    return curve;
}

template <size_t N>
bool MeetsPatches(const std::vector<uint8_t>& grid, const Patch (&patches)[N], const char* name) {
    bool ok = true;
    for (const Patch& p : patches) {
        const uint8_t* node = &grid[Offset(p.i, p.j, p.k)];
        if (node[0] != p.r || node[1] != p.g || node[2] != p.b) {
            std::fprintf(stderr, "%s node (%d,%d,%d) is (%d,%d,%d), measured (%d,%d,%d)\n", name, p.i, p.j,
                         p.k, node[0], node[1], node[2], p.r, p.g, p.b);
            ok = false;
        }
    }
    return ok;
}

bool CurveMeetsPatches(const std::vector<uint8_t>& curve) {
    bool ok = true;
    for (size_t s = 0; s < sizeof kBlackX / sizeof kBlackX[0]; ++s) {
        if (curve[static_cast<size_t>(kBlackX[s])] != kBlackY[s]) ok = false;
    }
    for (size_t v = 1; v < curve.size(); ++v) {
        if (curve[v] > curve[v - 1]) ok = false;
    }
    if (!ok) std::fprintf(stderr, "black curve misses its patches or rises\n");
    return ok;
}

void WriteArray(std::FILE* out, const char* name, const char* size, const std::vector<uint8_t>& bytes) {
    std::fprintf(out, "const uint8_t %s[%s] = {", name, size);
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::fprintf(out, "%s%u,", n % 24 == 0 ? "\n   " : " ", bytes[n]);
    }
    std::fprintf(out, "\n};\n\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> cmy = BuildGrid(CmyModel, kCmyPatches);
    std::vector<uint8_t> curve = BuildBlackCurve();
    std::vector<uint8_t> lab = BuildGrid(LabModel, kLabPatches);
    if (!MeetsPatches(cmy, kCmyPatches, "CMY") || !CurveMeetsPatches(curve) ||
        !MeetsPatches(lab, kLabPatches, "Lab"))
        return 1;
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Generated by tools/colourtables/GenerateColourTables.cpp; do not edit.\n");
    std::fprintf(out, "#include \"preview/BuiltInColourTables.h\"\n\nnamespace aldra {\n\n");
    WriteArray(out, "kBuiltInCmyGrid", "kColourGridBytes", cmy);
    WriteArray(out, "kBuiltInBlackCurve", "kBlackCurveBytes", curve);
    WriteArray(out, "kBuiltInLabGrid", "kColourGridBytes", lab);
    std::fprintf(out, "}  // namespace aldra\n");
    bool written = std::fclose(out) == 0;
    return written ? 0 : 1;
}
