#include "platform/gdi/Objects.h"

#include <cstring>

#include "platform/gdi/ObjectTable.h"

namespace aldra {

HGDIOBJ GetStockObject(int index) {
    if (gdi::Stock(index) == nullptr) return nullptr;
    return HGDIOBJ::FromRaw(gdi::StockHandle(index));
}

DWORD GetObjectType(HANDLE handle) {
    const gdi::Object* o = gdi::Find(handle.Raw());
    if (o == nullptr) return 0;
    switch (o->kind) {
        case gdi::Kind::Bitmap:
            return OBJ_BITMAP;
        case gdi::Kind::Brush:
            return OBJ_BRUSH;
        case gdi::Kind::Pen:
            return OBJ_PEN;
        case gdi::Kind::ScreenDc:
            return OBJ_DC;
        case gdi::Kind::MemoryDc:
            return OBJ_MEMDC;
    }
    return 0;
}

BOOL DeleteObject(HGDIOBJ object) {
    const gdi::Object* o = gdi::Find(object.Raw());
    if (o == nullptr) return FALSE;
    if (o->kind != gdi::Kind::Bitmap && o->kind != gdi::Kind::Brush && o->kind != gdi::Kind::Pen)
        return FALSE;
    if (o->stock) return TRUE;
    if (o->selections > 0) return FALSE;
    gdi::Remove(object.Raw());
    return TRUE;
}

int GetObject(HGDIOBJ object, int size, void* buffer) {
    const gdi::Object* o = gdi::Find(object.Raw());
    if (o == nullptr || size < 0) return 0;
    switch (o->kind) {
        case gdi::Kind::Bitmap: {
            const gdi::BitmapData& b = o->bitmap;
            if (buffer == nullptr) return static_cast<int>(sizeof(DIBSECTION));
            if (static_cast<size_t>(size) < sizeof(BITMAP)) return 0;
            DIBSECTION ds{};
            ds.dsBm.bmType = 0;
            ds.dsBm.bmWidth = b.width;
            ds.dsBm.bmHeight = b.height;
            ds.dsBm.bmWidthBytes = static_cast<LONG>(b.stride);
            ds.dsBm.bmPlanes = 1;
            ds.dsBm.bmBitsPixel = static_cast<WORD>(b.bitsPerPixel);
            ds.dsBm.bmBits = b.bits;
            if (static_cast<size_t>(size) < sizeof(DIBSECTION)) {
                std::memcpy(buffer, &ds.dsBm, sizeof(BITMAP));
                return static_cast<int>(sizeof(BITMAP));
            }
            ds.dsBmih = b.header;
            std::memcpy(buffer, &ds, sizeof ds);
            return static_cast<int>(sizeof(DIBSECTION));
        }
        case gdi::Kind::Brush: {
            if (buffer == nullptr) return static_cast<int>(sizeof(LOGBRUSH));
            if (static_cast<size_t>(size) < sizeof(LOGBRUSH)) return 0;
            const LOGBRUSH lb{o->brush.hollow ? BS_NULL : BS_SOLID, o->brush.colour, 0};
            std::memcpy(buffer, &lb, sizeof lb);
            return static_cast<int>(sizeof(LOGBRUSH));
        }
        case gdi::Kind::Pen: {
            if (buffer == nullptr) return static_cast<int>(sizeof(LOGPEN));
            if (static_cast<size_t>(size) < sizeof(LOGPEN)) return 0;
            const LOGPEN lp{static_cast<UINT>(o->pen.style), POINT{o->pen.width, 0}, o->pen.colour};
            std::memcpy(buffer, &lp, sizeof lp);
            return static_cast<int>(sizeof(LOGPEN));
        }
        default:
            return 0;
    }
}

}  // namespace aldra
