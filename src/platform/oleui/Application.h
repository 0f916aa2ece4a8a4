// The toolkit's application object, made on first need when the host has none. Without a display the
// toolkit would end the process, so the display is opened first (DisplayProbe.h).
#pragma once
#include <string>

namespace aldra {

// True when an application object exists or has been made; otherwise *whyNot (may be null) says why.
bool EnsureApplication(std::string* whyNot);

}  // namespace aldra
