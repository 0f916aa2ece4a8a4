// StretchDIBits against a reference computed here: nearest sampling at every source depth,
// orientation, the flip the previews use, clipping, mapping, colour matching and bit packing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

constexpr uint32_t kSentinel = 0xA5A5A5;  // every byte 0xA5

uint32_t BruteNearest(const RGBQUAD* table, uint32_t count, uint32_t packed) {
    const int b = packed & 255, g = (packed >> 8) & 255, r = (packed >> 16) & 255;
    uint32_t best = 0;
    long bestD = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const long d = (table[i].rgbRed - r) * (table[i].rgbRed - r) +
                       (table[i].rgbGreen - g) * (table[i].rgbGreen - g) +
                       (table[i].rgbBlue - b) * (table[i].rgbBlue - b);
        if (bestD < 0 || d < bestD) bestD = d, best = i;
    }
    return best;
}

// Every source depth into every target depth: the pixel under each destination pixel's centre,
// by nearest colour into indexed targets, with the neighbours in a byte and the row padding kept.
class StretchDepths : public ::testing::TestWithParam<std::tuple<uint32_t, uint32_t>> {};

TEST_P(StretchDepths, ScalingPicksThePixelUnderEachCentre) {
    const auto [srcBpp, dstBpp] = GetParam();
    const uint32_t colours = dstBpp == 24 ? 0 : 1u << dstBpp;
    std::mt19937 random(dstBpp);
    RGBQUAD table[256];
    for (RGBQUAD& c : table) c = RGBQUAD{BYTE(random()), BYTE(random()), BYTE(random()), 0};
    if (dstBpp == 1) table[0] = RGBQUAD{0, 0, 0, 0}, table[1] = RGBQUAD{255, 255, 255, 0};
    if (dstBpp > 1) table[colours / 2] = table[0];  // a duplicate: the lower index wins
    const int cases[][4] = {{5, 3, 13, 7}, {13, 9, 4, 3}, {7, 7, 7, 7}, {3, 5, 1, 1}, {64, 40, 17, 9}};
    for (bool topDown : {false, true}) {
        for (const auto& [sw, sh, dw, dh] : cases) {
            SCOPED_TRACE(testing::Message()
                         << topDown << " " << sw << "x" << sh << " -> " << dw << "x" << dh);
            SourceDib src(srcBpp, sw, sh, topDown);
            Target t(dstBpp, 19, 12, 0xA5, colours ? table : nullptr, colours);
            std::vector<uint8_t> want(t.bits, t.bits + t.Bytes());
            for (int y = 2; y < 2 + dh; ++y) {
                for (int x = 1; x < 1 + dw; ++x) {
                    const uint32_t c = src.Colour(Sample(x - 1, dw, sw), Sample(y - 2, dh, sh));
                    WritePixel(want.data(), dstBpp, 19, 12, x, y,
                               colours ? BruteNearest(table, colours, c) : c);
                }
            }
            ASSERT_EQ(src.Draw(t.dc, 1, 2, dw, dh, 0, 0, sw, sh), sh);
            ASSERT_EQ(std::vector<uint8_t>(t.bits, t.bits + t.Bytes()), want);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, StretchDepths,
                         ::testing::Combine(::testing::Values(1u, 4u, 8u, 24u),
                                            ::testing::Values(1u, 4u, 8u, 24u)));

// Which source pixel a destination pixel shows; false where the destination keeps its old value.
// The extents apply in the mapping mode given.
using Map = bool (*)(int x, int y, int* sx, int* sy);

struct Geometry {
    const char* name;
    int srcW, srcH;
    bool srcTopDown;
    int dstW, dstH;
    int call[8];  // x, y, width, height of the destination, then of the source
    Map map;
    int mode = MM_TEXT, window[2] = {1, 1}, viewport[2] = {1, 1};
};

// clang-format off
const Geometry kGeometries[] = {
    // The preview hands rows over top first but declared bottom-up, and flips them back with a
    // negative height from the bottom edge: the picture lands one row below the rectangle's top.
    {"FlippedFromTheBottomEdge", 6, 4, false, 6, 10, {0, 6, 6, -4, 0, 0, 6, 4},
     [](int x, int y, int* sx, int* sy) { return *sx = x, *sy = 6 - y, y >= 3 && y <= 6; }},
    {"FlippedOneRowTallerCoversTheTop", 5, 5, false, 5, 5, {0, 5, 5, -6, 0, 0, 5, 5},
     [](int x, int y, int* sx, int* sy) { return *sx = x, *sy = Sample(5 - y, 6, 5), true; }},
    {"ClippedAtEveryEdge", 10, 10, false, 6, 5, {-3, -2, 20, 15, 0, 0, 10, 10},
     [](int x, int y, int* sx, int* sy) { return *sx = Sample(x + 3, 20, 10), *sy = Sample(y + 2, 15, 10), true; }},
    {"EntirelyBelowRight", 10, 10, false, 6, 5, {100, 100, 5, 5, 0, 0, 10, 10},
     [](int, int, int*, int*) { return false; }},
    // Mapping modes: a one-pixel source covers the device pixels the logical rectangle maps to.
    {"IsotropicDoubled", 1, 1, false, 12, 12, {1, 1, 3, 3, 0, 0, 1, 1},
     [](int x, int y, int* sx, int* sy) { return *sx = *sy = 0, x >= 2 && x < 8 && y >= 2 && y < 8; }, MM_ISOTROPIC, {8, 8}, {16, 16}},
    {"HalvesRoundAwayFromZero", 1, 1, false, 12, 12, {1, 1, 1, 1, 0, 0, 1, 1},
     [](int x, int y, int* sx, int* sy) { return *sx = *sy = 0, x == 2 && y == 2; }, MM_ANISOTROPIC, {2, 2}, {3, 3}},
};
// clang-format on

class StretchGeometry : public ::testing::TestWithParam<Geometry> {};

TEST_P(StretchGeometry, DrawsWhatTheReferenceMapsAndLeavesTheRest) {
    const Geometry& g = GetParam();
    SourceDib src(8, g.srcW, g.srcH, g.srcTopDown);
    Target t(24, g.dstW, g.dstH, 0xA5);
    EXPECT_EQ(SetMapMode(t.dc, 42), 0);  // no such mode
    ASSERT_EQ(SetMapMode(t.dc, g.mode), MM_TEXT);
    ASSERT_TRUE(SetWindowExtEx(t.dc, g.window[0], g.window[1], nullptr));
    ASSERT_TRUE(SetViewportExtEx(t.dc, g.viewport[0], g.viewport[1], nullptr));
    const int* c = g.call;
    ASSERT_EQ(src.Draw(t.dc, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]), std::abs(c[7]));
    t.Expect([&](int x, int y) {
        int sx = 0, sy = 0;
        return g.map(x, y, &sx, &sy) ? src.Colour(sx, sy) : kSentinel;
    });
}

INSTANTIATE_TEST_SUITE_P(Cases, StretchGeometry, ::testing::ValuesIn(kGeometries),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StretchRefusals, UnsupportedRequestsDrawNothing) {
    SourceDib src(8, 4, 4, false);
    Target t(24, 4, 4, 0xA5);
    HDC screen = GetDC(nullptr);
    auto draw = [&](HDC dc, DibInfo info, UINT usage, DWORD rop, const void* bits) {
        return StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, info.info(), usage, rop);
    };
    EXPECT_EQ(draw(t.dc, src.info, 1 /* DIB_PAL_COLORS */, SRCCOPY, src.bits.data()), 0);
    EXPECT_EQ(draw(t.dc, src.info, DIB_RGB_COLORS, 0x00660046 /* SRCINVERT */, src.bits.data()), 0);
    EXPECT_EQ(draw(t.dc, src.info, DIB_RGB_COLORS, SRCCOPY, nullptr), 0);
    EXPECT_EQ(draw(screen, src.info, DIB_RGB_COLORS, SRCCOPY, src.bits.data()), 0);  // no pixels
    DibInfo bad = src.info;  // the headers refused are those the sections refuse
    bad.header.biCompression = 1;
    EXPECT_EQ(draw(t.dc, bad, DIB_RGB_COLORS, SRCCOPY, src.bits.data()), 0);
    ReleaseDC(nullptr, screen);
    t.Expect([](int, int) { return kSentinel; });
}

}  // namespace
}  // namespace aldra::test
