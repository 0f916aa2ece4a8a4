#include "eps/Siblings.h"

#include <cstring>

#include "base/Path.h"

namespace aldra {

void SplitSiblingPath(const char* path, std::string* directory, uint8_t* name, uint32_t nameCapacity) {
    SplitPath(path, directory, name, nameCapacity);
    bool hasSeparator = std::strpbrk(path, "/\\") != nullptr;
    if (directory != nullptr && !hasSeparator) directory->assign(1, '.');
}

}  // namespace aldra
