// DIB sections: refusing sizes nobody can allocate, and reading pixels back with GetDIBits at every
// depth, width and order, whole, as the previews copy pictures.
#include <gtest/gtest.h>

#include <climits>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

TEST(DibSection, ReadsBackAtItsOwnDepthInBandsAndBothOrders) {
    HDC screen = GetDC(nullptr);
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        for (int width : {1, 5, 33}) {
            for (bool topDown : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << bpp << " bits, width " << width << ", top-down " << topDown);
                SourceDib src(bpp, width, 6, topDown);
                const HBITMAP bitmap = src.Section();
                const uint32_t stride = ExpectedStride(bpp, width);
                for (int orientation : {1, -1}) {
                    DibInfo info = MakeInfo(bpp, width, 6 * orientation);
                    std::vector<uint8_t> rows(stride * 6);
                    auto read = [&](UINT start, UINT lines) {
                        return GetDIBits(screen, bitmap, start, lines, rows.data(), info.info(),
                                         DIB_RGB_COLORS);
                    };
                    ASSERT_EQ(read(0, 6), 6);
                    for (int y = 0; y < 6; ++y)
                        for (int x = 0; x < width; ++x)
                            ASSERT_EQ(ReadPixel(rows.data(), bpp, width, 6 * orientation, x, y),
                                      src.Value(x, y));
                    EXPECT_EQ(read(0, 0), 0);  // the previews' question for the header alone
                }
                DeleteObject(bitmap);
            }
        }
    }
    ReleaseDC(nullptr, screen);
}

TEST(DibSection, RefusesWhatCannotOrShouldNotBeAllocated) {
    auto with = [](void (*change)(BITMAPINFOHEADER&)) {
        DibInfo d = MakeInfo(8, 5, 5);
        change(d.header);
        return d;
    };
    const std::pair<DibInfo, UINT> refused[] = {
        {MakeInfo(24, 20000, 20000), DIB_RGB_COLORS},  // 1.2 GB, over the limit
        {MakeInfo(1, kMaxDibSide + 1, 1), DIB_RGB_COLORS},
        {MakeInfo(1, 1, kMaxDibSide + 1), DIB_RGB_COLORS},
        {MakeInfo(8, 1, INT_MIN), DIB_RGB_COLORS},
        {MakeInfo(8, 0, 5), DIB_RGB_COLORS},
        {MakeInfo(8, 5, 0), DIB_RGB_COLORS},
        {MakeInfo(16, 5, 5), DIB_RGB_COLORS},
        {with([](BITMAPINFOHEADER& h) { h.biPlanes = 2; }), DIB_RGB_COLORS},
        {with([](BITMAPINFOHEADER& h) { h.biCompression = 3; }), DIB_RGB_COLORS},  // BI_BITFIELDS
        {with([](BITMAPINFOHEADER& h) { h.biSize = 12; }), DIB_RGB_COLORS},        // the OS/2 header
        {with([](BITMAPINFOHEADER& h) { h.biSize = 2000; }), DIB_RGB_COLORS},
        {MakeInfo(8, 5, 5), 1 /* DIB_PAL_COLORS */},
    };
    for (auto [info, usage] : refused) {
        void* bits = reinterpret_cast<void*>(1);
        const HBITMAP bitmap = CreateDIBSection(nullptr, info.info(), usage, &bits, nullptr, 0);
        EXPECT_FALSE(bitmap) << info.header.biBitCount << " " << info.header.biWidth << " "
                             << info.header.biHeight;
        EXPECT_EQ(bits, nullptr);
        if (bitmap) DeleteObject(bitmap);
    }
    EXPECT_EQ(DibStride(24, int64_t{1} << 40), 0u);
    for (DibInfo largest : {MakeInfo(1, kMaxDibSide, 1), MakeInfo(1, 1, -kMaxDibSide)}) {  // either way up
        const HBITMAP allowed =
            CreateDIBSection(nullptr, largest.info(), DIB_RGB_COLORS, nullptr, nullptr, 0);
        EXPECT_TRUE(allowed) << largest.header.biWidth;
        DeleteObject(allowed);
    }
}

// Indexed bitmaps read as 24 bits and the table of one with fewer colours are shown by the picture
// files; here what is refused.
TEST(GetDIBits, RefusesOtherDepthsWidthsAndContexts) {
    const HBITMAP bitmap = SourceDib(8, 5, 4, false).Section();
    HDC screen = GetDC(nullptr);
    std::vector<uint8_t> rows(16 * 4);
    auto read = [&](HDC dc, uint32_t bpp, int width) {
        DibInfo info = MakeInfo(bpp, width, 4);
        return GetDIBits(dc, bitmap, 0, 4, rows.data(), info.info(), DIB_RGB_COLORS);
    };
    EXPECT_EQ(std::vector<int>(
                  {read(screen, 4, 5), read(screen, 24, 4), read(nullptr, 24, 5), read(screen, 24, 5)}),
              std::vector<int>({0, 0, 0, 4}));
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
}

}  // namespace
}  // namespace aldra::test
