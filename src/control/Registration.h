// What the module writes into HKEY_CLASSES_ROOT so that hosts find it, and takes out again: the type
// library, its interfaces, the control class with its ProgID and marker key, the property pages.
#pragma once
#include <string>

#include "platform/com/Com.h"

namespace aldra {

// The key under HKEY_CLASSES_ROOT by which filter managers recognise this filter.
std::string MarkerKeyPath();

// modulePath is what InprocServer32 will name. S_OK, SELFREG_E_TYPELIB or SELFREG_E_CLASS.
HRESULT RegisterFilterModule(const std::string& modulePath);
// Removes every key the registration wrote; keys already gone are no failure.
HRESULT UnregisterFilterModule();

}  // namespace aldra
