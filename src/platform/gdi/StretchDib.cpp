#include "platform/gdi/StretchDib.h"

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

}  // namespace aldra
