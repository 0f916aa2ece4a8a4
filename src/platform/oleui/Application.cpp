#include "platform/oleui/Application.h"

#include <QApplication>
#include <cstdlib>
#include <string_view>

namespace aldra {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

std::string MissingDisplayReason() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::string_view named = platform != nullptr ? platform : "";
    if (named.starts_with("xcb") && !IsSet("DISPLAY"))
        return "no X display: QT_QPA_PLATFORM is xcb but DISPLAY is not set";
    if (named.starts_with("wayland") && !IsSet("WAYLAND_DISPLAY"))
        return "no Wayland display: QT_QPA_PLATFORM is wayland but WAYLAND_DISPLAY is not set";
    if (!named.empty() || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return {};
    return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
}

bool EnsureApplication(std::string* whyNot) {
    if (QApplication::instance() != nullptr) return true;
    std::string reason = MissingDisplayReason();
    if (!reason.empty()) {
        if (whyNot != nullptr) *whyNot = reason;
        return false;
    }
    // Made once for the life of the process: the dialogs module is never unloaded.
    static int argc = 1;
    static char name[] = "aldra-eps";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    return true;
}

}  // namespace aldra
