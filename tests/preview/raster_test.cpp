#include "preview/Raster.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace aldra {
namespace {

bool SameColour(const DibColour& c, uint8_t red, uint8_t green, uint8_t blue) {
    return c.red == red && c.green == green && c.blue == blue && c.reserved == 0;
}

TEST(InitRaster, HeaderAndDefaultTables) {
    RasterImage r;
    uint8_t pixels[64] = {};
    InitRaster(4, 10, 3, 8, nullptr, 0, pixels, sizeof pixels, false, &r);
    EXPECT_TRUE(SameColour(r.colours[0], 255, 255, 255));
    EXPECT_TRUE(SameColour(r.colours[1], 238, 238, 238));
    EXPECT_TRUE(SameColour(r.colours[15], 0, 0, 0));

    InitRaster(1, 8, 1, 4, nullptr, 0, pixels, 4, true, &r);
    EXPECT_EQ(r.header.clrUsed, 2u);
    EXPECT_TRUE(SameColour(r.colours[0], 0, 0, 0));
    EXPECT_TRUE(SameColour(r.colours[1], 255, 255, 255));

    InitRaster(8, 8, 1, 8, nullptr, 0, pixels, 8, true, &r);
    EXPECT_EQ(r.header.clrUsed, 256u);
    EXPECT_TRUE(SameColour(r.colours[200], 55, 55, 55));
    EXPECT_TRUE(SameColour(r.colours[255], 0, 0, 0));
}

TEST(ToDibOrder, EachDepth) {
    RasterImage r;
    // One bit: every byte of rowBytes x height flips, nothing beyond.
    uint8_t bits[6] = {0x0F, 0x80, 0x00, 0xFF, 0x12, 0x34};
    InitRaster(1, 9, 2, 2, nullptr, 0, bits, sizeof bits, false, &r);
    ToDibOrder(&r);
    const uint8_t flipped[6] = {0xF0, 0x7F, 0xFF, 0x00, 0x12, 0x34};
    EXPECT_EQ(std::memcmp(bits, flipped, 6), 0);
    ToDibOrder(&r);
    const uint8_t back[6] = {0x0F, 0x80, 0x00, 0xFF, 0x12, 0x34};
    EXPECT_EQ(std::memcmp(bits, back, 6), 0);

    // 24 bits: red and blue swap in the width pixels of each row; padding stays.
    uint8_t rgb[16] = {1, 2, 3, 4, 5, 6, 0xAA, 0xBB, 7, 8, 9, 10, 11, 12, 0xCC, 0xDD};
    InitRaster(24, 2, 2, 8, nullptr, 0, rgb, sizeof rgb, false, &r);
    ToDibOrder(&r);
    const uint8_t bgr[16] = {3, 2, 1, 6, 5, 4, 0xAA, 0xBB, 9, 8, 7, 12, 11, 10, 0xCC, 0xDD};
    EXPECT_EQ(std::memcmp(rgb, bgr, 16), 0);
}

std::vector<int32_t> Edges(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

TEST(MapRect, ScalesAndRounds) {
    using E = std::vector<int32_t>;
    EXPECT_EQ(Edges(MapRect({1, 2, 3, 4}, {0, 0, 10, 10}, {0, 0, 100, 50})), (E{10, 10, 30, 20}));
    // To the nearest: 1 of 3 into 2 is (2 + 1) / 3 = 1, 2 of 3 is (4 + 1) / 3 = 1.
    EXPECT_EQ(Edges(MapRect({1, 2, 1, 2}, {0, 0, 3, 3}, {0, 0, 2, 2})), (E{1, 1, 1, 1}));
    // Both frames offset.
    EXPECT_EQ(Edges(MapRect({15, 25, 20, 30}, {10, 20, 20, 30}, {-50, 100, 50, 200})), (E{0, 150, 50, 200}));
    // Left of the frame the division truncates towards zero: (-2 + 1) / 3 is 0, (-4 + 1) / 3 is -1.
    EXPECT_EQ(Edges(MapRect({-1, -2, 0, 0}, {0, 0, 3, 3}, {0, 0, 2, 2})), (E{0, -1, 0, 0}));
    // A frame of zero size maps to the target's edge instead of dividing by zero.
    EXPECT_EQ(Edges(MapRect({5, 5, 6, 6}, {3, 3, 3, 3}, {7, 8, 9, 10})), (E{7, 8, 7, 8}));
    // No overflow in the intermediate product.
    EXPECT_EQ(MapRect({0, 0, 60000, 60000}, {0, 0, 60000, 60000}, {0, 0, 60000, 60000}).right, 60000);
}

struct Call {
    DibHeader header;
    uint32_t rowBytes;
    uint32_t height;
    uint32_t capacity;
    bool inDibOrder;
    Rect rect;
    const uint8_t* pixels;
    std::vector<uint8_t> bytes;  // what the drawing code may read: rowBytes x height
    DibColour colours[kPaletteSize];
};

struct Recorder {
    std::vector<Call> calls;
    Status result = kOk;
};

Status Record(const RasterImage* view, const Rect* rect, void* context) {
    auto* recorder = static_cast<Recorder*>(context);
    Call call;
    call.header = view->header;
    call.rowBytes = view->rowBytes;
    call.height = view->height;
    call.capacity = view->capacity;
    call.inDibOrder = view->inDibOrder;
    call.rect = *rect;
    call.pixels = view->pixels;
    call.bytes.assign(view->pixels, view->pixels + static_cast<size_t>(view->rowBytes) * view->height);
    std::memcpy(call.colours, view->colours, sizeof call.colours);
    recorder->calls.push_back(call);
    return recorder->result;
}

TEST(PresentRaster, NarrowsWideRows) {
    // 24 bits, 5 pixels: rows of 4 x width = 20 bytes become the aligned 16.
    const uint32_t width = 5, height = 3, wide = 20, aligned = 16;
    std::vector<uint8_t> pixels(wide * height, 0xEE);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < 3; ++c)
                pixels[y * wide + x * 3 + c] = static_cast<uint8_t>(y * 100 + x * 10 + c);
        }
    }
    RasterImage r;
    InitRaster(24, width, height, wide, nullptr, 0, pixels.data(), wide * height, false, &r);
    Recorder recorder;
    Rect target = {0, 0, 5, 3};
    EXPECT_EQ(PresentRaster(&r, &target, Record, &recorder), kOk);
    ASSERT_EQ(recorder.calls.size(), 1u);
    const Call& call = recorder.calls[0];
    EXPECT_EQ(call.rowBytes, aligned);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = &call.bytes[y * aligned + x * 3];
            EXPECT_EQ(p[0], y * 100 + x * 10 + 2) << y << "," << x;  // blue first
            EXPECT_EQ(p[1], y * 100 + x * 10 + 1);
            EXPECT_EQ(p[2], y * 100 + x * 10 + 0);
        }
    }
    // Back in natural order where the rows now lie.
    EXPECT_EQ(pixels[aligned * 2 + 0], 200);
    EXPECT_EQ(pixels[aligned * 2 + 2], 202);
    EXPECT_EQ(r.rowBytes, wide);
}

TEST(PresentRaster, WidensRowsThatFit) {
    // 8 bits, width 5: rows of 5 bytes widen to 8 inside a capacity of 8 x height.
    const uint32_t height = 3;
    std::vector<uint8_t> pixels(8 * height, 0);
    for (uint32_t i = 0; i < 5 * height; ++i) pixels[i] = static_cast<uint8_t>(i + 1);
    RasterImage r;
    InitRaster(8, 5, height, 5, nullptr, 0, pixels.data(), 8 * height, false, &r);
    Recorder recorder;
    Rect target = {0, 0, 5, 3};
    EXPECT_EQ(PresentRaster(&r, &target, Record, &recorder), kOk);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].rowBytes, 8u);
    EXPECT_EQ(recorder.calls[0].bytes, (std::vector<uint8_t>{1,  2, 3, 4, 5,  0,  0,  0,  6,  7, 8, 9,
                                                             10, 0, 0, 0, 11, 12, 13, 14, 15, 0, 0, 0}));
}

TEST(PresentRaster, RowByRowWhenWidenedRowsDoNotFit) {
    // 24 bits, width 3: rows of 9 bytes would need 12, and the capacity holds only 9 x 4.
    const uint32_t height = 4;
    std::vector<uint8_t> pixels(9 * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> original = pixels;
    RasterImage r;
    InitRaster(24, 3, height, 9, nullptr, 0, pixels.data(), 9 * height, false, &r);
    Recorder recorder;
    recorder.result = kErrAccess;
    Rect target = {10, 0, 16, 8};
    EXPECT_EQ(PresentRaster(&r, &target, Record, &recorder), kErrAccess);
    ASSERT_EQ(recorder.calls.size(), height);
    for (uint32_t y = 0; y < height; ++y) {
        const Call& call = recorder.calls[y];
        EXPECT_EQ(call.height, 1u);
        EXPECT_EQ(call.rowBytes, 12u);
        EXPECT_EQ(call.rect.top, static_cast<int32_t>(2 * y));
        EXPECT_EQ(call.rect.bottom, static_cast<int32_t>(2 * y + 2));
        const uint8_t* row = &original[9 * y];
        EXPECT_EQ(call.bytes[0], row[2]);  // blue, green, red
        EXPECT_EQ(call.bytes[2], row[0]);
        EXPECT_EQ(call.bytes[8], row[6]);
        if (y + 1 < height) {
            EXPECT_EQ(call.pixels, pixels.data() + 9 * y);  // rows are not copied
        }
    }
    // The last row's padding lies past the capacity; the drawing code gets zeros there.
    EXPECT_NE(recorder.calls[3].pixels, pixels.data() + 27);
    EXPECT_EQ(recorder.calls[3].bytes[9], 0);
    EXPECT_EQ(pixels, original);
}

TEST(PresentRaster, RowByRowSkipsEmptyRows) {
    std::vector<uint8_t> pixels(3 * 4, 0);
    RasterImage r;
    InitRaster(8, 3, 4, 3, nullptr, 0, pixels.data(), 12, true, &r);
    Recorder recorder;
    Rect target = {0, 0, 3, 2};  // four rows into two: rows 1 and 3 map to nothing
    EXPECT_EQ(PresentRaster(&r, &target, Record, &recorder), kOk);
    ASSERT_EQ(recorder.calls.size(), 2u);
    EXPECT_EQ(recorder.calls[0].pixels, pixels.data());
    EXPECT_EQ(recorder.calls[0].rect.top, 0);
    EXPECT_EQ(recorder.calls[0].rect.bottom, 1);
    EXPECT_EQ(recorder.calls[1].pixels, pixels.data() + 6);
    EXPECT_EQ(recorder.calls[1].rect.top, 1);
    EXPECT_EQ(recorder.calls[1].rect.bottom, 2);

    // Nothing to draw at all: no call, success.
    recorder.calls.clear();
    recorder.result = kErrSystem;
    Rect empty = {0, 0, 0, 2};
    EXPECT_EQ(PresentRaster(&r, &empty, Record, &recorder), kOk);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(PresentRaster, RefusesRowsBeyondCapacity) {
    std::vector<uint8_t> pixels(8, 0);
    RasterImage r;
    InitRaster(8, 4, 3, 4, nullptr, 0, pixels.data(), 8, false, &r);
    Recorder recorder;
    Rect target = {0, 0, 4, 3};
    EXPECT_EQ(PresentRaster(&r, &target, Record, &recorder), kErrParam);
    EXPECT_TRUE(recorder.calls.empty());
}

}  // namespace
}  // namespace aldra
