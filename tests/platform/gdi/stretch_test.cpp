// StretchDIBits and BitBlt against a reference computed here: nearest sampling at every source
// depth, orientation, mirroring, colour matching into indexed targets, clipping and bit packing.
#include <gtest/gtest.h>

#include <random>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

constexpr uint32_t kSentinel = 0x123456;

void Paint(Target& t, uint32_t value) {
    for (int y = 0; y < t.info.header.biHeight; ++y) {
        for (int x = 0; x < t.info.header.biWidth; ++x) {
            WritePixel(t.bits, t.info.header.biBitCount, t.info.header.biWidth, t.info.header.biHeight, x, y,
                       value);
        }
    }
}

struct Case {
    int srcW, srcH, dstW, dstH;
};

class StretchEachDepth : public ::testing::TestWithParam<uint32_t> {};

TEST_P(StretchEachDepth, UpAndDownScalingPicksThePixelUnderEachCentre) {
    const uint32_t bpp = GetParam();
    const Case cases[] = {{5, 3, 13, 7}, {13, 9, 4, 3}, {7, 7, 7, 7}, {3, 5, 1, 1}, {9, 2, 11, 9}};
    for (bool topDown : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "bpp " << bpp << " topDown " << topDown << " " << c.srcW << "x"
                                            << c.srcH << " -> " << c.dstW << "x" << c.dstH);
            SourceDib src(bpp, c.srcW, c.srcH, topDown);
            Target t(24, 16, 12);
            Paint(t, kSentinel);
            ASSERT_EQ(StretchDIBits(t.dc, 1, 2, c.dstW, c.dstH, 0, 0, c.srcW, c.srcH, src.bits.data(),
                                    src.info.info(), DIB_RGB_COLORS, SRCCOPY),
                      c.srcH);
            for (int y = 0; y < 12; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const bool inside = x >= 1 && x < 1 + c.dstW && y >= 2 && y < 2 + c.dstH;
                    // An upright copy: the top destination row shows the top of the picture.
                    const uint32_t want =
                        inside ? src.Colour(Sample(x - 1, c.dstW, c.srcW), Sample(y - 2, c.dstH, c.srcH))
                               : kSentinel;
                    ASSERT_EQ(t.At(x, y), want) << "at " << x << "," << y;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, StretchEachDepth, ::testing::Values(1u, 4u, 8u, 24u));

// The preview code hands over rows top row first but declares them bottom-up, and flips them back
// with a negative destination height from the rectangle's bottom edge.
TEST(StretchMirror, NegativeDestinationHeightFlipsAndLandsOneRowLower) {
    SourceDib src(24, 6, 4, /*topDown=*/false);
    Target t(24, 6, 10);
    Paint(t, kSentinel);
    const int top = 2, bottom = 6;  // a 4-row rectangle
    ASSERT_NE(StretchDIBits(t.dc, 0, bottom, 6, -(bottom - top), 0, 0, 6, 4, src.bits.data(), src.info.info(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 6; ++x) {
            if (y < top + 1 || y > bottom) {
                EXPECT_EQ(t.At(x, y), kSentinel) << x << "," << y;
                continue;
            }
            // Memory row k of the source lands on row top + 1 + k.
            const int memoryRow = y - top - 1;
            const uint32_t want = ReadPixel(src.bits.data(), 24, 6, -4, x, memoryRow);  // memory order
            EXPECT_EQ(t.At(x, y), want) << x << "," << y;
        }
    }
}

TEST(StretchMirror, OneExtraRowCoversTheTopLineAtRectangleTopZero) {
    SourceDib src(8, 5, 5, false);
    Target t(24, 5, 5);
    Paint(t, kSentinel);
    ASSERT_NE(StretchDIBits(t.dc, 0, 5, 5, -6, 0, 0, 5, 5, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            // Six mirrored rows over [0, 6): row j shows upright row Sample(5 - j, 6, 5) of the source.
            const int upright = Sample(5 - y, 6, 5);
            EXPECT_EQ(t.At(x, y), src.Colour(x, upright)) << x << "," << y;
        }
    }
    // The row that memory holds first (the decoder's top row) is on top.
    EXPECT_EQ(t.At(0, 0), Packed(src.info.colours[src.values[4 * 5 + 0]]));
}

TEST(StretchMirror, NegativeWidthsMirrorUnlessBothAreNegative) {
    SourceDib src(24, 7, 3, false);
    {
        Target t(24, 7, 3);
        ASSERT_NE(StretchDIBits(t.dc, 6, 0, -7, 3, 0, 0, 7, 3, src.bits.data(), src.info.info(),
                                DIB_RGB_COLORS, SRCCOPY),
                  0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) EXPECT_EQ(t.At(x, y), src.Colour(6 - x, y)) << x << "," << y;
    }
    {
        Target t(24, 7, 3);
        ASSERT_NE(StretchDIBits(t.dc, 0, 0, 7, 3, 6, 0, -7, 3, src.bits.data(), src.info.info(),
                                DIB_RGB_COLORS, SRCCOPY),
                  0);
        for (int x = 0; x < 7; ++x) EXPECT_EQ(t.At(x, 1), src.Colour(6 - x, 1)) << x;
    }
    {
        Target t(24, 7, 3);
        ASSERT_NE(StretchDIBits(t.dc, 6, 0, -7, 3, 6, 0, -7, 3, src.bits.data(), src.info.info(),
                                DIB_RGB_COLORS, SRCCOPY),
                  0);
        for (int x = 0; x < 7; ++x) EXPECT_EQ(t.At(x, 1), src.Colour(x, 1)) << x;
    }
}

TEST(StretchSourceRect, YCountsFromTheBottomOfBottomUpAndTheTopOfTopDownSources) {
    for (bool topDown : {false, true}) {
        SourceDib src(24, 4, 6, topDown);
        Target t(24, 4, 2);
        ASSERT_NE(StretchDIBits(t.dc, 0, 0, 4, 2, 0, 1, 4, 2, src.bits.data(), src.info.info(),
                                DIB_RGB_COLORS, SRCCOPY),
                  0);
        // Rows 1..2 from the bottom are upright rows 3..4; from the top they are rows 1..2.
        const int firstUpright = topDown ? 1 : 3;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(t.At(x, y), src.Colour(x, firstUpright + y)) << topDown;
    }
}

uint32_t BruteNearest(const RGBQUAD* table, uint32_t count, uint32_t packed) {
    const int b = packed & 255, g = (packed >> 8) & 255, r = (packed >> 16) & 255;
    uint32_t best = 0;
    long bestD = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const long d = (table[i].rgbRed - r) * (table[i].rgbRed - r) +
                       (table[i].rgbGreen - g) * (table[i].rgbGreen - g) +
                       (table[i].rgbBlue - b) * (table[i].rgbBlue - b);
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

TEST(StretchIndexedTarget, EveryColourGoesToTheNearestTableEntry) {
    // Many distinct colours, so that colours sharing a cache slot are met in one call.
    std::mt19937 random(7);
    SourceDib src(24, 64, 64, false);
    for (uint32_t& v : src.values) v = random() & 0xFFFFFF;
    src.values[5] = 0x000000;  // black and white, the colours most often met
    src.values[6] = 0xFFFFFF;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            WritePixel(src.bits.data(), 24, 64, 64, x, y, src.values[static_cast<size_t>(y) * 64 + x]);

    RGBQUAD table[256];
    for (uint32_t i = 0; i < 256; ++i)
        table[i] =
            RGBQUAD{static_cast<BYTE>(random()), static_cast<BYTE>(random()), static_cast<BYTE>(random()), 0};
    table[200] = table[10];  // a duplicate: the lower index wins
    table[0] = RGBQUAD{255, 255, 255, 0};
    table[77] = RGBQUAD{0, 0, 0, 0};
    Target t(8, 64, 64, table, 256);
    ASSERT_NE(StretchDIBits(t.dc, 0, 0, 64, 64, 0, 0, 64, 64, src.bits.data(), src.info.info(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(t.At(x, y), BruteNearest(table, 256, src.Colour(x, y))) << x << "," << y;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_NE(t.At(x, y), 200u);
}

TEST(StretchIndexedTarget, IndexedSourceIntoTheGreyTable) {
    RGBQUAD grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
    SourceDib src(1, 9, 5, false);
    src.info.colours[0] = RGBQUAD{0, 0, 0, 0};
    src.info.colours[1] = RGBQUAD{255, 255, 255, 0};
    Target t(8, 9, 5, grey, 256);
    ASSERT_NE(StretchDIBits(t.dc, 0, 0, 9, 5, 0, 0, 9, 5, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(t.At(x, y), src.values[y * 9 + x] ? 0u : 255u);
}

TEST(StretchClipping, DestinationBeyondEveryEdgeDrawsOnlyWhatIsInside) {
    SourceDib src(8, 10, 10, false);
    Target t(24, 6, 5);
    ASSERT_NE(StretchDIBits(t.dc, -3, -2, 20, 15, 0, 0, 10, 10, src.bits.data(), src.info.info(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(t.At(x, y), src.Colour(Sample(x + 3, 20, 10), Sample(y + 2, 15, 10))) << x << "," << y;
    // Entirely outside: nothing happens, nothing breaks.
    Paint(t, kSentinel);
    EXPECT_NE(StretchDIBits(t.dc, 100, 100, 5, 5, 0, 0, 10, 10, src.bits.data(), src.info.info(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    EXPECT_NE(StretchDIBits(t.dc, -50, 0, 5, 5, 0, 0, 10, 10, src.bits.data(), src.info.info(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(t.At(x, y), kSentinel);
}

TEST(StretchClipping, SourceRectangleOutsideTheSourceLeavesThosePixels) {
    SourceDib src(24, 4, 4, true);
    Target t(24, 6, 4);
    Paint(t, kSentinel);
    ASSERT_NE(StretchDIBits(t.dc, 0, 0, 6, 4, -2, 0, 6, 4, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(t.At(0, y), kSentinel);
        EXPECT_EQ(t.At(1, y), kSentinel);
        for (int x = 2; x < 6; ++x) EXPECT_EQ(t.At(x, y), src.Colour(x - 2, y));
    }
}

// Writing packed pixels must not disturb the neighbours in the same byte, nor the row padding.
class PackedTarget : public ::testing::TestWithParam<uint32_t> {};

TEST_P(PackedTarget, OddWidthsKeepNeighboursAndPadding) {
    const uint32_t bpp = GetParam();
    const uint32_t colours = 1u << bpp;
    RGBQUAD table[16];
    for (uint32_t i = 0; i < colours; ++i) {
        const BYTE v = static_cast<BYTE>(i * 255 / (colours - 1));
        table[i] = RGBQUAD{v, v, v, 0};
    }
    const int width = 13, height = 3;
    Target t(bpp, width, height, table, colours);
    std::memset(t.bits, 0xA5, t.Bytes());
    const std::vector<uint8_t> before(t.bits, t.bits + t.Bytes());
    // Grey source covering columns 3..9 (odd start and end) of the middle row.
    SourceDib src(24, 7, 1, false);
    for (int x = 0; x < 7; ++x) {
        const uint32_t g = static_cast<uint32_t>(x * 40);
        src.values[x] = g | (g << 8) | (g << 16);
        WritePixel(src.bits.data(), 24, 7, 1, x, 0, src.values[x]);
    }
    ASSERT_NE(StretchDIBits(t.dc, 3, 1, 7, 1, 0, 0, 7, 1, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t old = ReadPixel(before.data(), bpp, width, height, x, y);
            if (y == 1 && x >= 3 && x < 10) {
                EXPECT_EQ(t.At(x, y), BruteNearest(table, colours, src.values[x - 3])) << x;
            } else {
                EXPECT_EQ(t.At(x, y), old) << x << "," << y;
            }
        }
    }
    // Padding: every bit past the width in every row.
    const uint32_t stride = ExpectedStride(bpp, width);
    for (int row = 0; row < height; ++row) {
        for (uint32_t bit = width * bpp; bit < stride * 8; ++bit) {
            const size_t byte = row * stride + bit / 8;
            const int shift = 7 - static_cast<int>(bit % 8);
            EXPECT_EQ((t.bits[byte] >> shift) & 1, (before[byte] >> shift) & 1)
                << "row " << row << " bit " << bit;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, PackedTarget, ::testing::Values(1u, 4u));

TEST(StretchPadding, TwentyFourBitTargetRowsStopAtTheirWidth) {
    Target t(24, 5, 3);  // 15 bytes of pixels in a 16-byte stride
    std::memset(t.bits, 0x5A, t.Bytes());
    SourceDib src(8, 2, 2, false);
    ASSERT_NE(StretchDIBits(t.dc, 0, 0, 5, 3, 0, 0, 2, 2, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(t.bits[row * 16 + 15], 0x5A);
}

TEST(StretchRefusals, UnsupportedRequestsDrawNothing) {
    SourceDib src(8, 4, 4, false);
    Target t(24, 4, 4);
    Paint(t, kSentinel);
    auto call = [&](HDC dc, const DibInfo& info, UINT usage, DWORD rop, const void* bits) {
        return StretchDIBits(dc, 0, 0, 4, 4, 0, 0, 4, 4, bits, info.info(), usage, rop);
    };
    EXPECT_EQ(call(t.dc, src.info, DIB_PAL_COLORS, SRCCOPY, src.bits.data()), 0);
    EXPECT_EQ(call(t.dc, src.info, DIB_RGB_COLORS, 0x00660046 /* SRCINVERT */, src.bits.data()), 0);
    EXPECT_EQ(call(t.dc, src.info, DIB_RGB_COLORS, SRCCOPY, nullptr), 0);
    EXPECT_EQ(call(t.screen, src.info, DIB_RGB_COLORS, SRCCOPY, src.bits.data()), 0);
    DibInfo bad = src.info;
    bad.header.biBitCount = 16;
    EXPECT_EQ(call(t.dc, bad, DIB_RGB_COLORS, SRCCOPY, src.bits.data()), 0);
    bad = src.info;
    bad.header.biCompression = 1;  // BI_RLE8
    EXPECT_EQ(call(t.dc, bad, DIB_RGB_COLORS, SRCCOPY, src.bits.data()), 0);
    bad = src.info;
    bad.header.biWidth = 1 << 30;  // a header claiming far more memory than any source has
    EXPECT_EQ(call(t.dc, bad, DIB_RGB_COLORS, SRCCOPY, src.bits.data()), 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(t.At(x, y), kSentinel);
}

TEST(StretchMapping, IsotropicIdentityMatchesTextAndAScaleDoublesTheRectangle) {
    SourceDib src(24, 3, 3, false);
    Target t(24, 8, 8);
    ASSERT_NE(SetMapMode(t.dc, MM_ISOTROPIC), 0);
    ASSERT_TRUE(SetWindowExtEx(t.dc, 8, 8, nullptr));
    ASSERT_TRUE(SetViewportExtEx(t.dc, 8, 8, nullptr));
    Paint(t, kSentinel);
    ASSERT_NE(StretchDIBits(t.dc, 1, 1, 3, 3, 0, 0, 3, 3, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    EXPECT_EQ(t.At(0, 0), kSentinel);
    EXPECT_EQ(t.At(1, 1), src.Colour(0, 0));
    EXPECT_EQ(t.At(3, 3), src.Colour(2, 2));
    EXPECT_EQ(t.At(4, 4), kSentinel);

    ASSERT_TRUE(SetViewportExtEx(t.dc, 16, 16, nullptr));
    Paint(t, kSentinel);
    ASSERT_NE(StretchDIBits(t.dc, 1, 1, 3, 3, 0, 0, 3, 3, src.bits.data(), src.info.info(), DIB_RGB_COLORS,
                            SRCCOPY),
              0);
    EXPECT_EQ(t.At(1, 1), kSentinel);
    EXPECT_EQ(t.At(2, 2), src.Colour(0, 0));
    EXPECT_EQ(t.At(7, 7), src.Colour(2, 2));
}

TEST(BitBltCopy, CopiesBetweenContextsAndWithinOneBitmap) {
    Target a(24, 6, 4);
    Target b(24, 6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) WritePixel(a.bits, 24, 6, 4, x, y, static_cast<uint32_t>(x + 10 * y));
    Paint(b, kSentinel);
    ASSERT_TRUE(BitBlt(b.dc, 1, 1, 3, 2, a.dc, 2, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(b.At(x, y), inside ? static_cast<uint32_t>(x + 1 + 10 * (y - 1)) : kSentinel)
                << x << "," << y;
        }
    // Overlapping within one bitmap reads the source as it was before the copy.
    ASSERT_TRUE(BitBlt(a.dc, 1, 0, 5, 4, a.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 1; x < 6; ++x) EXPECT_EQ(a.At(x, y), static_cast<uint32_t>(x - 1 + 10 * y));
    EXPECT_FALSE(BitBlt(b.dc, 0, 0, 2, 2, a.screen, 0, 0, SRCCOPY));
}

}  // namespace
}  // namespace aldra::test
