// Counts the objects and server locks alive in this module, so DllCanUnloadNow can tell the host
// whether the library may be unloaded.
#pragma once

namespace aldra {

class ModuleLock {
  public:
    static void Add();
    static void Remove();
    static long Count();
};

}  // namespace aldra
