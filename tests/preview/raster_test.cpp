// The raster hand-over to the drawing code: aligned rows in DIB order, whatever the rows and capacity.
#include <gtest/gtest.h>

#include <vector>

#include "preview/Raster.h"

namespace aldra {
namespace {

using Bytes = std::vector<uint8_t>;

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
