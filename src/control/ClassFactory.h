// The module's class factories, one static object per class, found by class identifier.
#pragma once
#include "platform/com/Com.h"

namespace aldra {

// The factory of a class of this module with an added reference, or CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetClassFactory(REFCLSID clsid, REFIID iid, void** out);

}  // namespace aldra
