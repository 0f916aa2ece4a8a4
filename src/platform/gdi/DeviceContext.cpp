#include "platform/gdi/DeviceContext.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>

#include "platform/gdi/Context.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/ObjectTable.h"

namespace aldra {
namespace {

constexpr long kMaxDpi = 10000;

int ScreenDpi() {
    const char* text = std::getenv("ALDRA_SCREEN_DPI");
    if (text == nullptr || *text == '\0') return kDefaultScreenDpi;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value <= 0 || value > kMaxDpi) return kDefaultScreenDpi;
    return static_cast<int>(value);
}

gdi::Object* FindDc(HDC dc) {
    gdi::Object* o = gdi::Find(dc.Raw());
    if (o == nullptr || (o->kind != gdi::Kind::ScreenDc && o->kind != gdi::Kind::MemoryDc)) return nullptr;
    return o;
}

HDC MakeDc(gdi::Kind kind, int dpiX, int dpiY) {
    std::unique_ptr<gdi::Object> o(new (std::nothrow) gdi::Object(kind));
    if (!o) return nullptr;
    o->dc.dpiX = dpiX;
    o->dc.dpiY = dpiY;
    if (kind == gdi::Kind::MemoryDc) {
        o->dc.bitmap = HBITMAP::FromRaw(gdi::DefaultBitmapHandle());
        o->dc.brush = HBRUSH::FromRaw(gdi::StockHandle(WHITE_BRUSH));
        o->dc.pen = HPEN::FromRaw(gdi::StockHandle(BLACK_PEN));
        o->dc.font = HFONT::FromRaw(gdi::StockHandle(SYSTEM_FONT));
    }
    return HDC::FromRaw(gdi::Insert(std::move(o)));
}

void Unselect(HGDIOBJ handle) {
    gdi::Object* o = gdi::Find(handle.Raw());
    if (o == nullptr) return;
    if (o->selections > 0) --o->selections;
    if (o->kind == gdi::Kind::Bitmap) o->bitmap.selectedInto = 0;
}

// MM_ISOTROPIC keeps one scale for both axes by shrinking the larger viewport extent.
void Isotropise(gdi::DcData& dc) {
    if (dc.mapMode != MM_ISOTROPIC) return;
    const int64_t wx = std::llabs(dc.windowExt.cx), wy = std::llabs(dc.windowExt.cy);
    const int64_t vx = std::llabs(dc.viewportExt.cx), vy = std::llabs(dc.viewportExt.cy);
    if (wx == 0 || wy == 0) return;
    if (vx * wy < vy * wx) {
        const int64_t ny = (vx * wy + wx / 2) / wx;
        dc.viewportExt.cy = static_cast<LONG>(dc.viewportExt.cy < 0 ? -ny : ny);
    } else if (vy * wx < vx * wy) {
        const int64_t nx = (vy * wx + wy / 2) / wy;
        dc.viewportExt.cx = static_cast<LONG>(dc.viewportExt.cx < 0 ? -nx : nx);
    }
}

// One of the two extents; MM_TEXT keeps both fixed at one to one.
BOOL SetExtent(HDC dc, SIZE gdi::DcData::*extent, int x, int y, SIZE* previous) {
    gdi::Object* o = FindDc(dc);
    if (o == nullptr) return FALSE;
    if (previous != nullptr) *previous = o->dc.*extent;
    if (o->dc.mapMode == MM_TEXT) return TRUE;
    if (x == 0 || y == 0) return FALSE;
    o->dc.*extent = SIZE{x, y};
    Isotropise(o->dc);
    return TRUE;
}

// Both operands are at least 0. Every coordinate of a picture goes through here, and a 128-bit
// division costs several times a 64-bit one, which suffices unless the product is enormous.
__int128 Quotient(__int128 magnitude, __int128 d) {
    if (magnitude <= UINT64_MAX) return static_cast<uint64_t>(magnitude) / static_cast<uint64_t>(d);
    return magnitude / d;
}

int64_t Scale(int64_t value, int64_t numerator, int64_t denominator) {
    // Equal extents map a value to itself (the half added is less than one step), which is how the
    // filter's targets are set up.
    if (numerator == denominator) return value;
    const __int128 product = static_cast<__int128>(value) * numerator;
    __int128 half = denominator / 2;
    if (half < 0) half = -half;
    // Rounds half away from zero, as MulDiv does.
    const bool negative = (product < 0) != (denominator < 0);
    const __int128 magnitude = (product < 0 ? -product : product) + half;
    const __int128 d = denominator < 0 ? -static_cast<__int128>(denominator) : denominator;
    const __int128 q = Quotient(magnitude, d);
    return static_cast<int64_t>(negative ? -q : q);
}

}  // namespace

namespace gdi {

DevicePoint ToDevice(const DcData& dc, int64_t x, int64_t y) {
    if (dc.mapMode == MM_TEXT) return {x, y};
    return {Scale(x, dc.viewportExt.cx, dc.windowExt.cx), Scale(y, dc.viewportExt.cy, dc.windowExt.cy)};
}

bool DrawingSurface(HDC dc, Object** context, Surface* surface) {
    Object* o = Find(dc.Raw(), Kind::MemoryDc);
    if (o == nullptr) return false;
    Object* bitmap = Find(o->dc.bitmap.Raw(), Kind::Bitmap);
    if (bitmap == nullptr || bitmap->bitmap.bits == nullptr) return false;
    *context = o;
    *surface = SurfaceOf(bitmap->bitmap);
    return true;
}

}  // namespace gdi

HDC GetDC(HWND) {
    const int dpi = ScreenDpi();
    return MakeDc(gdi::Kind::ScreenDc, dpi, dpi);
}

int ReleaseDC(HWND, HDC dc) {
    if (gdi::Find(dc.Raw(), gdi::Kind::ScreenDc) == nullptr) return 0;
    gdi::Remove(dc.Raw());
    return 1;
}

HDC CreateCompatibleDC(HDC dc) {
    if (!dc) {
        const int dpi = ScreenDpi();
        return MakeDc(gdi::Kind::MemoryDc, dpi, dpi);
    }
    gdi::Object* from = FindDc(dc);
    if (from == nullptr) return nullptr;
    return MakeDc(gdi::Kind::MemoryDc, from->dc.dpiX, from->dc.dpiY);
}

BOOL DeleteDC(HDC dc) {
    gdi::Object* o = FindDc(dc);
    if (o == nullptr) return FALSE;
    if (o->kind == gdi::Kind::MemoryDc) {
        Unselect(o->dc.bitmap);
        Unselect(o->dc.brush);
        Unselect(o->dc.pen);
        Unselect(o->dc.font);
    }
    gdi::Remove(dc.Raw());
    return TRUE;
}

int GetDeviceCaps(HDC dc, int index) {
    gdi::Object* o = FindDc(dc);
    if (o == nullptr) return 0;
    if (index == LOGPIXELSX) return o->dc.dpiX;
    if (index == LOGPIXELSY) return o->dc.dpiY;
    return 0;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    gdi::Object* o = gdi::Find(object.Raw());
    if (context == nullptr || o == nullptr) return nullptr;
    HGDIOBJ previous;
    switch (o->kind) {
        case gdi::Kind::Bitmap:
            if (context->dc.bitmap == HBITMAP(object)) return object;
            if (!o->stock && o->bitmap.selectedInto != 0) return nullptr;  // held by another context
            previous = context->dc.bitmap;
            Unselect(previous);
            context->dc.bitmap = HBITMAP(object);
            if (!o->stock) o->bitmap.selectedInto = dc.Raw();
            ++o->selections;
            return previous;
        case gdi::Kind::Brush:
            previous = context->dc.brush;
            break;
        case gdi::Kind::Pen:
            previous = context->dc.pen;
            break;
        case gdi::Kind::Font:
            previous = context->dc.font;
            break;
        case gdi::Kind::Region:
            // Windows answers with the region's kind in place of a handle.
            return HGDIOBJ::FromRaw(static_cast<uint32_t>(SelectClipRgn(dc, HRGN(object))));
        default:
            return nullptr;
    }
    if (previous == object) return previous;
    Unselect(previous);
    ++o->selections;
    if (o->kind == gdi::Kind::Brush) {
        context->dc.brush = HBRUSH(object);
    } else if (o->kind == gdi::Kind::Pen) {
        context->dc.pen = HPEN(object);
    } else {
        context->dc.font = HFONT(object);
    }
    return previous;
}

int SetMapMode(HDC dc, int mode) {
    gdi::Object* o = FindDc(dc);
    if (o == nullptr || (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC)) return 0;
    const int previous = o->dc.mapMode;
    o->dc.mapMode = mode;
    if (mode == MM_TEXT) {
        o->dc.windowExt = SIZE{1, 1};
        o->dc.viewportExt = SIZE{1, 1};
    }
    Isotropise(o->dc);
    return previous;
}

BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* previous) {
    return SetExtent(dc, &gdi::DcData::windowExt, x, y, previous);
}

BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* previous) {
    return SetExtent(dc, &gdi::DcData::viewportExt, x, y, previous);
}

int SetStretchBltMode(HDC dc, int mode) {
    gdi::Object* o = FindDc(dc);
    if (o == nullptr || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int previous = o->dc.stretchMode;
    o->dc.stretchMode = mode;
    return previous;
}

}  // namespace aldra
