// The toolkit's application object, made on first need when the host has none. Without a display the
// toolkit would end the process, so the display is looked for first.
#pragma once
#include <string>

namespace aldra {

// Empty when a display can be reached (or a platform is named in QT_QPA_PLATFORM); otherwise why not.
std::string MissingDisplayReason();

// True when an application object exists or has been made; otherwise *whyNot (may be null) says why.
bool EnsureApplication(std::string* whyNot);

}  // namespace aldra
