// The filter module the program uses, and registers on first use: the one installed beside it, or,
// in a build folder, the one it was built with.
#pragma once
#include <string>

namespace aldra::host {

// `installedRelative` is the path from the program's folder to an installed module; `built` the
// module of the build. The first that exists wins; `built` when neither does.
std::string BundledModulePath(const std::string& programPath, const std::string& installedRelative,
                              const std::string& built);

// The running program's own path ("" when it cannot be told).
std::string OwnProgramPath();

// The module this program brings, by the paths it was built with; never another install's.
std::string DefaultModulePath();

}  // namespace aldra::host
