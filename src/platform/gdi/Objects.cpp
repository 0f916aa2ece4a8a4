#include "platform/gdi/Objects.h"

#include <cstring>

#include "platform/gdi/ObjectTable.h"

namespace aldra {

HGDIOBJ GetStockObject(int index) {
    if (gdi::Stock(index) == nullptr) return nullptr;
    return HGDIOBJ::FromRaw(gdi::StockHandle(index));
}

BOOL DeleteObject(HGDIOBJ object) {
    const gdi::Object* o = gdi::Find(object.Raw());
    if (o == nullptr) return FALSE;
    if (o->kind == gdi::Kind::ScreenDc || o->kind == gdi::Kind::MemoryDc) return FALSE;
    if (o->stock) return TRUE;
    if (o->selections > 0) return FALSE;
    gdi::Recycle(gdi::Remove(object.Raw()));
    return TRUE;
}

int GetObject(HGDIOBJ object, int size, void* buffer) {
    const gdi::Object* o = gdi::Find(object.Raw(), gdi::Kind::Bitmap);
    if (o == nullptr || size < 0) return 0;
    if (buffer == nullptr) return static_cast<int>(sizeof(BITMAP));
    if (static_cast<size_t>(size) < sizeof(BITMAP)) return 0;
    const gdi::BitmapData& b = o->bitmap;
    const BITMAP bm{
        0, b.width, b.height, static_cast<LONG>(b.stride), 1, static_cast<WORD>(b.bitsPerPixel), b.bits};
    std::memcpy(buffer, &bm, sizeof bm);
    return static_cast<int>(sizeof bm);
}

}  // namespace aldra
