// The property frame: a modal dialog with one tab per property page class, OK, Cancel and Apply,
// whose pages show the objects handed to it. Page classes are found by their class identifiers
// among those registered in the process.
#pragma once
#include <cstdint>

#include "platform/com/Com.h"
#include "platform/oleui/PropertyPage.h"

namespace aldra {

using PropertyPageFactory = PropertyPage* (*)();

void RegisterPropertyPageClass(const CLSID& clsid, PropertyPageFactory factory);

// S_OK once the user closed the frame (with OK, Cancel or the window's close box); E_INVALIDARG without
// objects or pages, REGDB_E_CLASSNOTREG for a page class nobody registered, E_FAIL when no dialog can be
// shown. `caption` names the objects; null gives a frame titled "Properties".
HRESULT OleCreatePropertyFrame(QWidget* owner, uint32_t x, uint32_t y, const OLECHAR* caption,
                               uint32_t objectCount, IUnknown** objects, uint32_t pageCount,
                               const CLSID* pages, LCID lcid);

}  // namespace aldra
