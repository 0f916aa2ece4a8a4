#include "host/FolderWalk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "host/FileIdentity.h"

namespace aldra::host {

namespace {

std::string CannotList() {
    return std::string("cannot list the folder: ") + std::strerror(errno);
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Macintosh files copied or unpacked onto a Linux share keep their resource forks beside them: as
// `._name` next to `name`, or mirrored in an archive's `__MACOSX` folder. The filter reads the fork
// through the file itself, so a companion is no file of its own for the catalogue.
bool IsForkCompanion(const std::string& name, const std::set<std::string>& present) {
    if (name == "__MACOSX") return true;
    return name.size() > 2 && name.compare(0, 2, "._") == 0 && present.count(name.substr(2)) > 0;
}

// A changed fork (a new PICT preview) must make the file be read again, so the row's time is the
// latest of the file's and its companions' (beside it and in the folder's __MACOSX).
void TakeCompanionTime(int folderFd, const std::string& companion, FoundFile* file) {
    struct stat info {};
    if (::fstatat(folderFd, companion.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
        file->stamp.mtimeNs = std::max(file->stamp.mtimeNs, MtimeNs(info));
}

std::vector<std::string> ReadNames(DIR* dir, const std::string& path, std::vector<Trouble>* troubles) {
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
        errno = 0;
    }
    if (errno != 0) troubles->push_back({path, CannotList()});
    return names;
}

}  // namespace

FolderWalk::FolderWalk(std::vector<std::string> roots, std::set<std::string> skip)
    : roots_(std::move(roots)), skip_(std::move(skip)) {}

FolderWalk::~FolderWalk() {
    for (Frame& frame : stack_) ::closedir(frame.dir);
}

// Takes over the descriptor. A subfolder is kept for later (a linked one is not, so a link cycle
// cannot trap the walk), a regular file or a link to one is taken.
void FolderWalk::List(int folderFd, const std::string& path, FolderListing* listing) {
    listing->path = path;
    DIR* dir = ::fdopendir(folderFd);
    if (dir == nullptr) {
        listing->troubles.push_back({path, CannotList()});
        ::close(folderFd);
        return;
    }
    Frame frame;
    frame.dir = dir;
    frame.path = path;
    const std::vector<std::string> names = ReadNames(dir, path, &listing->troubles);
    const std::set<std::string> present(names.begin(), names.end());
    for (const std::string& name : names) {
        if (IsForkCompanion(name, present)) continue;
        const std::string full = Join(path, name);
        struct stat info {};
        if (::fstatat(::dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone
        if (S_ISDIR(info.st_mode)) {
            frame.subfolders.push_back(name);
            continue;
        }
        if (S_ISLNK(info.st_mode) && ::fstatat(::dirfd(dir), name.c_str(), &info, 0) != 0) continue;
        if (!S_ISREG(info.st_mode) || skip_.count(full)) continue;
        // The walk reaches such paths through folder descriptors, but the filter opens files by name.
        if (full.size() >= PATH_MAX) {
            listing->troubles.push_back({full, "the path is longer than the system allows (" +
                                                   std::to_string(full.size()) + " bytes)"});
            continue;
        }
        listing->files.push_back({full, StampOf(info)});
        if (present.count("._" + name)) TakeCompanionTime(::dirfd(dir), "._" + name, &listing->files.back());
        if (present.count("__MACOSX"))
            TakeCompanionTime(::dirfd(dir), "__MACOSX/._" + name, &listing->files.back());
    }
    stack_.push_back(std::move(frame));
}

bool FolderWalk::Next(FolderListing* listing) {
    *listing = FolderListing{};
    while (!stack_.empty()) {
        Frame& top = stack_.back();
        if (top.next == top.subfolders.size()) {
            ::closedir(top.dir);
            stack_.pop_back();
            continue;
        }
        const std::string& name = top.subfolders[top.next++];
        const std::string full = Join(top.path, name);
        int fd = ::openat(::dirfd(top.dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            listing->path = full;
            listing->troubles.push_back({full, CannotList()});
            return true;
        }
        List(fd, full, listing);
        return true;
    }
    if (nextRoot_ == roots_.size()) return false;
    const std::string& root = roots_[nextRoot_++];
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        listing->path = root;
        listing->troubles.push_back({root, CannotList()});
        return true;
    }
    List(fd, root, listing);
    return true;
}

}  // namespace aldra::host
