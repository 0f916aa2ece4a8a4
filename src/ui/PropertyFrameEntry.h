// The property frame of an attached file: the general, OPI and placed-files pages, which read the
// control's properties by name.
#pragma once
#include "platform/com/Com.h"

namespace aldra {

class CFilterCtrl;

// Makes the three page classes known to the property frame; done once when the dialogs are loaded.
void RegisterFilterPropertyPages();
HRESULT ShowFilterPropertyFrame(CFilterCtrl* control);

}  // namespace aldra
