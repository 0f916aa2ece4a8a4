#include "eps/Companions.h"

#include <algorithm>
#include <cstring>

#include "base/PString.h"
#include "base/Path.h"
#include "eps/Siblings.h"

namespace aldra {

namespace {

bool EndsWith(const uint8_t* name, const uint8_t* ending) {
    if (ending[0] == 0 || name[0] <= ending[0]) return false;
    return std::memcmp(name + 1 + name[0] - ending[0], ending + 1, ending[0]) == 0;
}

bool InLayoutsFolderBesideHiRes(const std::string& directory, const uint8_t* name) {
    std::string parent;
    PString folder;
    SplitSiblingPath(directory.c_str(), &parent, folder, sizeof folder);
    return PStrView(folder) == "layouts" && FileExistsIn(parent, name, nullptr);
}

}  // namespace

// Catalogues move between machines, so the high-resolution path written on the sample's machine
// (a Windows or Mac path) is tried as written, then with Unix separators, then as a file of that
// name beside the sample. The path comes from the file's text, so only a regular file counts, and
// unless the user allows more, only one in the sample's folder or below it.
std::string ResolveWrittenPath(const std::string& written, const char* samplePath, bool anywhere) {
    std::string directory;
    SplitSiblingPath(samplePath, &directory, nullptr, 0);
    auto relative = [&](const std::string& path) {
        return path.empty() || path[0] == '/' ? path : directory + "/" + path;
    };
    std::string unixStyle = written;
    std::replace(unixStyle.begin(), unixStyle.end(), '\\', '/');
    size_t cut = written.find_last_of("\\/:");
    std::string leaf = cut == std::string::npos ? written : written.substr(cut + 1);
    for (const std::string& candidate : {relative(written), relative(unixStyle), relative(leaf)}) {
        if (!candidate.empty() && RegularFileWithin(candidate, anywhere ? std::string("/") : directory))
            return candidate;
    }
    return {};
}

bool IsHeliosLayout(const char* path, const uint8_t* extension) {
    std::string directory;
    PString name;
    SplitSiblingPath(path, &directory, name, sizeof name);
    if (InLayoutsFolderBesideHiRes(directory, name)) return true;
    // An empty extension would make every file the layout of itself.
    if (!EndsWith(name, extension)) return false;
    PString hiRes;
    PStrSub(name, 1, name[0] - extension[0], hiRes, sizeof hiRes);
    return FileExistsIn(directory, hiRes, nullptr);
}

bool HasHeliosLayout(const char* path, const uint8_t* extension) {
    std::string directory;
    PString name;
    SplitSiblingPath(path, &directory, name, sizeof name);
    if (FileExistsIn(directory + "/layouts", name, nullptr)) return true;
    if (extension[0] == 0) return false;
    PString layout;
    PStrConcat(layout, sizeof layout, name, extension, nullptr);
    return FileExistsIn(directory, layout, nullptr);
}

std::string CompanionPathFromLine(const uint8_t* rest, const char* samplePath, bool anywhere) {
    char written[256];
    PStrToCDropLast(rest, written);
    return ResolveWrittenPath(written, samplePath, anywhere);
}

}  // namespace aldra
