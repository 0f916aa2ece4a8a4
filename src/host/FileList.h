// The files a command reads from its operands: files as named, folders walked when asked to, taking
// the files whose extension is one of a list.
#pragma once
#include <string>
#include <vector>

namespace aldra::host {

struct FileListOptions {
    bool recursive = false;
    std::vector<std::string> extensions;  // lowercase, without dots
};

// "eps,.AI" as {"eps", "ai"}; false for a list that names no extension.
bool ParseExtensions(const std::string& list, std::vector<std::string>* extensions);

// Every operand that is not a folder, as given (whatever its extension); below each folder, with
// `recursive`, the regular files with one of the extensions, in name order. Links to folders are not
// followed, and AppleDouble companions (._name, __MACOSX) are not files of their own. A folder without
// `recursive`, or one that cannot be listed, adds a message to *problems.
std::vector<std::string> ListFiles(const std::vector<std::string>& operands, const FileListOptions& options,
                                   std::vector<std::string>* problems);

}  // namespace aldra::host
