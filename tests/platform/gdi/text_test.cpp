// Fonts and text: the faces PostScript names find, metrics and extents, and where TextOut paints.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "GdiTestSupport.h"

namespace aldra::test {
namespace {

constexpr uint32_t kPaper = 0xFFFFFF;
constexpr COLORREF kInkRef = RGB(0x20, 0x40, 0x60);
constexpr uint32_t kInk = 0x204060;

LOGFONTA Font(const char* face, LONG height, LONG weight = FW_NORMAL) {
    LOGFONTA f{};
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfQuality = PROOF_QUALITY;
    f.lfPitchAndFamily = 3;
    std::strncpy(f.lfFaceName, face, LF_FACESIZE - 1);
    return f;
}

// A white 24-bit target with a font selected, both released on the way out.
struct Page : Target {
    HFONT font;
    HGDIOBJ old;
    Page(const LOGFONTA& f, int w = 160, int h = 60) : Target(24, w, h, 0xFF), font(CreateFontIndirectA(&f)) {
        old = SelectObject(dc, font);
        SetTextColor(dc, kInkRef);
    }
    ~Page() {
        SelectObject(dc, old);
        EXPECT_TRUE(DeleteObject(font));
    }
    std::string Face() {
        char name[LF_FACESIZE] = {};
        GetTextFaceA(dc, LF_FACESIZE, name);
        return name;
    }
    // Pixels of `colour` inside and outside the box [x0, x1) x [y0, y1).
    std::pair<int, int> Count(uint32_t colour, int x0, int y0, int x1, int y1) const {
        int in = 0, out = 0;
        for (int y = 0; y < info.header.biHeight; ++y) {
            for (int x = 0; x < info.header.biWidth; ++x) {
                if (At(x, y) != colour) continue;
                (x >= x0 && x < x1 && y >= y0 && y < y1 ? in : out)++;
            }
        }
        return {in, out};
    }
};

struct Resolution {
    const char* name;
    const char* family;
    LONG weight;
    BYTE italic;
};

const Resolution kResolutions[] = {
    {"Helvetica-Bold", "Nimbus Sans", FW_BOLD, 0},
    {"Helvetica", "Nimbus Sans", FW_NORMAL, 0},
    {"Helvetica-BoldOblique", "Nimbus Sans", FW_BOLD, 1},
    {"Times-Roman", "Nimbus Roman", FW_NORMAL, 0},
    {"Times-Italic", "Nimbus Roman", FW_NORMAL, 1},
    {"Courier", "Nimbus Mono PS", FW_NORMAL, 0},
    {"Helvetica-Narrow-Bold", "Nimbus Sans Narrow", FW_BOLD, 0},
    {"TimesNewRomanPS-BoldMT", "Nimbus Roman", FW_BOLD, 0},
    {"Palatino-Roman", "P052", FW_NORMAL, 0},
};

TEST(Fonts, PostScriptNamesFindTheMetricCompatibleFaceAndStyle) {
    for (const Resolution& r : kResolutions) {
        SCOPED_TRACE(r.name);
        Page p(Font(r.name, -12));
        EXPECT_EQ(p.Face(), r.family);
        TEXTMETRICA tm{};
        ASSERT_TRUE(GetTextMetricsA(p.dc, &tm));
        EXPECT_EQ(tm.tmWeight, r.weight);
        EXPECT_EQ(tm.tmItalic, r.italic);
    }
    // An unknown name still gives a face; so does an empty one and the context's own font.
    for (const char* name : {"NoSuchFace-Bold", ""}) {
        Page p(Font(name, -12));
        EXPECT_FALSE(p.Face().empty()) << name;
    }
    Target plain(24, 4, 4);
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(plain.dc, &tm));
    EXPECT_GT(tm.tmHeight, 0);
}

TEST(Fonts, ExtentsAndMetricsGrowWithTheHeight) {
    SIZE last{0, 0};
    for (LONG em : {8, 12, 24, 48, 96}) {
        SCOPED_TRACE(em);
        Page p(Font("Times-Roman", -em));
        SIZE s{};
        ASSERT_TRUE(GetTextExtentPoint32A(p.dc, "Hello", 5, &s));
        EXPECT_GT(s.cx, last.cx);
        EXPECT_GT(s.cy, last.cy);
        last = s;
        TEXTMETRICA tm{};
        ASSERT_TRUE(GetTextMetricsA(p.dc, &tm));
        EXPECT_EQ(tm.tmHeight, s.cy);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_GE(tm.tmHeight, em);  // the em fits in the cell
        EXPECT_GT(tm.tmAveCharWidth, 0);
        // A positive height asks for the cell instead.
        Page cell(Font("Times-Roman", tm.tmHeight));
        TEXTMETRICA again{};
        ASSERT_TRUE(GetTextMetricsA(cell.dc, &again));
        EXPECT_NEAR(again.tmHeight, tm.tmHeight, 1);
        // The extent is the sum of the characters' own extents.
        SIZE h{}, rest{};
        GetTextExtentPoint32A(p.dc, "H", 1, &h);
        GetTextExtentPoint32A(p.dc, "ello", 4, &rest);
        EXPECT_EQ(h.cx + rest.cx, s.cx);
    }
}

TEST(Text, PaintsTheTextColourInsideItsExtentOnly) {
    Page p(Font("Helvetica-Bold", -24));
    SetBkMode(p.dc, TRANSPARENT);  // as the drawings' text: a background colour must not show
    SetBkColor(p.dc, RGB(0, 0xFF, 0));
    SIZE s{};
    ASSERT_TRUE(GetTextExtentPoint32A(p.dc, "Hello", 5, &s));
    ASSERT_TRUE(TextOutA(p.dc, 10, 8, "Hello", 5));
    const auto [in, out] = p.Count(kInk, 10, 8, 10 + s.cx, 8 + s.cy);
    EXPECT_GT(in, 100);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(p.Count(kPaper, 0, 0, 0, 0).second + in, 160 * 60) << "every other pixel stays white";
}

// The drawing's text is drawn transparent, and clipped like any other drawing.
TEST(Text, ClippingCutsTheText) {
    Page clipped(Font("Times-Roman", -20));
    SetBkMode(clipped.dc, TRANSPARENT);
    HRGN left = CreateRectRgn(0, 0, 15, 60);
    SelectClipRgn(clipped.dc, left);
    DeleteObject(left);
    TextOutA(clipped.dc, 5, 5, "Wag", 3);
    const auto [cut, beyond] = clipped.Count(kInk, 0, 0, 15, 60);
    EXPECT_GT(cut, 0);
    EXPECT_EQ(beyond, 0);
}

TEST(Text, AnsiTextGoesThroughWindows1252) {
    Page a(Font("Helvetica", -18)), w(Font("Helvetica", -18));
    const char ansi[] = "\x80 caf\xE9 \x93ok\x94";
    WCHAR wide[16] = {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 16);
    ASSERT_EQ(n, 12);  // the terminator counted; the mapping is the ANSI conversions'
    EXPECT_EQ(wide[0], u'\u20AC');
    TextOutA(a.dc, 2, 2, ansi, 11);
    TextOutW(w.dc, 2, 2, wide, 11);
    EXPECT_EQ(std::memcmp(a.bits, w.bits, a.Bytes()), 0);
    SIZE sa{}, sw{};
    GetTextExtentPoint32A(a.dc, ansi, 11, &sa);
    GetTextExtentPoint32W(a.dc, wide, 11, &sw);
    EXPECT_EQ(sa.cx, sw.cx);
}

TEST(Text, HostileCallsEndQuicklyAndFailCleanly) {
    for (LONG height : {INT_MIN, INT_MAX, 0, -1, 1000000}) {
        Page p(Font("Times-Roman", height));
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(p.dc, &tm));
        for (int x : {INT_MIN, -100000, 3, INT_MAX}) EXPECT_TRUE(TextOutA(p.dc, x, x, "Hostile text", 12));
    }
    const std::string longText(1000000, 'W');
    Page p(Font("Helvetica", -30));
    SIZE s{}, one{};
    EXPECT_TRUE(GetTextExtentPoint32A(p.dc, longText.data(), static_cast<int>(longText.size()), &s));
    GetTextExtentPoint32A(p.dc, "W", 1, &one);
    EXPECT_EQ(s.cx, one.cx * 1000000);
    EXPECT_TRUE(TextOutA(p.dc, -5000000, 10, longText.data(), static_cast<int>(longText.size())));
    const WCHAR lone[] = {0xD800, u'A', 0xDC00};
    EXPECT_TRUE(TextOutW(p.dc, 0, 0, lone, 3));
    EXPECT_FALSE(TextOutA(p.dc, 0, 0, "x", -1));
    EXPECT_FALSE(TextOutA(HDC::FromRaw(0x4321), 0, 0, "x", 1));
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
}

}  // namespace
}  // namespace aldra::test
