#include "host/ModulePath.h"

#include <filesystem>

#ifndef ALDRA_MODULE_FROM_PROGRAM
#define ALDRA_MODULE_FROM_PROGRAM "../lib/aldra/libaldra-eps.so"
#endif
#ifndef ALDRA_BUILT_MODULE
#define ALDRA_BUILT_MODULE "libaldra-eps.so"
#endif

namespace aldra::host {

namespace fs = std::filesystem;

std::string BundledModulePath(const std::string& programPath, const std::string& installedRelative,
                              const std::string& built) {
    std::error_code ec;
    if (!programPath.empty() && !installedRelative.empty()) {
        fs::path installed = fs::path(programPath).parent_path() / installedRelative;
        if (fs::is_regular_file(installed, ec)) return fs::weakly_canonical(installed, ec).string();
    }
    return built;
}

std::string OwnProgramPath() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string DefaultModulePath() {
    return BundledModulePath(OwnProgramPath(), ALDRA_MODULE_FROM_PROGRAM, ALDRA_BUILT_MODULE);
}

}  // namespace aldra::host
