// DIB sections: shapes and strides at each depth, refusing sizes nobody can allocate, reading
// pixels back with GetDIBits, resized copies, and what handles do once their object is gone.
#include <gtest/gtest.h>

#include <climits>
#include <type_traits>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

static_assert(std::is_convertible_v<HBITMAP, HGDIOBJ> && std::is_convertible_v<HGDIOBJ, HANDLE>);
static_assert(!std::is_convertible_v<HGDIOBJ, HBITMAP> && !std::is_convertible_v<HBRUSH, HBITMAP>);
static_assert(std::is_constructible_v<HBITMAP, HGDIOBJ>);

TEST(DibSectionShape, EachDepthGetsItsStrideZeroedPixelsAndOrientation) {
    HDC screen = GetDC(nullptr);
    const uint32_t strides[4][4] = {// widths 1, 3, 5, 33
                                    {4, 4, 4, 8},
                                    {4, 4, 4, 20},
                                    {4, 4, 8, 36},
                                    {4, 12, 16, 100}};
    const uint32_t depths[] = {1, 4, 8, 24};
    const int widths[] = {1, 3, 5, 33};
    for (int d = 0; d < 4; ++d) {
        for (int w = 0; w < 4; ++w) {
            for (int height : {7, -7}) {
                SCOPED_TRACE(testing::Message()
                             << depths[d] << " bits, width " << widths[w] << ", height " << height);
                DibInfo info = MakeInfo(depths[d], widths[w], height);
                void* bits = nullptr;
                HBITMAP bitmap = CreateDIBSection(screen, info.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
                ASSERT_TRUE(bitmap);
                ASSERT_NE(bits, nullptr);
                DIBSECTION ds{};
                ASSERT_EQ(GetObject(bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
                EXPECT_EQ(static_cast<uint32_t>(ds.dsBm.bmWidthBytes), strides[d][w]);
                EXPECT_EQ(ds.dsBm.bmWidth, widths[w]);
                EXPECT_EQ(ds.dsBm.bmHeight, 7);
                EXPECT_EQ(ds.dsBm.bmBitsPixel, depths[d]);
                EXPECT_EQ(ds.dsBm.bmBits, bits);
                EXPECT_EQ(ds.dsBmih.biHeight, height);
                EXPECT_EQ(ds.dsBmih.biSizeImage, strides[d][w] * 7);
                const auto* p = static_cast<uint8_t*>(bits);
                for (uint32_t i = 0; i < strides[d][w] * 7; ++i) ASSERT_EQ(p[i], 0) << i;
                static_cast<uint8_t*>(bits)[strides[d][w] * 7 - 1] = 1;  // the last byte is ours (ASan)
                BITMAP bm{};
                EXPECT_EQ(GetObject(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
                EXPECT_EQ(bm.bmBits, bits);
                EXPECT_TRUE(DeleteObject(bitmap));
            }
        }
    }
    ReleaseDC(nullptr, screen);
}

TEST(DibSectionShape, RefusesWhatCannotOrShouldNotBeAllocated) {
    auto refused = [](DibInfo info, UINT usage = DIB_RGB_COLORS, HANDLE section = nullptr) {
        void* bits = reinterpret_cast<void*>(1);
        const HBITMAP bitmap = CreateDIBSection(nullptr, info.info(), usage, &bits, section, 0);
        const bool ok = !bitmap && bits == nullptr;
        if (bitmap) DeleteObject(bitmap);
        return ok;
    };
    EXPECT_TRUE(refused(MakeInfo(24, 100000, 100000)));  // 30 GB
    EXPECT_TRUE(refused(MakeInfo(24, 20000, 20000)));    // 1.2 GB, over the limit
    EXPECT_TRUE(refused(MakeInfo(1, kMaxDibSide + 1, 1)));
    EXPECT_TRUE(refused(MakeInfo(8, 1, INT_MIN)));
    EXPECT_TRUE(refused(MakeInfo(8, INT_MAX, 1)));
    EXPECT_TRUE(refused(MakeInfo(8, 0, 5)));
    EXPECT_TRUE(refused(MakeInfo(8, -5, 5)));
    EXPECT_TRUE(refused(MakeInfo(8, 5, 0)));
    EXPECT_TRUE(refused(MakeInfo(16, 5, 5)));
    EXPECT_TRUE(refused(MakeInfo(32, 5, 5)));
    DibInfo info = MakeInfo(8, 5, 5);
    info.header.biPlanes = 2;
    EXPECT_TRUE(refused(info));
    info = MakeInfo(8, 5, 5);
    info.header.biCompression = BI_BITFIELDS;
    EXPECT_TRUE(refused(info));
    EXPECT_TRUE(refused(MakeInfo(8, 5, 5), DIB_PAL_COLORS));
    EXPECT_TRUE(refused(MakeInfo(8, 5, 5), DIB_RGB_COLORS, HANDLE::FromRaw(0x1234)));
    EXPECT_FALSE(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0));
    EXPECT_EQ(DibStride(24, int64_t{1} << 40), 0u);
}

// A bitmap with known pixels: indices (x * 3 + y * 7) % colours, or packed colours for 24 bits.
struct Known {
    HBITMAP bitmap;
    DibInfo info;
    uint8_t* bits;
    int width, height;

    Known(uint32_t bpp, int w, int h, uint32_t colours = 0) : width(w), height(h) {
        info = MakeInfo(bpp, w, h, colours);
        const uint32_t n = bpp <= 8 ? (colours ? colours : 1u << bpp) : 0;
        for (uint32_t i = 0; i < n; ++i)
            info.colours[i] = RGBQUAD{BYTE(i * 5), BYTE(i * 11 + 1), BYTE(250 - i), 0};
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, info.info(), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) WritePixel(bits, bpp, w, h, x, y, Value(x, y));
    }
    ~Known() { DeleteObject(bitmap); }
    uint32_t Value(int x, int y) const {
        const uint32_t bpp = info.header.biBitCount;
        if (bpp == 24) return static_cast<uint32_t>((x * 40503 + y * 9973) & 0xFFFFFF);
        const uint32_t n = info.header.biClrUsed ? info.header.biClrUsed : 1u << bpp;
        return static_cast<uint32_t>(x * 3 + y * 7) % n;
    }
};

TEST(GetDIBitsRead, DescribesTheBitmapThenFillsItsTable) {
    Known k(8, 5, 4, 3);  // a 3-entry table
    HDC screen = GetDC(nullptr);
    DibInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_NE(GetDIBits(screen, k.bitmap, 0, 0, nullptr, info.info(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(info.header.biWidth, 5);
    EXPECT_EQ(info.header.biHeight, 4);
    EXPECT_EQ(info.header.biPlanes, 1);
    EXPECT_EQ(info.header.biBitCount, 8);
    EXPECT_EQ(info.header.biCompression, BI_RGB);
    EXPECT_EQ(info.header.biSizeImage, 8u * 4);
    EXPECT_EQ(info.header.biClrUsed, 3u);
    ASSERT_NE(GetDIBits(screen, k.bitmap, 0, 0, nullptr, info.info(), DIB_RGB_COLORS), 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Packed(info.colours[i]), Packed(k.info.colours[i])) << i;
    for (int i = 3; i < 256; ++i) EXPECT_EQ(Packed(info.colours[i]), 0u) << i;
    EXPECT_EQ(GetDIBits(nullptr, k.bitmap, 0, 0, nullptr, info.info(), DIB_RGB_COLORS), 0);
    ReleaseDC(nullptr, screen);
}

TEST(GetDIBitsRead, SameDepthRoundTripsInBothOrientationsAndBands) {
    HDC screen = GetDC(nullptr);
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        Known k(bpp, 7, 6);
        for (int orientation : {1, -1}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, orientation " << orientation);
            DibInfo info = MakeInfo(bpp, 7, 6 * orientation);
            const uint32_t stride = ExpectedStride(bpp, 7);
            std::vector<uint8_t> buffer(stride * 6, 0xCC);
            ASSERT_EQ(GetDIBits(screen, k.bitmap, 0, 6, buffer.data(), info.info(), DIB_RGB_COLORS), 6);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 7; ++x)
                    ASSERT_EQ(ReadPixel(buffer.data(), bpp, 7, 6 * orientation, x, y), k.Value(x, y))
                        << x << "," << y;
            // Lines 1 and 2 only: counted from the bottom when bottom-up, from the top when top-down.
            std::vector<uint8_t> band(stride * 2);
            ASSERT_EQ(GetDIBits(screen, k.bitmap, 1, 2, band.data(), info.info(), DIB_RGB_COLORS), 2);
            for (int line = 0; line < 2; ++line) {
                const int y = orientation > 0 ? 6 - 1 - (1 + line) : 1 + line;
                for (int x = 0; x < 7; ++x)
                    EXPECT_EQ(ReadPixel(band.data() + line * stride, bpp, 7, -1, x, 0), k.Value(x, y))
                        << line;
            }
            // Asking past the end copies what there is.
            EXPECT_EQ(GetDIBits(screen, k.bitmap, 5, 10, band.data(), info.info(), DIB_RGB_COLORS), 1);
            EXPECT_EQ(GetDIBits(screen, k.bitmap, 6, 1, band.data(), info.info(), DIB_RGB_COLORS), 0);
        }
    }
    ReleaseDC(nullptr, screen);
}

TEST(GetDIBitsRead, ConvertsBetweenDepths) {
    HDC screen = GetDC(nullptr);
    {
        // 4 bits widened to 8 keep their indices and table.
        Known k(4, 5, 3);
        DibInfo info = MakeInfo(8, 5, -3);
        std::vector<uint8_t> buffer(8 * 3);
        ASSERT_EQ(GetDIBits(screen, k.bitmap, 0, 3, buffer.data(), info.info(), DIB_RGB_COLORS), 3);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(Packed(info.colours[i]), Packed(k.info.colours[i]));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(buffer[y * 8 + x], k.Value(x, y));
    }
    {
        // 8 bits read as 24 show their table's colours.
        Known k(8, 5, 3);
        DibInfo info = MakeInfo(24, 5, 3);
        std::vector<uint8_t> buffer(16 * 3);
        ASSERT_EQ(GetDIBits(screen, k.bitmap, 0, 3, buffer.data(), info.info(), DIB_RGB_COLORS), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(ReadPixel(buffer.data(), 24, 5, 3, x, y), Packed(k.info.colours[k.Value(x, y)]));
    }
    {
        // 24 bits read as 8: pure cube colours come back exactly.
        Known k(24, 3, 1);
        WritePixel(k.bits, 24, 3, 1, 0, 0, 0x0000FF);  // blue
        WritePixel(k.bits, 24, 3, 1, 1, 0, 0xFF0000);  // red
        WritePixel(k.bits, 24, 3, 1, 2, 0, 0x333333);  // a cube grey
        DibInfo info = MakeInfo(8, 3, 1);
        uint8_t row[4] = {};
        ASSERT_EQ(GetDIBits(screen, k.bitmap, 0, 1, row, info.info(), DIB_RGB_COLORS), 1);
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Packed(info.colours[row[x]]), ReadPixel(k.bits, 24, 3, 1, x, 0)) << x;
    }
    {
        Known k(24, 3, 2);
        DibInfo info = MakeInfo(4, 3, 2);  // neither 8, 24 nor the bitmap's own
        uint8_t buffer[8];
        EXPECT_EQ(GetDIBits(screen, k.bitmap, 0, 2, buffer, info.info(), DIB_RGB_COLORS), 0);
        info = MakeInfo(24, 4, 2);  // a width that is not the bitmap's
        EXPECT_EQ(GetDIBits(screen, k.bitmap, 0, 2, buffer, info.info(), DIB_RGB_COLORS), 0);
    }
    ReleaseDC(nullptr, screen);
}

TEST(CopyImageResize, MakesAResizedSectionOfTheSameDepthAndTable) {
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bpp);
        Known k(bpp, 6, 4);
        const HBITMAP copy = HBITMAP(CopyImage(k.bitmap, IMAGE_BITMAP, 9, 3, 0));
        ASSERT_TRUE(copy);
        DIBSECTION ds{};
        ASSERT_EQ(GetObject(copy, sizeof ds, &ds), static_cast<int>(sizeof ds));
        EXPECT_EQ(ds.dsBm.bmWidth, 9);
        EXPECT_EQ(ds.dsBm.bmHeight, 3);
        EXPECT_EQ(ds.dsBm.bmBitsPixel, bpp);
        const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x)
                EXPECT_EQ(ReadPixel(bits, bpp, 9, ds.dsBmih.biHeight, x, y),
                          k.Value(Sample(x, 9, 6), Sample(y, 3, 4)))
                    << x << "," << y;
        if (bpp <= 8) {
            DibInfo info{};
            info.header.biSize = sizeof(BITMAPINFOHEADER);
            HDC screen = GetDC(nullptr);
            GetDIBits(screen, copy, 0, 0, nullptr, info.info(), DIB_RGB_COLORS);
            GetDIBits(screen, copy, 0, 0, nullptr, info.info(), DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            for (uint32_t i = 0; i < (1u << bpp); ++i)
                EXPECT_EQ(Packed(info.colours[i]), Packed(k.info.colours[i]));
        }
        DeleteObject(copy);
    }
}

TEST(CopyImageResize, ZeroKeepsTheSideAndDeleteOriginalDeletesIt) {
    Known k(8, 6, 4);
    HBITMAP same = HBITMAP(CopyImage(k.bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(same);
    EXPECT_NE(same, k.bitmap);
    BITMAP bm{};
    GetObject(same, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 6);
    EXPECT_EQ(bm.bmHeight, 4);
    EXPECT_FALSE(CopyImage(k.bitmap, IMAGE_BITMAP, 100000, 100000, 0));  // too large
    EXPECT_FALSE(CopyImage(k.bitmap, 1 /* IMAGE_ICON */, 2, 2, 0));
    EXPECT_FALSE(CopyImage(GetStockObject(WHITE_BRUSH), IMAGE_BITMAP, 2, 2, 0));
    HBITMAP moved = HBITMAP(CopyImage(same, IMAGE_BITMAP, 3, 3, LR_COPYDELETEORG));
    ASSERT_TRUE(moved);
    EXPECT_EQ(GetObjectType(same), 0u);
    DeleteObject(moved);
}

TEST(HandleLifetime, StaleHandlesFailAndSelectedBitmapsStayAlive) {
    Known k(8, 2, 2);
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(a, k.bitmap);
    ASSERT_TRUE(original);
    EXPECT_EQ(GetObjectType(original), OBJ_BITMAP);
    EXPECT_FALSE(SelectObject(b, k.bitmap));  // one context at a time
    EXPECT_FALSE(DeleteObject(k.bitmap));     // still selected
    EXPECT_EQ(GetObjectType(k.bitmap), OBJ_BITMAP);
    EXPECT_EQ(GetDeviceCaps(a, HORZRES), 2);
    EXPECT_EQ(HGDIOBJ(SelectObject(a, original)), HGDIOBJ(k.bitmap));
    EXPECT_TRUE(SelectObject(b, k.bitmap));
    EXPECT_TRUE(DeleteDC(b));  // frees the selection, not the bitmap
    EXPECT_EQ(GetObjectType(k.bitmap), OBJ_BITMAP);
    EXPECT_TRUE(DeleteDC(a));
    EXPECT_FALSE(DeleteDC(a));
    EXPECT_EQ(GetDeviceCaps(a, LOGPIXELSX), 0);

    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(GetObject(brush, 0, nullptr), 0);
    EXPECT_EQ(GetObjectType(brush), 0u);
    HDC c = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(SelectObject(c, brush));
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // stock: a no-op
    EXPECT_TRUE(SelectObject(c, GetStockObject(WHITE_BRUSH)));
    LOGBRUSH lb{};
    EXPECT_EQ(GetObject(GetStockObject(WHITE_BRUSH), sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
    EXPECT_FALSE(GetStockObject(42));
    DeleteDC(c);
}

}  // namespace
}  // namespace aldra::test
