#include <new>
#include <vector>

#include "platform/gdi/Drawing.h"
#include "platform/gdi/Paint.h"
#include "platform/gdi/Strokes.h"

namespace aldra {
namespace {

// The points in device coordinates; false when memory runs out.
bool ToDevicePoints(const gdi::DcData& dc, const POINT* points, int count,
                    std::vector<gdi::DevicePoint>* out) {
    try {
        out->resize(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < count; ++i)
        (*out)[static_cast<size_t>(i)] = gdi::ToDevice(dc, points[i].x, points[i].y);
    return true;
}

}  // namespace

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr) return FALSE;
    if (previous != nullptr) *previous = POINT{context->dc.positionX, context->dc.positionY};
    context->dc.positionX = x;
    context->dc.positionY = y;
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* position) {
    const gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr || position == nullptr) return FALSE;
    *position = POINT{context->dc.positionX, context->dc.positionY};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    gdi::Painter painter;
    if (!painter.Open(dc)) return FALSE;
    gdi::DcData& c = painter.Context();
    const gdi::DevicePoint ends[2] = {gdi::ToDevice(c, c.positionX, c.positionY), gdi::ToDevice(c, x, y)};
    gdi::StrokePath(painter, ends, 2, false);
    c.positionX = x;
    c.positionY = y;
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    if (points == nullptr || count < 2) return FALSE;
    gdi::Painter painter;
    std::vector<gdi::DevicePoint> device;
    if (!painter.Open(dc) || !ToDevicePoints(painter.Context(), points, count, &device)) return FALSE;
    gdi::StrokePath(painter, device.data(), device.size(), false);
    return TRUE;
}

}  // namespace aldra
