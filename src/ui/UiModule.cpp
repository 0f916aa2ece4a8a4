// The dialogs module's one entry: the control loads the module when it first shows a dialog and asks it
// for its hooks. The module links its own copies of the lower rooms, so the control hands over how to
// find the resource module in force, which each dialog then uses for its texts.
#include "control/UiHooks.h"
#include "platform/resources/Resources.h"
#include "ui/PropertyFrameEntry.h"
#include "ui/SetupPropertySheet.h"

namespace aldra {

namespace {

ResourceModuleInForce resourcesOfControl = nullptr;

void TakeControlResources() {
    if (resourcesOfControl != nullptr) SetResourceHandle(resourcesOfControl());
}

bool RunSheetHook(const std::string& caption, FilterSettings* edited) {
    TakeControlResources();
    return RunSetupSheet(caption, edited);
}

HRESULT ShowFrameHook(CFilterCtrl* control) {
    TakeControlResources();
    return ShowFilterPropertyFrame(control);
}

}  // namespace

}  // namespace aldra

extern "C" __attribute__((visibility("default"))) void AldraInstallUiHooks(
    aldra::UiHooks* hooks, aldra::ResourceModuleInForce resources) {
    aldra::resourcesOfControl = resources;
    aldra::RegisterFilterPropertyPages();
    hooks->runSetupSheet = &aldra::RunSheetHook;
    hooks->showPropertyFrame = &aldra::ShowFrameHook;
}
