// Path helpers. Paths that come out of EPS comments were written on Windows or the classic Mac,
// so both '/' and '\' separate directories; the last of either wins.
#pragma once
#include <cstdint>
#include <string>

namespace aldra {

// Either output may be null. Without a separator the directory is empty and the name is the path.
void SplitPath(const char* path, std::string* directory, uint8_t* name, uint32_t nameCapacity);
// fullPath = directory + "/" + name; true when something exists there. fullPath is filled in either way.
bool FileExistsIn(const std::string& directory, const uint8_t* name, std::string* fullPath);

}  // namespace aldra
