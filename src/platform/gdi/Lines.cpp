#include "platform/gdi/Context.h"
#include "platform/gdi/Drawing.h"

namespace aldra {

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
    return MoveToEx(dc, x, y, nullptr);
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    gdi::Object* context = nullptr;
    gdi::Surface s;
    return points != nullptr && count >= 2 && gdi::DrawingSurface(dc, &context, &s) ? TRUE : FALSE;
}

BOOL Polyline(HDC dc, const POINT* points, int count) {
    return Polygon(dc, points, count);
}

int SetPolyFillMode(HDC dc, int mode) {
    gdi::Object* context = gdi::Find(dc.Raw(), gdi::Kind::MemoryDc);
    if (context == nullptr || (mode != ALTERNATE && mode != WINDING)) return 0;
    const int previous = context->dc.polyFillMode;
    context->dc.polyFillMode = mode;
    return previous;
}

}  // namespace aldra
