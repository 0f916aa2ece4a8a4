// What `aldra-eps --version` says: the program, the filter module it uses with that module's path, and
// the libraries that read and write the pictures and the catalogue.
#pragma once
#include <string>

namespace aldra::host {

// The module is loaded to ask its name and version, never registered.
std::string VersionText(const std::string& modulePath);

}  // namespace aldra::host
