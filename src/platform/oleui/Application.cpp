#include "platform/oleui/Application.h"

#include <QApplication>
#include <QLibraryInfo>

#include "platform/oleui/DisplayProbe.h"

namespace aldra {

namespace {

std::string PlatformPluginDir() {
    return (QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms")).toStdString();
}

}  // namespace

bool EnsureApplication(std::string* whyNot) {
    if (QApplication::instance() != nullptr) return true;
    DisplayChoice choice = ChooseDisplay(PlatformPluginDir());
    if (!choice.problem.empty()) {
        if (whyNot != nullptr) *whyNot = choice.problem;
        return false;
    }
    // Made once for the life of the process: the dialogs module is never unloaded.
    static std::string platform = choice.platform;
    static char name[] = "aldra-eps";
    static char platformOption[] = "-platform";
    static char* argv[] = {name, platformOption, platform.data(), nullptr};
    static int argc = platform.empty() ? 1 : 3;
    new QApplication(argc, argv);
    return true;
}

}  // namespace aldra
