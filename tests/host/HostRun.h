// Runs the aldra-eps program as a user would, with its own registry folder, and collects what it says.
#pragma once
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
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
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Starts the program; stdout goes to `outFd` when given (for tests that watch it live), else to a file.
// A file size limit (bytes, -1 for none) stands in for a full disk. TMPDIR is the test's own folder,
// so that what the program leaves there can be checked.
inline pid_t StartProgram(const std::vector<std::string>& args, const std::string& registry,
                          const std::string& tmpDir, int outFd, const std::string& errPath,
                          const std::string& cwd = "", long long fileSizeLimit = -1) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (fileSizeLimit >= 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    setenv("ALDRA_REGISTRY_DIR", registry.c_str(), 1);
    setenv("TMPDIR", tmpDir.c_str(), 1);
    // Sanitizer reports must fail the test, not hide in a file.
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(outFd, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    std::string program = ALDRA_HOST_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

inline int WaitProgram(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A program run with its own registry; the registry folder lives as long as the object.
class Host {
  public:
    ProgramResult Run(const std::vector<std::string>& args, const std::string& cwd = "") const {
        std::string outPath = scratch.File("stdout"), errPath = scratch.File("stderr");
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = StartProgram(args, registry.path(), temp.path(), out, errPath, cwd, fileSizeLimit);
        close(out);
        ProgramResult result;
        result.exitCode = WaitProgram(pid);
        result.out = ReadWhole(outPath);
        result.err = ReadWhole(errPath);
        return result;
    }
    TempDir registry;
    TempDir scratch;
    TempDir temp;  // the program's TMPDIR
    long long fileSizeLimit = -1;
};

inline size_t CountLines(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

}  // namespace aldra::testing
