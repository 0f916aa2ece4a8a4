#include "host/Scratch.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

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

}  // namespace

std::string MakeScratchFolder(const std::string& parent, const std::string& prefix) {
    std::string pattern =
        (parent.empty() ? std::string(".") : parent) + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

void RemoveScratchFolder(const std::string& folder) {
    if (folder.empty()) return;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") ::unlink((folder + "/" + name).c_str());
        }
        ::closedir(dir);
    }
    ::rmdir(folder.c_str());
}

void RemoveStaleScratchFolders(const std::string& parent, const std::string& prefix) {
    std::string folder = parent.empty() ? std::string(".") : parent;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        pid_t pid = PidInName(entry->d_name, prefix);
        std::string path = folder + "/" + entry->d_name;
        struct stat info {};
        if (pid > 0 && ProcessIsGone(pid) && ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            RemoveScratchFolder(path);
    }
    ::closedir(dir);
}

}  // namespace aldra::host
