#include "platform/gdi/StretchDib.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/gdi/Context.h"
#include "platform/gdi/StretchCore.h"

namespace aldra {
namespace {

// The destination span of one axis in device pixels: where the logical end points land, with the
// mapping's own direction folded into the mirroring.
bool DeviceAxis(int64_t from, int64_t to, gdi::Axis* axis) {
    bool reversed = false;
    if (!gdi::NormaliseExtent(from, to - from, &axis->destStart, &axis->destLength, &reversed)) return false;
    axis->mirror = reversed;
    return true;
}

}  // namespace

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                  DWORD rop) {
    if (rop != SRCCOPY || usage != DIB_RGB_COLORS || bits == nullptr) return 0;
    gdi::Object* context = nullptr;
    gdi::Surface dst;
    gdi::Surface src;
    if (!gdi::DrawingSurface(dc, &context, &dst) || !gdi::DescribeDib(info, bits, &src)) return 0;
    const int lines = srcHeight < 0 ? -srcHeight : srcHeight;
    if (destWidth == 0 || destHeight == 0 || srcWidth == 0 || srcHeight == 0) return lines;

    const gdi::DevicePoint p0 = gdi::ToDevice(context->dc, xDest, yDest);
    const gdi::DevicePoint p1 = gdi::ToDevice(context->dc, static_cast<int64_t>(xDest) + destWidth,
                                              static_cast<int64_t>(yDest) + destHeight);
    gdi::Axis ax{};
    gdi::Axis ay{};
    if (!DeviceAxis(p0.x, p1.x, &ax) || !DeviceAxis(p0.y, p1.y, &ay))
        return lines;  // collapsed by the mapping

    bool srcReversedX = false;
    bool srcReversedY = false;
    gdi::NormaliseExtent(xSrc, srcWidth, &ax.srcStart, &ax.srcLength, &srcReversedX);
    int64_t rowStart = 0;
    gdi::NormaliseExtent(ySrc, srcHeight, &rowStart, &ay.srcLength, &srcReversedY);
    // A bottom-up source counts ySrc from its bottom row, and its y axis points up: in device rows
    // (from the top) the span starts at height - end, and the direction turns.
    if (src.topDown) {
        ay.srcStart = rowStart;
    } else {
        ay.srcStart = src.height - (rowStart + ay.srcLength);
    }
    ax.mirror = ax.mirror != srcReversedX;
    ay.mirror = ay.mirror != srcReversedY;
    if (!gdi::Stretch(dst, src, ax, ay)) return 0;
    return lines;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
    if (rop != SRCCOPY) return FALSE;
    gdi::Object* dc = nullptr;
    gdi::Object* sc = nullptr;
    gdi::Surface dst;
    gdi::Surface from;
    if (!gdi::DrawingSurface(dest, &dc, &dst) || !gdi::DrawingSurface(src, &sc, &from)) return FALSE;
    if (width == 0 || height == 0) return TRUE;
    const gdi::DevicePoint p0 = gdi::ToDevice(dc->dc, x, y);
    const gdi::DevicePoint p1 =
        gdi::ToDevice(dc->dc, static_cast<int64_t>(x) + width, static_cast<int64_t>(y) + height);
    const gdi::DevicePoint s0 = gdi::ToDevice(sc->dc, xSrc, ySrc);
    gdi::Axis ax{};
    gdi::Axis ay{};
    if (!DeviceAxis(p0.x, p1.x, &ax) || !DeviceAxis(p0.y, p1.y, &ay)) return TRUE;
    // No stretching: the source span is as long as the destination's, from the mapped origin.
    ax.srcStart = ax.mirror ? s0.x - ax.destLength + 1 : s0.x;
    ay.srcStart = ay.mirror ? s0.y - ay.destLength + 1 : s0.y;
    ax.srcLength = ax.destLength;
    ay.srcLength = ay.destLength;
    ax.mirror = false;
    ay.mirror = false;

    // Within one bitmap the rows may overlap: read from a copy.
    std::unique_ptr<uint8_t, decltype(&std::free)> copy(nullptr, &std::free);
    if (from.bits == dst.bits) {
        const size_t bytes = static_cast<size_t>(from.stride) * static_cast<size_t>(from.height);
        copy.reset(static_cast<uint8_t*>(std::malloc(bytes)));
        if (!copy) return FALSE;
        std::memcpy(copy.get(), from.bits, bytes);
        from.bits = copy.get();
    }
    return gdi::Stretch(dst, from, ax, ay) ? TRUE : FALSE;
}

}  // namespace aldra
