// Where the control meets its dialogs. The dialogs live in a separate module that is loaded only when
// one is shown, so that quick tests, attaching and thumbnails never pay for the toolkit's start-up.
// Until such a module installs its hooks, the control answers without a window.
#pragma once
#include <string>

#include "control/FilterSettings.h"
#include "platform/com/Com.h"
#include "platform/resources/Resources.h"

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

// The dialogs module lies beside the filter module (ALDRA_UI_MODULE names another) and exports one
// entry, which fills the hooks. The module links its own copy of the resource lookup, so it is told
// how to find the resource module in force.
inline constexpr const char* kUiModuleFile = "libaldra-eps-ui.so";
inline constexpr const char* kUiModuleVariable = "ALDRA_UI_MODULE";
inline constexpr const char* kUiModuleEntry = "AldraInstallUiHooks";
using ResourceModuleInForce = const ResourceModule* (*)();
using InstallUiHooks = void (*)(UiHooks* hooks, ResourceModuleInForce resources);

// Loads the dialogs module and takes its hooks, once per process; hooks already installed (by a
// program that links the dialogs in) are kept. False when the hooks are still missing.
bool LoadUiModule();

}  // namespace aldra
