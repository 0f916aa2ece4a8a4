// Device contexts: the screen's resolution from the environment, mapping modes, and the fills the
// target raster and the renderer make with brushes and pens.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

// Sets ALDRA_SCREEN_DPI for one test and puts back what was there.
class ScreenDpi {
  public:
    explicit ScreenDpi(const char* value) {
        if (const char* old = std::getenv("ALDRA_SCREEN_DPI")) saved_ = old;
        if (value != nullptr) {
            setenv("ALDRA_SCREEN_DPI", value, 1);
        } else {
            unsetenv("ALDRA_SCREEN_DPI");
        }
    }
    ~ScreenDpi() {
        if (saved_) {
            setenv("ALDRA_SCREEN_DPI", saved_->c_str(), 1);
        } else {
            unsetenv("ALDRA_SCREEN_DPI");
        }
    }

  private:
    std::optional<std::string> saved_;
};

int DpiOfNewScreen() {
    HDC dc = GetDC(nullptr);
    const int x = GetDeviceCaps(dc, LOGPIXELSX);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), x);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    return x;
}

TEST(ScreenContext, ResolutionComesFromTheEnvironmentWhenItIsAPositiveNumber) {
    {
        ScreenDpi dpi(nullptr);
        EXPECT_EQ(DpiOfNewScreen(), 96);
    }
    {
        ScreenDpi dpi("144");
        EXPECT_EQ(DpiOfNewScreen(), 144);
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSX), 144);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        memory = CreateCompatibleDC(nullptr);
        EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSY), 144);
        DeleteDC(memory);
    }
    for (const char* bad : {"", "0", "-72", "abc", "120dpi", "99999999999999999999"}) {
        ScreenDpi dpi(bad);
        EXPECT_EQ(DpiOfNewScreen(), 96) << '"' << bad << '"';
    }
}

TEST(ScreenContext, HasNoPixelsAndIsReleasedOnlyOnce) {
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetObjectType(screen), OBJ_DC);
    EXPECT_FALSE(Rectangle(screen, 0, 0, 5, 5));
    EXPECT_FALSE(SelectObject(screen, GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
    EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, memory), 0);  // a memory context is deleted, not released
    EXPECT_EQ(GetObjectType(memory), OBJ_MEMDC);
    EXPECT_EQ(GetDeviceCaps(memory, HORZRES), 1);  // the 1 x 1 bitmap it starts with
    DeleteDC(memory);
}

TEST(Mapping, IsotropicKeepsOneScaleAndTextIgnoresExtents) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetMapMode(dc, MM_ISOTROPIC), MM_TEXT);
    SetWindowExtEx(dc, 100, 50, nullptr);
    SetViewportExtEx(dc, 200, 200, nullptr);
    POINT p[2] = {{100, 50}, {-10, 20}};
    ASSERT_TRUE(LPtoDP(dc, p, 2));
    EXPECT_EQ(p[0].x, 200);
    EXPECT_EQ(p[0].y, 100);  // y shrunk to x's scale
    EXPECT_EQ(p[1].x, -20);
    EXPECT_EQ(p[1].y, 40);
    EXPECT_EQ(SetMapMode(dc, MM_ANISOTROPIC), MM_ISOTROPIC);
    SetViewportExtEx(dc, 200, 200, nullptr);
    POINT q{100, 50};
    LPtoDP(dc, &q, 1);
    EXPECT_EQ(q.y, 200);
    EXPECT_FALSE(SetWindowExtEx(dc, 0, 5, nullptr));
    EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_ANISOTROPIC);
    EXPECT_TRUE(SetWindowExtEx(dc, 3, 7, nullptr));
    POINT r{5, 6};
    LPtoDP(dc, &r, 1);
    EXPECT_EQ(r.x, 5);
    EXPECT_EQ(r.y, 6);
    EXPECT_EQ(SetMapMode(dc, 42), 0);
    EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
    DeleteDC(dc);
}

// The target raster is made white by a white rectangle one pixel larger than the bitmap all round.
TEST(Fills, WhiteRectangleAroundTheBitmapWhitensEveryPixelAndNoPadding) {
    RGBQUAD grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
    for (uint32_t bpp : {8u, 24u}) {
        const int w = 7, h = 5;
        Target t(bpp, w, h, bpp == 8 ? grey : nullptr, bpp == 8 ? 256 : 0);
        std::memset(t.bits, 0x77, t.Bytes());
        SetMapMode(t.dc, MM_ISOTROPIC);
        SetWindowExtEx(t.dc, w, h, nullptr);
        SetViewportExtEx(t.dc, w, h, nullptr);
        HGDIOBJ oldBrush = SelectObject(t.dc, GetStockObject(WHITE_BRUSH));
        HGDIOBJ oldPen = SelectObject(t.dc, GetStockObject(WHITE_PEN));
        ASSERT_TRUE(Rectangle(t.dc, -1, -1, w + 1, h + 1));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) EXPECT_EQ(t.At(x, y), bpp == 8 ? 0u : 0xFFFFFFu) << x << "," << y;
        const uint32_t stride = ExpectedStride(bpp, w);
        for (int row = 0; row < h; ++row)
            for (uint32_t i = w * bpp / 8; i < stride; ++i) EXPECT_EQ(t.bits[row * stride + i], 0x77);
        SelectObject(t.dc, oldBrush);
        SelectObject(t.dc, oldPen);
    }
}

TEST(Fills, RectangleOutlinesWithThePenAndFillsInside) {
    Target t(24, 8, 6);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldBrush = SelectObject(t.dc, red);
    HGDIOBJ oldPen = SelectObject(t.dc, GetStockObject(BLACK_PEN));
    ASSERT_TRUE(Rectangle(t.dc, 1, 1, 6, 5));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint32_t want = 0;  // untouched: zero-filled
            const bool inRect = x >= 1 && x < 6 && y >= 1 && y < 5;
            const bool edge = x == 1 || x == 5 || y == 1 || y == 4;
            if (inRect) want = edge ? 0x000000u : 0xFF0000u;
            if (!inRect) want = 0;
            EXPECT_EQ(t.At(x, y), want) << x << "," << y;
        }
    }
    // Without a pen the fill shrinks by one pixel on the right and bottom.
    std::memset(t.bits, 0, t.Bytes());
    SelectObject(t.dc, GetStockObject(NULL_PEN));
    ASSERT_TRUE(Rectangle(t.dc, 1, 1, 6, 5));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(t.At(x, y), (x >= 1 && x < 5 && y >= 1 && y < 4) ? 0xFF0000u : 0u) << x << "," << y;
    // A hollow brush with a wide pen: only the frame.
    std::memset(t.bits, 0, t.Bytes());
    HPEN wide = CreatePen(PS_SOLID, 2, RGB(0, 0, 255));
    SelectObject(t.dc, wide);
    SelectObject(t.dc, GetStockObject(NULL_BRUSH));
    ASSERT_TRUE(Rectangle(t.dc, 0, 0, 8, 6));
    EXPECT_EQ(t.At(1, 1), 0x0000FFu);
    EXPECT_EQ(t.At(6, 4), 0x0000FFu);
    EXPECT_EQ(t.At(2, 2), 0u);
    EXPECT_EQ(t.At(5, 3), 0u);
    SelectObject(t.dc, oldBrush);
    SelectObject(t.dc, oldPen);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(wide));
}

TEST(Fills, FillRectCoversExactlyItsRectangleClippedToTheBitmap) {
    RGBQUAD two[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    Target t(1, 11, 3, two, 2);
    HBRUSH white = CreateSolidBrush(RGB(250, 250, 250));  // nearest: entry 1
    const RECT r{3, 1, 9, 2};
    ASSERT_EQ(FillRect(t.dc, &r, white), 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(t.At(x, y), (y == 1 && x >= 3 && x < 9) ? 1u : 0u) << x << "," << y;
    const RECT wide{-100, -100, 100, 100};
    ASSERT_EQ(FillRect(t.dc, &wide, white), 1);
    for (int x = 0; x < 11; ++x) EXPECT_EQ(t.At(x, 2), 1u);
    EXPECT_EQ(t.bits[1] & 0x1F, 0);  // padding bits of the first row untouched
    EXPECT_EQ(FillRect(t.dc, &r, HBRUSH::FromRaw(0x7777)), 0);
    DeleteObject(white);
}

}  // namespace
}  // namespace aldra::test
