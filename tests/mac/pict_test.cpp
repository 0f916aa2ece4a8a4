// Pictures drawn by the module: each raster opcode with the right pixels, stretched as asked, the
// other opcodes passed over, and hostile pictures ending cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "fixtures/Bytes.h"
#include "mac/MacFiles.h"
#include "platform/quicktime/PictDraw.h"

namespace aldra {
namespace {

using namespace testing;
using qt::Box;

constexpr uint32_t kUntouched = 0x808080;

// A 24-bit target filled with grey, so that pixels a picture leaves alone show.
struct Canvas {
    int32_t width, height;
    std::vector<uint8_t> bits;
    Canvas(int32_t w, int32_t h) : width(w), height(h), bits(static_cast<size_t>(Stride() * h), 0x80) {}
    uint32_t Stride() const { return (static_cast<uint32_t>(width) * 3 + 3) / 4 * 4; }
    qt::PixelTarget Target() { return {bits.data(), width, height, Stride(), 24}; }
    bool Draw(const std::string& pict) {
        return qt::DrawPict(reinterpret_cast<const uint8_t*>(pict.data()), static_cast<uint32_t>(pict.size()),
                            Target(), Box{0, 0, width, height});
    }
    uint32_t At(int x, int y) const {
        const uint8_t* p = &bits[static_cast<size_t>((height - 1 - y) * Stride() + 3 * x)];
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    }
};

// Every pixel of the canvas against the raster stretched onto it (nearest source pixel under each
// pixel's centre), or untouched where `drawn` says so.
void ExpectStretched(const Canvas& c, const PictRaster& r, bool (*drawn)(int x, int y) = nullptr) {
    int wrong = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const int sx = (2 * x + 1) * r.width / (2 * c.width),
                      sy = (2 * y + 1) * r.height / (2 * c.height);
            const uint32_t want = drawn && !drawn(x, y) ? kUntouched : PatternColour(r, sx, sy);
            if (c.At(x, y) != want && wrong++ < 3)
                ADD_FAILURE() << x << "," << y << std::hex << " " << c.At(x, y);
        }
    EXPECT_EQ(wrong, 0);
}

TEST(DrawPict, EachRasterOpcodeDrawsItsPixels) {
    struct Case {
        const char* name;
        int version;
        uint32_t op;
        int pixelSize;
        bool pixMap;
        int packType;
        int cmpCount = 3;
    } cases[] = {
        {"BitsRect bitmap", 1, 0x90, 1, false, 0},
        {"PackBitsRect bitmap", 1, 0x98, 1, false, 0},
        {"BitsRgn bitmap", 1, 0x91, 1, false, 0},
        {"PackBitsRgn bitmap", 2, 0x99, 1, false, 0},
        {"PackBitsRect 8 bits", 2, 0x98, 8, true, 0},
        {"PackBitsRect 4 bits", 2, 0x98, 4, true, 0},
        {"PackBitsRect 2 bits", 2, 0x98, 2, true, 0},
        {"BitsRect 1-bit pixmap", 2, 0x90, 1, true, 0},
        {"PackBitsRgn 8 bits", 2, 0x99, 8, true, 0},
        {"DirectBitsRect 32 by component", 2, 0x9A, 32, true, 4},
        {"DirectBitsRect 32 plain", 2, 0x9A, 32, true, 1},
        {"DirectBitsRect 32 without pad", 2, 0x9A, 32, true, 2},
        {"DirectBitsRect 16 by words", 2, 0x9A, 16, true, 3},
        {"DirectBitsRect 16 plain", 2, 0x9A, 16, true, 1},
        {"DirectBitsRgn 32", 2, 0x9B, 32, true, 4},
        {"DirectBitsRect 32 with alpha", 2, 0x9A, 32, true, 4, 4},
    };
    // 80 pixels wide: packed rows of every depth, and 32-bit rows over 250 bytes (two-byte counts).
    constexpr int kW = 80, kH = 6;
    const PictRect frame{0, 0, kH, kW};
    const PictRect leftHalf{0, 0, kH, kW / 2};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictRaster r = PatternRaster(kW, kH, c.pixelSize, c.pixMap, c.packType);
        r.cmpCount = c.cmpCount;
        PictBuilder b = c.version == 1 ? PictBuilder::Version1(frame) : PictBuilder::Version2(frame);
        const std::string pict = b.Raster(c.op, r, frame, frame, &leftHalf).End();
        Canvas canvas(kW, kH);
        ASSERT_TRUE(canvas.Draw(pict));
        bool (*leftOnly)(int, int) = [](int x, int) { return x < kW / 2; };
        ExpectStretched(canvas, r, (c.op & 1) ? leftOnly : nullptr);
    }
}

TEST(DrawPict, StretchesIntoTheRectangleAndKeepsToTheClip) {
    const PictRaster r = PatternRaster(80, 6, 8, true);
    Canvas c(37, 13);
    ASSERT_TRUE(c.Draw(PatternPict(r, 0x98)));
    ExpectStretched(c, r);

    // A clip region of the frame's top half: the bottom stays as it was.
    const PictRect frame{0, 0, 6, 80};
    Canvas clipped(80, 6);
    ASSERT_TRUE(clipped.Draw(PictBuilder::Version2(frame)
                                 .Op(0x0001, RectRegion({0, 0, 3, 80}))
                                 .Raster(0x98, r, frame, frame)
                                 .End()));
    ExpectStretched(clipped, r, [](int, int y) { return y < 3; });
}

// Frames need not start at the origin: rectangles are in the frame's own coordinates.
TEST(DrawPict, FramesAwayFromTheOriginMapOntoTheTarget) {
    const PictRaster r = PatternRaster(8, 4, 8, true);
    const PictRect frame{-40, 100, -36, 116};  // two rasters side by side, each 8 x 4
    const PictRect left{-40, 100, -36, 108}, right{-40, 108, -36, 116};
    Canvas c(16, 4);
    ASSERT_TRUE(c.Draw(PictBuilder::Version2(frame)
                           .Raster(0x98, r, {0, 0, 4, 8}, left)
                           .Raster(0x98, r, {0, 0, 4, 8}, right)
                           .End()));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(c.At(x, y), PatternColour(r, x % 8, y)) << x << "," << y;
}

// Worlds of one bit and of eight: a set bit is black, an index is the amount of ink.
TEST(DrawPict, OneBitAndGreyTargetsKeepTheirConventions) {
    PictRaster r{4, 1, 32, true, 1, {0x000000, 0xFFFFFF, 0x808080, 0xFF0000}, {}};
    const std::string pict = PatternPict(r);
    std::vector<uint8_t> grey(4, 0x55), bits(4, 0x55);
    ASSERT_TRUE(qt::DrawPict(reinterpret_cast<const uint8_t*>(pict.data()),
                             static_cast<uint32_t>(pict.size()), {grey.data(), 4, 1, 4, 8}, Box{0, 0, 4, 1}));
    EXPECT_EQ(grey, (std::vector<uint8_t>{255, 0, 127, 179}));  // red is 30 % light
    ASSERT_TRUE(qt::DrawPict(reinterpret_cast<const uint8_t*>(pict.data()),
                             static_cast<uint32_t>(pict.size()), {bits.data(), 4, 1, 4, 1}, Box{0, 0, 4, 1}));
    EXPECT_EQ(bits[0] & 0xF0, 0x80 | 0x10);  // black and red set, white and mid-grey clear
}

// Each class of data length at its first and last opcode. Data bytes are 'x', never no-operations:
// a length read wrong lands the next opcode elsewhere and the raster after it is not drawn.
TEST(DrawPict, OtherOpcodesArePassedOverUnlessTheirLengthIsUnknown) {
    const PictRaster r = PatternRaster(16, 4, 32, true, 4);
    const PictRect frame{0, 0, 4, 16};
    auto x = [](size_t n) { return std::string(n, 'x'); };
    const std::string pattern = PixPat(PatternRaster(8, 8, 8, true));
    const std::string notPixMap = Be16(1) + x(8) + Be16(2) + Be16(0) + Be16(0) + Be16(8) + Be16(8);
    struct Case {
        uint32_t op;
        std::string data;
        bool drawn = true;
    } cases[] = {
        // clang-format off
        {0x0002, x(8)}, {0x0011, Be16(0x02FF)}, {0x0012, Be16(2) + x(8) + x(6)}, {0x0013, pattern},
        {0x0014, Be16(0) + x(8)}, {0x0015, x(2)}, {0x0016, x(2)}, {0x0017, ""}, {0x0019, ""},
        {0x001A, x(6)}, {0x001B, x(6)}, {0x001C, ""}, {0x001D, x(6)}, {0x001E, ""}, {0x001F, x(6)},
        {0x0020, x(8)}, {0x0023, x(2)}, {0x0024, Be16(3) + x(3)}, {0x0027, Be16(3) + x(3)},
        {0x0028, x(4) + "\x03" + x(3)}, {0x0029, x(1) + "\x02" + x(2)}, {0x002B, x(2) + "\x01" + x(1)},
        {0x002C, Be16(4) + x(4)}, {0x002F, Be16(3) + x(3)}, {0x0030, x(8)}, {0x0038, ""}, {0x0060, x(12)},
        {0x006F, x(4)}, {0x0070, Be16(18) + x(16)}, {0x0077, Be16(10) + x(8)}, {0x0078, ""}, {0x007F, ""},
        {0x0080, Be16(10) + x(8)}, {0x0087, Be16(12) + x(10)}, {0x0088, ""}, {0x008F, ""},
        {0x0092, Be16(1) + x(1)}, {0x0097, Be16(0)}, {0x009C, Be16(2) + x(2)}, {0x009F, Be16(2) + x(2)},
        {0x00A0, x(2)}, {0x00A1, x(2) + Be16(5) + x(5)}, {0x00A2, Be16(3) + x(3)}, {0x00AF, Be16(0)},
        {0x00B0, ""}, {0x00CF, ""}, {0x00D0, Be32(3) + x(3)}, {0x00FE, Be32(5) + x(5)}, {0x0100, x(2)},
        {0x0C01, x(24)}, {0x7FFF, x(254)}, {0x8000, ""}, {0x80FF, ""}, {0x8100, Be32(3) + x(3)},
        {0xFFFF, Be32(1) + x(1)},
        // Patterns and shapes whose length cannot be known end the picture.
        {0x0012, Be16(3) + x(8), false}, {0x0012, notPixMap, false}, {0x0070, Be16(1), false},
        // clang-format on
    };
    bool (*nothing)(int, int) = [](int, int) { return false; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        Canvas canvas(16, 4);
        ASSERT_TRUE(
            canvas.Draw(PictBuilder::Version2(frame).Op(c.op, c.data).Raster(0x9A, r, frame, frame).End()));
        ExpectStretched(canvas, r, c.drawn ? nullptr : nothing);
    }

    // Version 1 knows no opcode 0x1A: the picture ends there, after what it drew before.
    const PictRaster bits = PatternRaster(16, 4, 1, false);
    const PictRect left{0, 0, 4, 8}, right{0, 8, 4, 16};
    Canvas v1(16, 4);
    ASSERT_TRUE(v1.Draw(PictBuilder::Version1(frame)
                            .Raster(0x90, bits, left, left)
                            .Op(0x1A, "xxxxxx")
                            .Raster(0x90, bits, right, right)
                            .End()));
    ExpectStretched(v1, bits, [](int x, int) { return x < 8; });
}

TEST(DrawPict, HostilePicturesEndCleanly) {
    const PictRect frame{0, 0, 64, 64};
    const PictRaster r = PatternRaster(64, 64, 8, true);
    const std::string whole = PatternPict(r, 0x98);
    std::string endless = PictBuilder::Version2(frame).Unended();
    endless.append(1 << 20, '\0');  // a megabyte of no-operations and no end
    std::string huge = PictBuilder::Version2(frame).Unended() + Be16(0x009A) + Be32(0xFF) +
                       Be16(0x8000 | 0x3FFF) + Be16(0) + Be16(0) + Be16(0x7FFF) + Be16(0x7FFF);
    huge.append(200, '\xFF');
    struct Case {
        const char* name;
        std::string pict;
        bool isPicture;
    } cases[] = {
        {"cut inside the pixels", whole.substr(0, whole.size() / 2), true},
        {"endless no-operations", endless, true},
        {"huge pixel map", huge, true},
        {"zero-sized frame", PictBuilder::Version2({5, 5, 5, 5}).Raster(0x98, r, frame, frame).End(), true},
        {"upside-down frame", PictBuilder::Version1({10, 10, 0, 0}).End(), true},
        {"no version", std::string(12, '\0'), false},
        {"shorter than a header", whole.substr(0, 11), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(32, 32);
        EXPECT_EQ(canvas.Draw(c.pict), c.isPicture);
    }
}

// Rasters that each cost a pass over a wide target but draw nothing (their source rows lie outside
// their pixels) must not add up to a long time.
TEST(DrawPict, ManyRastersThatDrawNothingEndSoon) {
    const PictRect frame{0, 0, 1, 32000};
    const std::string bitmap = Be16(2) + Be16(0) + Be16(0) + Be16(1) + Be16(1);
    const std::string raster = Be16(0x0090) + bitmap + Be16(100) + Be16(0) + Be16(101) + Be16(1) + Be16(0) +
                               Be16(0) + Be16(1) + Be16(32000) + Be16(0) + Be16(0x8000);
    std::string pict = PictBuilder::Version2(frame).Unended();
    for (int i = 0; i < 100000; ++i) pict += raster;
    Canvas canvas(32000, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(canvas.Draw(pict + Be16(0x00FF)));
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
}

}  // namespace
}  // namespace aldra
