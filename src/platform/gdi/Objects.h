// The calls common to every GDI object: stock objects, description and deletion.
#pragma once
#include "platform/gdi/GdiTypes.h"

namespace aldra {

// Stock brushes, pens and SYSTEM_FONT; null for other indices. Deleting one is a no-op that succeeds.
HGDIOBJ GetStockObject(int index);
// FALSE for a stale handle and for an object still selected into a context (Windows leaves that
// undefined; here it stays alive and usable).
BOOL DeleteObject(HGDIOBJ object);
// A bitmap fills a BITMAP (size >= sizeof(BITMAP)); with a null buffer, the size that would be
// written. Returns the bytes written, 0 on failure and for other objects.
int GetObject(HGDIOBJ object, int size, void* buffer);

}  // namespace aldra
