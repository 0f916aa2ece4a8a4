// Busy generated drawings keep their pixels: work on the speed of drawing must leave every pixel
// where it was. Shapes only (closed, curved, filled and stroked in grey, CMYK and RGB), since the
// pixels of text depend on the fonts a machine has.
#include "illustrator/Drawing.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"

namespace aldra {
namespace {

using namespace testing;

uint64_t PixelHash(const RasterImage& r) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    const uint32_t used = (r.width * r.bitsPerPixel + 7) / 8;
    for (uint32_t y = 0; y < r.height; ++y) {
        const uint8_t* row = r.pixels + static_cast<size_t>(y) * r.rowBytes;
        for (uint32_t x = 0; x < used; ++x) hash = (hash ^ row[x]) * 1099511628211ull;
    }
    return hash;
}

struct Golden {
    uint32_t segments;
    uint32_t seed;
    uint32_t depth;
    uint64_t hash;
};

TEST(Golden, BusyDrawingsKeepTheirPixels) {
    const Golden rows[] = {
        {3000, 7, 8, 0x1a8242a8696c9bda},
        {3000, 7, 24, 0xe0ea4e27ddb06074},
        {20000, 11, 8, 0x9707f75e095bae7e},
        {20000, 11, 4, 0x806643ef47d03382},
    };
    // CMYK colours through the module's own tables, as a control's window has them.
    SetResourceModule(OwnResourceModule());
    AcquireColourTables();
    for (const Golden& g : rows) {
        BusyArtworkOptions options;
        options.segments = g.segments;
        options.textRuns = 0;
        options.seed = g.seed;
        Drawing d(BusyArtwork(options).Text(), 256, 331, g.depth);
        ASSERT_EQ(d.status, kOk);
        const uint64_t hash = PixelHash(d.Target()->raster);
        EXPECT_EQ(hash, g.hash) << g.segments << " segments, seed " << g.seed << ", " << g.depth
                                << " bits: 0x" << std::hex << hash;
    }
    ReleaseColourTables();
}

}  // namespace
}  // namespace aldra
