// Drawing targets: the raster hand-over to the drawing code (aligned rows in DIB order, whatever the
// rows and capacity), decoded rasters drawn into targets, the chains' sink, and bitmap files of them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/resources/Resources.h"
#include "preview/BmpFile.h"
#include "preview/ColourTables.h"
#include "preview/Raster.h"
#include "preview/TargetRaster.h"
#include "preview/TargetSink.h"
#include "preview/TextResources.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::Le16;
using testing::Le32;
using Bytes = std::vector<uint8_t>;

// A target's pixel at (x, y) with y counted from the top.
const uint8_t* PixelAt(const TargetRaster& t, uint32_t x, uint32_t y) {
    const RasterImage& r = t.raster;
    return r.pixels + static_cast<size_t>(r.height - 1 - y) * r.rowBytes + x * (r.bitsPerPixel / 8);
}

uint32_t RgbAt(const TargetRaster& t, uint32_t x, uint32_t y) {
    const uint8_t* p = PixelAt(t, x, y);
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

struct Target {
    TargetRaster t;
    Status status;
    Target(uint32_t bits, uint32_t w, uint32_t h) { status = CreateTargetRaster(bits, w, h, &t); }
    ~Target() {
        if (status == kOk) DestroyTargetRaster(&t);
    }
};

// A 1-bit source in DIB order from rows of '#' (black) and '.', top row first under a header that
// says bottom-up, as every band the decoders hand over: drawing mirrors it upright.
struct Source {
    std::vector<uint8_t> bytes;
    RasterImage raster;
    explicit Source(const std::vector<std::string>& rows) {
        const auto w = static_cast<uint32_t>(rows[0].size()), h = static_cast<uint32_t>(rows.size());
        const uint32_t stride = AlignedStride(1, w);
        bytes.assign(static_cast<size_t>(stride) * h, 0);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                if (rows[y][x] == '.') bytes[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        InitRaster(1, w, h, stride, nullptr, 0, bytes.data(), static_cast<uint32_t>(bytes.size()), true,
                   &raster);
    }
};

// Grey targets as rows of '#' (ink 255), '+' (128, half the cell white) and '.' (white). Stretched
// rows land one pixel lower, as GDI places mirrored pictures; reduced ones stay in place.
TEST(DrawRaster, OneBitSourcesInGreyTargets) {
    const struct {
        const char* name;
        std::vector<std::string> source;
        uint32_t w, h;
        Rect rect;
        std::vector<std::string> shown;
    } cases[] = {
        {"same size", {"#..#", ".##."}, 4, 2, {0, 0, 4, 2}, {"#..#", ".##."}},
        {"thin lines fade", {"#...", "#...", "#..#", "#.#."}, 2, 2, {0, 0, 2, 2}, {"+.", "++"}},
        {"a cell across a byte", {".....#####", ".........."}, 2, 1, {0, 0, 2, 1}, {".+"}},
        {"partly outside", {"##..", "##..", "....", "...."}, 2, 2, {-1, -1, 1, 1}, {"..", ".."}},
        {"stretched", {"#.", ".#"}, 6, 4, {0, 0, 6, 4}, {"###...", "###...", "###...", "...###"}},
        {"an empty rectangle", {"##", "##"}, 2, 2, {1, 0, 1, 2}, {"..", ".."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Target target(8, c.w, c.h);
        ASSERT_EQ(target.status, kOk);
        Source source(c.source);
        DrawRaster(&target.t, &source.raster, c.rect);
        std::vector<std::string> shown;
        for (uint32_t y = 0; y < c.h; ++y) {
            shown.emplace_back();
            for (uint32_t x = 0; x < c.w; ++x) {
                const uint8_t v = *PixelAt(target.t, x, y);
                shown.back() += v == 255 ? '#' : v == 128 ? '+' : v == 0 ? '.' : '?';
            }
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(WriteRasterBmp, TheTargetsRowsAndTableBehindTheHeaders) {
    testing::TempDir dir;
    for (uint32_t bits : {8u, 24u}) {
        SCOPED_TRACE(bits);
        Target target(bits, 5, 3);
        ASSERT_EQ(target.status, kOk);
        Source ink({"#....", ".....", "....#"});
        DrawRaster(&target.t, &ink.raster, {0, 0, 5, 3});
        const std::string path = dir.File("out" + std::to_string(bits) + ".bmp");
        ASSERT_EQ(WriteRasterBmp(&target.t, path.c_str(), 5, 3), kOk);
        const std::string bmp = testing::ReadFile(path);
        const RasterImage& r = target.t.raster;
        const uint32_t table = bits == 8 ? 1024 : 0, image = 3 * r.rowBytes;
        ASSERT_EQ(bmp.size(), 54 + table + image);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(Le32(bmp, 2), bmp.size());
        EXPECT_EQ(Le32(bmp, 10), 54 + table);
        EXPECT_EQ(Le32(bmp, 22), 3u);  // positive: bottom row first, as the target holds them
        EXPECT_EQ(Le16(bmp, 28), bits);
        EXPECT_EQ(Le32(bmp, 34), image);
        EXPECT_EQ(Le32(bmp, 46), table / 4);
        if (table) {  // grey 255 - i
            EXPECT_EQ(Le32(bmp, 54) + Le32(bmp, 54 + 4 * 200), 0xFFFFFFu + 0x373737u);
        }
        EXPECT_EQ(bmp.substr(54, table), std::string(reinterpret_cast<const char*>(r.colours), table));
        EXPECT_EQ(bmp.substr(54 + table), std::string(reinterpret_cast<const char*>(r.pixels), image));
    }
}

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
        band.height = band.rows = 1;
        band.rowBytes = band.capacity = static_cast<uint32_t>(row.size());
        band.pixels = row.data();
        band.colours = colours.data();
        band.colourCount = static_cast<uint32_t>(colours.size());
        const Status status = sink.TakeRows(band);
        shown->clear();
        for (uint32_t x = 0; x < 4; ++x) shown->push_back(RgbAt(target.t, x, 0));
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
    const std::vector<uint8_t> twelve = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::vector<uint8_t> cmyk = {0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255};
    const std::vector<uint8_t> labs = {128, 200, 60, 128, 200, 60, 128, 200, 60, 128, 200, 60};
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
        {"4-bit ink", F::kInk, 4, {0x0F, 0x80}, {}, {0xFFFFFF, 0, 0x777777, 0xFFFFFF}},
        {"bilevel ink", F::kInk, 1, {0x50, 0, 0, 0}, {}, {0xFFFFFF, 0, 0xFFFFFF, 0}},
        {"bilevel light", F::kLight, 1, {0x50, 0, 0, 0}, {}, {0, 0xFFFFFF, 0, 0xFFFFFF}},
        {"indexed", F::kIndexed, 8, {2, 0, 1, 0}, palette, {0x010203, 0xFF0000, 0x0000FF, 0xFF0000}},
        {"bilevel indexed", F::kIndexed, 1, {0x50, 0, 0, 0}, palette, {0xFF0000, 0xFF, 0xFF0000, 0xFF}},
        {"red, green, blue", F::kRgb, 24, twelve, {}, {0x010203, 0x040506, 0x070809, 0x0A0B0C}},
        {"blue, green, red", F::kBgr, 24, twelve, {}, {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
        {"CMYK", F::kCmyk, 32, cmyk, {}, {0xFEFEFE, 0, 0xFEFEFE, 0}},
        {"CIELAB", F::kLab, 24, labs, {}, std::vector<uint32_t>(4, labShown)},
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
    EXPECT_EQ(shown, std::vector<uint32_t>(4, 0xFFFFFF));  // the target starts white
    // Squeezed to no row at all, the band is neither converted nor drawn.
    EXPECT_EQ(Draw(RowFormat::kCmyk, 32, cmyk, &shown, {}, {0, 0, 4, 0}), kOk);
    EXPECT_EQ(Draw(RowFormat::kRgb, 24, std::vector<uint8_t>(12, 9), &shown), kOk);  // RGB needs none
}

std::vector<int32_t> Edges(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// Every row the drawing code is handed, padding included, and the rectangles of the calls.
struct Recorder {
    std::vector<std::vector<int32_t>> rects;
    std::vector<Bytes> rows;
};

Status Record(const RasterImage* view, const Rect* rect, void* context) {
    auto* recorder = static_cast<Recorder*>(context);
    recorder->rects.push_back(Edges(*rect));
    for (uint32_t y = 0; y < view->height; ++y) {
        const uint8_t* row = view->pixels + static_cast<size_t>(y) * view->rowBytes;
        recorder->rows.emplace_back(row, row + view->rowBytes);
    }
    return kErrEof;  // any code, to see it come back
}

TEST(PresentRaster, RowsReachTheDrawingCodeAlignedInDibOrderAndComeBackNatural) {
    const struct {
        const char* name;
        uint32_t bits, width, height, rowBytes, capacity;
        Rect target;
        Status status;
        std::vector<int32_t> spans;  // top and bottom of each call's rectangle
        std::vector<uint32_t> rows;  // the source rows handed over
        size_t zeroPadded;           // the last rows handed over, whose padding has no source bytes
    } cases[] = {
        {"wide rows narrowed", 24, 5, 3, 20, 60, {0, 0, 5, 3}, kErrEof, {0, 3}, {0, 1, 2}, 0},
        {"rows widened in place", 8, 5, 3, 5, 24, {0, 0, 5, 3}, kErrEof, {0, 3}, {0, 1, 2}, 3},
        {"row by row", 24, 3, 4, 9, 36, {10, 0, 16, 8}, kErrEof, {0, 2, 2, 4, 4, 6, 6, 8}, {0, 1, 2, 3}, 1},
        {"rows mapping to nothing", 8, 3, 4, 3, 12, {0, 0, 3, 2}, kErrEof, {0, 1, 1, 2}, {0, 2}, 0},
        {"nothing to draw", 8, 3, 4, 3, 12, {0, 0, 0, 2}, kOk, {}, {}, 0},
        {"rows beyond the capacity", 8, 4, 3, 4, 8, {0, 0, 4, 3}, kErrParam, {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t used = c.width * c.bits / 8, stride = AlignedStride(c.bits, c.width);
        Bytes pixels(c.capacity, 0xEE);  // exactly the capacity, for the sanitizer
        for (uint32_t y = 0; y < c.height; ++y)
            for (uint32_t i = 0; i < used && y * c.rowBytes + i < c.capacity; ++i)
                pixels[y * c.rowBytes + i] = static_cast<uint8_t>(40 * y + i + 1);
        const Bytes original = pixels;
        RasterImage raster;
        InitRaster(c.bits, c.width, c.height, c.rowBytes, nullptr, 0, pixels.data(), c.capacity, false,
                   &raster);
        Recorder recorder;
        EXPECT_EQ(PresentRaster(&raster, &c.target, Record, &recorder), c.status);
        std::vector<int32_t> spans;
        for (const auto& r : recorder.rects) {
            EXPECT_EQ(r[0], c.target.left);
            EXPECT_EQ(r[2], c.target.right);
            spans.insert(spans.end(), {r[1], r[3]});
        }
        EXPECT_EQ(spans, c.spans);
        ASSERT_EQ(recorder.rows.size(), c.rows.size());
        for (size_t n = 0; n < c.rows.size(); ++n) {
            const Bytes& row = recorder.rows[n];
            ASSERT_EQ(row.size(), stride);
            const uint8_t* source = &original[c.rows[n] * c.rowBytes];
            for (uint32_t i = 0; i < used; ++i)  // blue, green, red
                EXPECT_EQ(row[i], source[c.bits == 24 ? i / 3 * 3 + 2 - i % 3 : i]) << n << " " << i;
            for (uint32_t i = used; i < stride && n + c.zeroPadded >= c.rows.size(); ++i)
                EXPECT_EQ(row[i], 0) << n;
        }
        // The rows lie at the aligned stride after one call, where they were otherwise.
        const uint32_t after = c.spans.size() == 2 ? stride : c.rowBytes;
        for (uint32_t y = 0; y < c.height && c.status != kErrParam; ++y)
            EXPECT_EQ(Bytes(&pixels[y * after], &pixels[y * after] + used),
                      Bytes(&original[y * c.rowBytes], &original[y * c.rowBytes] + used));
    }
}

}  // namespace
}  // namespace aldra
