// Where the control meets its dialogs. The dialogs live in a separate module that is loaded only when
// one is shown, so that quick tests, attaching and thumbnails never pay for the toolkit's start-up.
// Until such a module installs its hooks, the control answers without a window.
#pragma once
#include <string>

#include "control/FilterSettings.h"
#include "platform/com/Com.h"

namespace aldra {

class CFilterCtrl;

struct UiHooks {
    // Runs the setup sheet modally on a copy of the settings (fields in their record order); true when
    // the user left it with OK, the copy then holding the edited values.
    bool (*runSetupSheet)(const std::string& caption, FilterSettings* edited) = nullptr;
    // Shows the property pages of the attached file; the property frame's result.
    HRESULT (*showPropertyFrame)(CFilterCtrl* control) = nullptr;
    void (*showAboutBox)() = nullptr;
};

UiHooks& CurrentUiHooks();

}  // namespace aldra
