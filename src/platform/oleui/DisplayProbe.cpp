#include "platform/oleui/DisplayProbe.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace aldra {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The first platform QT_QPA_PLATFORM names, without its options ("xcb:option;wayland" gives "xcb").
std::string NamedPlatform() {
    std::string named = Variable("QT_QPA_PLATFORM");
    return named.substr(0, named.find_first_of(":;"));
}

// A folder that cannot be read says nothing: the toolkit may find its plugins elsewhere.
bool HasPlatformPlugin(const std::string& dir, const std::string& name) {
    std::error_code error;
    std::filesystem::directory_iterator entries(dir, error);
    if (error) return true;
    std::string prefix = "libq" + name;
    for (const auto& entry : entries) {
        std::string file = entry.path().filename().string();
        if (file.starts_with(prefix) && file.ends_with(".so")) return true;
    }
    return false;
}

// Opened as the toolkit opens it, with the same authorisation. libxcb is reached at run time, so that
// the host program does not load it for commands that show nothing; it stays loaded for the toolkit.
// A connection that opened stays open: were it the server's only client, closing it would reset the
// server (as a bare Xvfb does), which then turns the toolkit's own connection away for a moment.
bool XDisplayOpens(const std::string& display) {
    void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (xcb == nullptr) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    if (connect == nullptr || hasError == nullptr || disconnect == nullptr) return false;
    static std::string openedDisplay;
    if (!openedDisplay.empty() && openedDisplay == display) return true;
    void* connection = connect(display.c_str(), nullptr);
    if (connection == nullptr) return false;
    if (hasError(connection) == 0) {
        openedDisplay = display;
        return true;
    }
    disconnect(connection);
    return false;
}

// A compositor listens on a socket in the user's runtime folder (or at the absolute path given).
bool WaylandSocketAccepts(const std::string& display) {
    std::string runtime = Variable("XDG_RUNTIME_DIR");
    std::string path = display.starts_with('/') ? display : runtime.empty() ? "" : runtime + "/" + display;
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    bool accepted = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return accepted;
}

std::string WaylandProblem(const std::string& dir, const std::string& display) {
    if (display.empty()) return "WAYLAND_DISPLAY is not set";
    if (!HasPlatformPlugin(dir, "wayland"))
        return "WAYLAND_DISPLAY is set but Qt's Wayland platform plugin is not installed (Debian: "
               "qt6-wayland)";
    if (!WaylandSocketAccepts(display)) return "the Wayland display " + display + " cannot be reached";
    return {};
}

std::string XProblem(const std::string& display) {
    if (display.empty()) return "DISPLAY is not set";
    if (!XDisplayOpens(display)) return "the X display " + display + " cannot be opened";
    return {};
}

DisplayChoice Refused(const std::string& why) {
    return DisplayChoice{{}, "no display: " + why};
}

// QT_QPA_PLATFORM is the user's word: it is checked, never overruled.
DisplayChoice CheckNamedPlatform(const std::string& dir, const std::string& named) {
    if (named == "xcb") {
        std::string problem = XProblem(Variable("DISPLAY"));
        return problem.empty() ? DisplayChoice{} : Refused("QT_QPA_PLATFORM is xcb but " + problem);
    }
    if (named.starts_with("wayland")) {
        std::string problem = WaylandProblem(dir, Variable("WAYLAND_DISPLAY"));
        return problem.empty() ? DisplayChoice{} : Refused("QT_QPA_PLATFORM is " + named + " but " + problem);
    }
    if (HasPlatformPlugin(dir, named)) return {};
    return Refused("QT_QPA_PLATFORM names " + named + ", for which Qt has no platform plugin");
}

}  // namespace

DisplayChoice ChooseDisplay(const std::string& pluginDir) {
    std::string dir = pluginDir.empty() ? ALDRA_QT_PLATFORM_PLUGINS : pluginDir;
    std::string named = NamedPlatform();
    if (!named.empty()) return CheckNamedPlatform(dir, named);
    std::string x = Variable("DISPLAY");
    std::string wayland = Variable("WAYLAND_DISPLAY");
    if (x.empty() && wayland.empty()) return Refused("neither DISPLAY nor WAYLAND_DISPLAY is set");
    std::string xProblem = XProblem(x);
    std::string waylandProblem = WaylandProblem(dir, wayland);
    // With both at hand the toolkit's own choice works; with one, that one is asked for.
    if (xProblem.empty() && waylandProblem.empty()) return {};
    if (waylandProblem.empty()) return DisplayChoice{"wayland", {}};
    if (xProblem.empty()) return DisplayChoice{"xcb", {}};
    return Refused(xProblem + "; " + waylandProblem);
}

}  // namespace aldra
