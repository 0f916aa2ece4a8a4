// The GDI drawing calls as the artwork renderer makes them, into a 256 x 256 8-bit grey target:
// filled and stroked paths of flattened curves, and short text runs.
// Target: 100,000 path segments and 5,000 text runs well inside 100 ms together.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace {

using namespace aldra;

struct GreyTarget {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ previous;
    GreyTarget() {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info{};
        info.header = BITMAPINFOHEADER{40, 256, 256, 1, 8, BI_RGB, 0, 0, 0, 256, 0};
        for (int i = 0; i < 256; ++i) info.colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        void* bits = nullptr;
        bitmap =
            CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~GreyTarget() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

// 1,000 closed curves of 100 segments each, wandering over the target.
std::vector<std::vector<POINT>> Paths() {
    std::vector<std::vector<POINT>> paths(1000);
    for (size_t p = 0; p < paths.size(); ++p) {
        const double cx = static_cast<double>((p * 37) % 256), cy = static_cast<double>((p * 91) % 256);
        for (int i = 0; i < 100; ++i) {
            const double a = i * 0.0628, r = 10 + 30 * std::fabs(std::sin(a * 3 + static_cast<double>(p)));
            paths[p].push_back(POINT{LONG(cx + r * std::cos(a)), LONG(cy + r * std::sin(a))});
        }
    }
    return paths;
}

void BM_Paths(benchmark::State& state) {
    GreyTarget t;
    const auto paths = Paths();
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (size_t p = 0; p < paths.size(); ++p) {
            HPEN pen = CreatePen(PS_SOLID, width, RGB(0, 0, 0));
            HBRUSH brush = CreateSolidBrush(RGB(BYTE(p), BYTE(p), BYTE(p)));
            HGDIOBJ oldPen = SelectObject(t.dc, pen), oldBrush = SelectObject(t.dc, brush);
            Polygon(t.dc, paths[p].data(), static_cast<int>(paths[p].size()));
            DeleteObject(SelectObject(t.dc, oldBrush));
            DeleteObject(SelectObject(t.dc, oldPen));
        }
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Paths)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_TextRuns(benchmark::State& state) {
    GreyTarget t;
    LOGFONTA f{};
    f.lfHeight = -9;
    std::strcpy(f.lfFaceName, "Helvetica");
    SetBkMode(t.dc, TRANSPARENT);
    for (auto _ : state) {
        for (int i = 0; i < 5000; ++i) {
            HFONT font = CreateFontIndirectA(&f);
            HGDIOBJ old = SelectObject(t.dc, font);
            TEXTMETRICA tm;
            GetTextMetricsA(t.dc, &tm);
            TextOutA(t.dc, (i * 13) % 256 - 20, (i * 7) % 256 - tm.tmAscent, "Artwork text", 12);
            DeleteObject(SelectObject(t.dc, old));
        }
    }
    state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_TextRuns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
