#include "host/Scratch.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string_view>

namespace aldra::host {

namespace {

// The pid in a name `prefix`<pid>-..., or 0 when the name is not of that form.
pid_t PidInName(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) != 0) return 0;
    const char* begin = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    pid_t pid = 0;
    auto [stop, ec] = std::from_chars(begin, end, pid);
    return ec == std::errc() && stop != begin && stop != end && *stop == '-' && pid > 0 ? pid : 0;
}

bool ProcessIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Empties and removes the folder `name` in `parent`, through its descriptor and never through a link,
// and only if it is this user's: a name in a shared folder may have been swapped for a link to a
// folder elsewhere since it was looked at, and another user's scratch is that user's to remove.
void RemoveOwnFolderAt(int parent, const char* name) {
    int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info {};
    DIR* dir = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view file = entry->d_name;
        if (file != "." && file != "..") ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace

std::string MakeScratchFolder(const std::string& parent, const std::string& prefix) {
    std::string pattern =
        (parent.empty() ? std::string(".") : parent) + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void RemoveScratchFolder(const std::string& folder) {
    if (!folder.empty()) RemoveOwnFolderAt(AT_FDCWD, folder.c_str());
}

void RemoveStaleScratchFolders(const std::string& parent, const std::string& prefix) {
    DIR* dir = ::opendir(parent.empty() ? "." : parent.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        pid_t pid = PidInName(entry->d_name, prefix);
        if (pid > 0 && ProcessIsGone(pid)) RemoveOwnFolderAt(::dirfd(dir), entry->d_name);
    }
    ::closedir(dir);
}

}  // namespace aldra::host
