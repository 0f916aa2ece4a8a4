// Device contexts: the screen's resolution from the environment, the rectangles drawn with the
// stock pens and brushes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

TEST(ScreenContext, ResolutionComesFromTheEnvironmentWhenItIsAPositiveNumber) {
    const std::pair<const char*, int> cases[] = {{nullptr, 96}, {"144", 144},   {"", 96},
                                                 {"0", 96},     {"120dpi", 96}, {"99999999999999999999", 96}};
    for (const auto& [text, dpi] : cases) {
        SCOPED_TRACE(text ? text : "unset");
        text ? setenv("ALDRA_SCREEN_DPI", text, 1) : unsetenv("ALDRA_SCREEN_DPI");
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), dpi);
        EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), dpi);
        EXPECT_EQ(GetDeviceCaps(memory, LOGPIXELSY), dpi);  // inherited
        DeleteDC(memory);
        EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
        EXPECT_EQ(ReleaseDC(nullptr, screen), 0);
    }
    unsetenv("ALDRA_SCREEN_DPI");
}

// The pen's colour covers `outer` but not `hole`, the brush's covers `fill`; the rest and the row
// padding keep the bytes the target started with.
struct Box {
    const char* name;
    int brush, pen;
    int rect[4], outer[4], hole[4], fill[4];
};

bool In(int x, int y, const int (&r)[4]) {
    return x >= r[0] && x < r[2] && y >= r[1] && y < r[3];
}

// clang-format off
const Box kBoxes[] = {
    {"PenOutlinesBrushFills",             GRAY_BRUSH,  WHITE_PEN, {1, 1, 6, 5},    {1, 1, 6, 5}, {2, 2, 5, 4}, {2, 2, 5, 4}},
    {"NullPenFillsOneLessRightAndBottom", GRAY_BRUSH,  NULL_PEN,  {1, 1, 6, 5},    {},           {},           {1, 1, 5, 4}},
    {"HollowBrushDrawsTheFrameOnly",      NULL_BRUSH,  WHITE_PEN, {0, 0, 7, 6},    {0, 0, 7, 6}, {1, 1, 6, 5}, {}},
    {"ClippedToTheBitmap",                GRAY_BRUSH,  NULL_PEN,  {-5, 3, 50, 50}, {},           {},           {0, 3, 7, 6}},
    // How a target is made white: a rectangle one pixel larger than the bitmap all round.
    {"OneLargerAllRoundCoversEveryPixel", WHITE_BRUSH, WHITE_PEN, {-1, -1, 8, 7},  {0, 0, 7, 6}, {},           {}},
};
// clang-format on

class Rectangles : public ::testing::TestWithParam<Box> {};

TEST_P(Rectangles, DrawWithTheSelectedPenAndBrush) {
    const Box& b = GetParam();
    Target t(24, 7, 6, 0x77);
    HGDIOBJ oldBrush = SelectObject(t.dc, GetStockObject(b.brush));
    HGDIOBJ oldPen = SelectObject(t.dc, GetStockObject(b.pen));
    ASSERT_TRUE(Rectangle(t.dc, b.rect[0], b.rect[1], b.rect[2], b.rect[3]));
    t.Expect([&](int x, int y) {
        return In(x, y, b.fill) ? 0x808080u : In(x, y, b.outer) && !In(x, y, b.hole) ? 0xFFFFFFu : 0x777777u;
    });
    for (int row = 0; row < 6; ++row)
        for (int i = 21; i < 24; ++i) EXPECT_EQ(t.bits[row * 24 + i], 0x77) << "padding of row " << row;
    SelectObject(t.dc, oldBrush);
    SelectObject(t.dc, oldPen);
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(Rectangle(screen, 0, 0, 5, 5));  // the screen has no pixels
    ReleaseDC(nullptr, screen);
}

INSTANTIATE_TEST_SUITE_P(Boxes, Rectangles, ::testing::ValuesIn(kBoxes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace aldra::test
