// Files that belong together (plates, layouts, samples) are found beside one another.
#pragma once
#include <cstdint>
#include <string>

namespace aldra {

// Like SplitPath, but a bare file name lies in the current directory ("."), so that joining the
// directory and another name never points at the file-system root by accident.
void SplitSiblingPath(const char* path, std::string* directory, uint8_t* name, uint32_t nameCapacity);

}  // namespace aldra
