// The picture decoders read their colour tables from the module's resources, which a control records
// when its window is made. The targets that call the decoders directly record them once for the
// process and keep the tables, as a control does while it lives.
#pragma once
#include "platform/resources/Resources.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"

namespace aldra::fuzz {

inline void UseFilterResources() {
    static const bool ready = [] {
        SetResourceModule(OwnResourceModule());
        AcquireColourTables();
        return true;
    }();
    (void)ready;
}

}  // namespace aldra::fuzz
