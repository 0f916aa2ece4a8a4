#include "platform/oleui/Application.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cstdlib>
#include <string_view>

namespace aldra {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// A Wayland session without X: the toolkit goes to X unless told otherwise, and ends the process
// when its Wayland plugin is missing.
bool OnlyWayland() {
    return IsSet("WAYLAND_DISPLAY") && !IsSet("DISPLAY") && !IsSet("QT_QPA_PLATFORM");
}

bool HasWaylandPlugin() {
    QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

}  // namespace

std::string MissingDisplayReason() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::string_view named = platform != nullptr ? platform : "";
    if (named.starts_with("xcb") && !IsSet("DISPLAY"))
        return "no X display: QT_QPA_PLATFORM is xcb but DISPLAY is not set";
    if (named.starts_with("wayland") && !IsSet("WAYLAND_DISPLAY"))
        return "no Wayland display: QT_QPA_PLATFORM is wayland but WAYLAND_DISPLAY is not set";
    if (OnlyWayland() && !HasWaylandPlugin())
        return "no usable display: WAYLAND_DISPLAY is set but Qt's Wayland platform plugin is not installed "
               "(Debian: qt6-wayland), and DISPLAY is not set";
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
    static char name[] = "aldra-eps";
    static char platformOption[] = "-platform";
    static char wayland[] = "wayland";
    static char* argv[] = {name, platformOption, wayland, nullptr};
    static int argc = OnlyWayland() ? 3 : 1;
    new QApplication(argc, argv);
    return true;
}

}  // namespace aldra
