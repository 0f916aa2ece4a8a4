#include "base/Path.h"

#include <sys/stat.h>

#include <cstring>

#include "base/PString.h"

namespace aldra {

void SplitPath(const char* path, std::string* directory, uint8_t* name, uint32_t nameCapacity) {
    // Windows-1252 and UTF-8 never use the separator bytes inside a multibyte character, so a plain
    // backward byte search is safe.
    const char* last = nullptr;
    for (const char* p = path; *p != 0; ++p) {
        if (*p == '/' || *p == '\\') last = p;
    }
    if (directory != nullptr) *directory = last ? std::string(path, static_cast<size_t>(last - path)) : "";
    if (name != nullptr) PStrFromC(last ? last + 1 : path, name, nameCapacity);
}

bool FileExistsIn(const std::string& directory, const uint8_t* name, std::string* fullPath) {
    char leaf[260];
    PStrToC(name, leaf, sizeof leaf);
    std::string full = directory + "/" + leaf;
    struct stat info;
    bool exists = ::stat(full.c_str(), &info) == 0;
    if (fullPath != nullptr) *fullPath = std::move(full);
    return exists;
}

}  // namespace aldra
