// Files that belong together (plates, layouts, samples) are found beside one another.
#pragma once
#include <cstdint>
#include <string>

namespace aldra {

// Like SplitPath, but a bare file name lies in the current directory ("."), so that joining the
// directory and another name never points at the file-system root by accident.
void SplitSiblingPath(const char* path, std::string* directory, uint8_t* name, uint32_t nameCapacity);

// True when `candidate` is a regular file that lies, after every link is followed, in `folder` or a
// folder below it. A name written in a file's text is followed only that far: a stranger's file must
// not make the filter read /etc/shadow or a pipe that never answers.
bool RegularFileWithin(const std::string& candidate, const std::string& folder);

}  // namespace aldra
