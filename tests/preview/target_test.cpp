// Drawing targets, drawing decoded rasters into them, and writing them as bitmap files.
#include <gtest/gtest.h>

#include "platform/resources/Resources.h"
#include "preview/BmpFile.h"
#include "preview/ColourTables.h"
#include "preview/TargetRaster.h"
#include "preview/TargetSink.h"
#include "preview/TextResources.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::Le16;
using testing::Le32;
using testing::ReadFile;
using testing::TempDir;

// A target's pixel at (x, y) with y counted from the top.
const uint8_t* PixelAt(const TargetRaster& t, uint32_t x, uint32_t y) {
    const RasterImage& r = t.raster;
    return r.pixels + static_cast<size_t>(r.height - 1 - y) * r.rowBytes + x * (r.bitsPerPixel / 8);
}

struct Target {
    TargetRaster t;
    Status status;
    Target(uint32_t bits, uint32_t w, uint32_t h) { status = CreateTargetRaster(bits, w, h, &t); }
    ~Target() {
        if (status == kOk) DestroyTargetRaster(&t);
    }
};

// A 1-bit source in DIB order (a set bit is white) from rows of '#' (black) and '.'. Like every
// band the decoders hand over, its memory holds the top row first under a header that says
// bottom-up; drawing mirrors it upright.
struct OneBitSource {
    std::vector<uint8_t> bytes;
    RasterImage raster;
    explicit OneBitSource(const std::vector<std::string>& rows) {
        uint32_t w = static_cast<uint32_t>(rows[0].size());
        uint32_t h = static_cast<uint32_t>(rows.size());
        uint32_t stride = AlignedStride(1, w);
        bytes.assign(static_cast<size_t>(stride) * h, 0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                if (rows[y][x] == '.') bytes[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        InitRaster(1, w, h, stride, nullptr, 0, bytes.data(), static_cast<uint32_t>(bytes.size()), true,
                   &raster);
    }
};

struct RgbSource {
    std::vector<uint8_t> bytes;
    RasterImage raster;
    // pixels as 0xRRGGBB, top row first; stored blue, green, red as DIB order wants.
    RgbSource(uint32_t w, uint32_t h, const std::vector<uint32_t>& pixels) {
        uint32_t stride = AlignedStride(24, w);
        bytes.assign(static_cast<size_t>(stride) * h, 0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                uint32_t p = pixels[y * w + x];
                uint8_t* o = &bytes[y * stride + 3 * x];
                o[0] = p & 0xFF;
                o[1] = (p >> 8) & 0xFF;
                o[2] = p >> 16;
            }
        InitRaster(24, w, h, stride, nullptr, 0, bytes.data(), static_cast<uint32_t>(bytes.size()), true,
                   &raster);
    }
};

TEST(TargetRaster, StartsWhiteWithTheGreyTable) {
    Target grey(8, 5, 3);
    ASSERT_EQ(grey.status, kOk);
    EXPECT_EQ(grey.t.raster.rowBytes, 8u);
    EXPECT_EQ(grey.t.raster.colours[0].red, 255);
    EXPECT_EQ(grey.t.raster.colours[255].red, 0);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 5; ++x) EXPECT_EQ(*PixelAt(grey.t, x, y), 0) << x << "," << y;

    Target colour(24, 3, 2);
    ASSERT_EQ(colour.status, kOk);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(colour.t, x, y)[1], 255);
}

TEST(DrawRaster, OneBitSourceOfTheSameSizeGivesPureInk) {
    Target target(8, 4, 2);
    OneBitSource source({"#..#", ".##."});
    DrawRaster(&target.t, &source.raster, {0, 0, 4, 2});
    const char* expected[] = {"#..#", ".##."};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(*PixelAt(target.t, x, y), expected[y][x] == '#' ? 255 : 0) << x << "," << y;
}

TEST(DrawRaster, OneBitReductionAveragesCellsSoThinLinesStay) {
    Target target(8, 2, 2);
    // A one-pixel vertical line in the left half, a checkerboard in the bottom right quarter.
    OneBitSource source({"#...", "#...", "#..#", "#.#."});
    DrawRaster(&target.t, &source.raster, {0, 0, 2, 2});
    EXPECT_EQ(*PixelAt(target.t, 0, 0), 255 - (255 * 2 / 2) / 2);  // half the cell is white
    EXPECT_EQ(*PixelAt(target.t, 1, 0), 0);
    EXPECT_EQ(*PixelAt(target.t, 0, 1), 255 - (255 * 2 / 2) / 2);
    EXPECT_EQ(*PixelAt(target.t, 1, 1), 255 - (255 * 2 / 2) / 2);
}

TEST(DrawRaster, SmallerSourcesAreStretchedUpright) {
    Target target(24, 8, 8);
    // Red top left, green top right, blue bottom left, black bottom right.
    RgbSource source(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000});
    DrawRaster(&target.t, &source.raster, {0, 0, 8, 8});
    auto rgb = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = PixelAt(target.t, x, y);
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    };
    EXPECT_EQ(rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(rgb(7, 0), 0x00FF00u);
    EXPECT_EQ(rgb(0, 7), 0x0000FFu);
    EXPECT_EQ(rgb(7, 7), 0x000000u);
    // Every pixel is covered, the top line included.
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x) EXPECT_NE(rgb(x, y), 0xFFFFFFu) << x << "," << y;

    Target grey(8, 6, 4);
    OneBitSource ink({"#.", ".#"});
    DrawRaster(&grey.t, &ink.raster, {0, 0, 6, 4});
    EXPECT_EQ(*PixelAt(grey.t, 0, 0), 255);
    EXPECT_EQ(*PixelAt(grey.t, 5, 0), 0);
    EXPECT_EQ(*PixelAt(grey.t, 5, 3), 255);
}

TEST(DrawRaster, AnEmptyRectangleDrawsNothing) {
    Target target(8, 4, 4);
    OneBitSource source({"####", "####", "####", "####"});
    DrawRaster(&target.t, &source.raster, {1, 1, 1, 3});
    DrawRaster(&target.t, &source.raster, {0, 2, 4, 2});
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(*PixelAt(target.t, x, y), 0);
}

TEST(WriteRasterBmp, EveryHeaderFieldOfBothDepths) {
    TempDir dir;
    struct Case {
        uint32_t bits, width, height, pixelOffset, rowBytes;
    } cases[] = {{8, 5, 3, 1078, 8}, {24, 5, 3, 54, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Target target(c.bits, c.width, c.height);
        ASSERT_EQ(target.status, kOk);
        OneBitSource ink({"#....", ".....", "....#"});
        DrawRaster(&target.t, &ink.raster, {0, 0, 5, 3});
        std::string path = dir.File("out" + std::to_string(c.bits) + ".bmp");
        ASSERT_EQ(WriteRasterBmp(&target.t, path.c_str(), c.width, c.height), kOk);
        std::string bmp = ReadFile(path);
        uint32_t image = c.rowBytes * c.height;
        ASSERT_EQ(bmp.size(), c.pixelOffset + image);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(Le32(bmp, 2), bmp.size());
        EXPECT_EQ(Le32(bmp, 6), 0u);
        EXPECT_EQ(Le32(bmp, 10), c.pixelOffset);
        EXPECT_EQ(Le32(bmp, 14), 40u);
        EXPECT_EQ(Le32(bmp, 18), c.width);
        EXPECT_EQ(Le32(bmp, 22), c.height);  // positive: bottom-up
        EXPECT_EQ(Le16(bmp, 26), 1u);
        EXPECT_EQ(Le16(bmp, 28), c.bits);
        EXPECT_EQ(Le32(bmp, 30), 0u);
        EXPECT_EQ(Le32(bmp, 34), image);
        EXPECT_EQ(Le32(bmp, 46), c.bits == 8 ? 256u : 0u);
        EXPECT_EQ(Le32(bmp, 50), c.bits == 8 ? 256u : 0u);
        if (c.bits == 8) {
            EXPECT_EQ(Le32(bmp, 54), 0x00FFFFFFu);            // entry 0 white
            EXPECT_EQ(Le32(bmp, 54 + 4 * 255), 0x00000000u);  // entry 255 black
        }
        // Bottom row first: the last byte row holds the top-left ink pixel.
        size_t topRow = c.pixelOffset + static_cast<size_t>(c.rowBytes) * (c.height - 1);
        size_t bottomRow = c.pixelOffset;
        if (c.bits == 8) {
            EXPECT_EQ(uint8_t(bmp[topRow]), 255);
            EXPECT_EQ(uint8_t(bmp[bottomRow + 4]), 255);
            EXPECT_EQ(uint8_t(bmp[bottomRow]), 0);
        } else {
            // Stretched by GDI with its extra top row, which may push the bottom row out of sight;
            // the top row is exact.
            EXPECT_EQ(uint8_t(bmp[topRow]), 0);
            EXPECT_EQ(uint8_t(bmp[topRow + 3]), 255);
        }
    }
}

TEST(WriteRasterBmp, AnExistingFileIsLeftAsItWas) {
    TempDir dir;
    std::string path = dir.Write("keep.bmp", "precious");
    Target target(8, 4, 4);
    EXPECT_EQ(WriteRasterBmp(&target.t, path.c_str(), 4, 4), kErrExists);
    EXPECT_EQ(ReadFile(path), "precious");
    EXPECT_NE(WriteRasterBmp(&target.t, dir.File("no/such/folder.bmp").c_str(), 4, 4), kOk);
}

// ---- The chains' sink ---------------------------------------------------------------------

class TargetSinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetResourceModule(OwnResourceModule());
        AcquireColourTables();
    }
    void TearDown() override {
        ReleaseColourTables();
        SetResourceModule(OwnResourceModule());
    }
    // One row of four pixels into a 4 x 1 colour target; the pixels as 0xRRGGBB.
    static Status Draw(RowFormat format, uint32_t bits, std::vector<uint8_t> row,
                       std::vector<uint32_t>* shown, const std::vector<ColourRef>& colours = {},
                       Rect destination = {0, 0, 4, 1}) {
        Target target(24, 4, 1);
        TargetSink sink(&target.t, &destination);
        RowBand band;
        band.format = format;
        band.bitsPerPixel = bits;
        band.width = 4;
        band.height = 1;
        band.rows = 1;
        band.rowBytes = static_cast<uint32_t>(row.size());
        band.pixels = row.data();
        band.capacity = static_cast<uint32_t>(row.size());
        band.colours = colours.data();
        band.colourCount = static_cast<uint32_t>(colours.size());
        Status status = sink.TakeRows(band);
        shown->clear();
        for (uint32_t x = 0; x < 4; ++x) {
            const uint8_t* p = PixelAt(target.t, x, 0);
            shown->push_back(uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
        }
        return status;
    }
};

TEST_F(TargetSinkTest, EveryFormatReachesTheTargetInItsColours) {
    using F = RowFormat;
    const std::vector<ColourRef> palette = {MakeColour(255, 0, 0), MakeColour(0, 0, 255),
                                            MakeColour(1, 2, 3)};
    uint8_t lab[3] = {128, 200, 60}, labRgb[3] = {};
    ASSERT_EQ(ConvertColour(kColourLab, lab, labRgb), kOk);
    const uint32_t labShown = uint32_t{labRgb[0]} << 16 | uint32_t{labRgb[1]} << 8 | labRgb[2];
    const struct {
        const char* name;
        F format;
        uint32_t bits;
        std::vector<uint8_t> row;
        std::vector<ColourRef> colours;
        std::vector<uint32_t> shown;
    } cases[] = {
        {"ink", F::kInk, 8, {0, 255, 0x80, 0}, {}, {0xFFFFFF, 0, 0x7F7F7F, 0xFFFFFF}},
        {"light", F::kLight, 8, {0, 255, 0x80, 0}, {}, {0, 0xFFFFFF, 0x808080, 0}},
        {"bilevel ink", F::kInk, 1, {0x50, 0, 0, 0}, {}, {0xFFFFFF, 0, 0xFFFFFF, 0}},
        {"bilevel light", F::kLight, 1, {0x50, 0, 0, 0}, {}, {0, 0xFFFFFF, 0, 0xFFFFFF}},
        {"indexed", F::kIndexed, 8, {2, 0, 1, 0}, palette, {0x010203, 0xFF0000, 0x0000FF, 0xFF0000}},
        {"bilevel indexed",
         F::kIndexed,
         1,
         {0x50, 0, 0, 0},
         palette,
         {0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF}},
        {"red, green, blue",
         F::kRgb,
         24,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {},
         {0x010203, 0x040506, 0x070809, 0x0A0B0C}},
        {"blue, green, red",
         F::kBgr,
         24,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
         {},
         {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
        {"CMYK",
         F::kCmyk,
         32,
         {0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255},
         {},
         {0xFEFEFE, 0, 0xFEFEFE, 0}},
        {"CIELAB",
         F::kLab,
         24,
         {128, 200, 60, 128, 200, 60, 128, 200, 60, 128, 200, 60},
         {},
         {labShown, labShown, labShown, labShown}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> shown;
        ASSERT_EQ(Draw(c.format, c.bits, c.row, &shown, c.colours), kOk) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

TEST_F(TargetSinkTest, ATableThatCannotLoadStopsOnlyBandsThatLandOnPixels) {
    ReleaseColourTables();  // the last reference frees whatever earlier tests loaded
    AcquireColourTables();
    if (ColourTablePresent(ColourTable::kCmyGrid)) GTEST_SKIP() << "the colour tables are held elsewhere";
    SetResourceModule(nullptr);
    const std::vector<uint8_t> cmyk(16, 0x40);
    std::vector<uint32_t> shown;
    EXPECT_EQ(Draw(RowFormat::kCmyk, 32, cmyk, &shown), kErrNoResource);
    EXPECT_EQ(shown, std::vector<uint32_t>(4, 0xFFFFFF));
    // Squeezed to no row at all, the band is neither converted nor drawn.
    EXPECT_EQ(Draw(RowFormat::kCmyk, 32, cmyk, &shown, {}, {0, 0, 4, 0}), kOk);
    EXPECT_EQ(Draw(RowFormat::kRgb, 24, std::vector<uint8_t>(12, 9), &shown), kOk);  // RGB needs none
}

}  // namespace
}  // namespace aldra
