#include "eps/Siblings.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/Path.h"

namespace aldra {

void SplitSiblingPath(const char* path, std::string* directory, uint8_t* name, uint32_t nameCapacity) {
    SplitPath(path, directory, name, nameCapacity);
    bool hasSeparator = std::strpbrk(path, "/\\") != nullptr;
    if (directory != nullptr && !hasSeparator) directory->assign(1, '.');
}

}  // namespace aldra

namespace aldra {

namespace {
std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}
}  // namespace

bool RegularFileWithin(const std::string& candidate, const std::string& folder) {
    struct stat info;
    if (::stat(candidate.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    std::string file = RealPath(candidate), root = RealPath(folder);
    if (file.empty() || root.empty()) return false;
    if (root != "/") root += '/';
    return file.size() > root.size() && file.compare(0, root.size(), root) == 0;
}

}  // namespace aldra
