// Whether a dialog can be shown at all. The toolkit ends the whole process when it cannot open the
// display it was pointed at (a DISPLAY without a server, a Wayland socket without the toolkit's Wayland
// plugin, an unknown QT_QPA_PLATFORM), so the display is opened here first, without the toolkit: the
// host program asks before it loads the filter, the dialogs ask before they make the application.
#pragma once
#include <string>

namespace aldra {

struct DisplayChoice {
    std::string platform;  // the toolkit platform to ask for; empty: the toolkit's own choice
    std::string problem;   // empty when a dialog can be shown; otherwise why not, for the user
};

// `pluginDir` is the toolkit's folder of platform plugins; empty: the one the project was built with.
DisplayChoice ChooseDisplay(const std::string& pluginDir = {});

}  // namespace aldra
