// Runs the aldra-eps program as a user would, with its own registry folder, and collects what it says.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace aldra::testing {

struct ProgramResult {
    int exitCode = -1;  // -1 when the program did not end normally
    std::string out, err;
};

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline size_t CountLines(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

// A program with its own registry and TMPDIR (so that what it leaves there can be checked).
class Host {
  public:
    // Starts the program without waiting; its output goes to files in `scratch`.
    pid_t Start(const std::vector<std::string>& args) const {
        pid_t pid = fork();
        if (pid != 0) return pid;
        setenv("ALDRA_REGISTRY_DIR", registry.path().c_str(), 1);
        setenv("TMPDIR", temp.path().c_str(), 1);
        if (fileSizeLimit >= 0) {  // stands in for a full disk
            rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        }
        // Sanitizer reports must fail the test, not hide in a file.
        dup2(output >= 0 ? output : open(scratch.File("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
             STDOUT_FILENO);
        dup2(open(scratch.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
        if (uid >= 0 && (setgid(static_cast<gid_t>(uid)) != 0 || setuid(static_cast<uid_t>(uid)) != 0))
            _exit(126);
        std::vector<std::string> copy = args;
        copy.insert(copy.begin(), ALDRA_HOST_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProgramResult Wait(pid_t pid) const {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0) {
        }
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWhole(scratch.File("stdout")),
                ReadWhole(scratch.File("stderr"))};
    }
    ProgramResult Run(const std::vector<std::string>& args) const { return Wait(Start(args)); }

    TempDir registry;
    TempDir scratch;
    TempDir temp;                  // the program's TMPDIR
    long long fileSizeLimit = -1;  // bytes a file of the program may grow to; -1 for no limit
    int uid = -1;                  // the user (and group) the program runs as; -1 for this one
    std::string cwd;               // the program's working folder; "" for this one
    int output = -1;               // the program's standard output (a terminal, say); -1 for a file
};

// As root, the program runs as nobody, for whom permissions count; everything it uses is handed over.
inline void RunAsSomeoneElse(Host* host, const TempDir& files) {
    constexpr uid_t kNobody = 65534;
    if (geteuid() != 0) return;
    host->uid = static_cast<int>(kNobody);
    for (const TempDir* dir :
         std::initializer_list<const TempDir*>{&files, &host->registry, &host->scratch, &host->temp}) {
        lchown(dir->path().c_str(), kNobody, kNobody);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir->path()))
            lchown(entry.path().c_str(), kNobody, kNobody);
    }
}

}  // namespace aldra::testing
