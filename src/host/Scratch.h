// Scratch folders: where the filter writes a file before the host takes it (a worker's thumbnail, a
// conversion renamed over its target afterwards). Each carries the pid of the process that made it,
// so that what a killed process left behind is found and removed by the next one.
#pragma once
#include <string>

namespace aldra::host {

// A fresh folder `parent`/`prefix`<pid>-XXXXXX; empty (errno set) when none can be made.
std::string MakeScratchFolder(const std::string& parent, const std::string& prefix);
// Removes the folder and the files in it (nothing deeper is ever made there).
void RemoveScratchFolder(const std::string& folder);
// Removes every `prefix`<pid>-* folder in `parent` whose process no longer runs.
void RemoveStaleScratchFolders(const std::string& parent, const std::string& prefix);

}  // namespace aldra::host
