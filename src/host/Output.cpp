#include "host/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/Scratch.h"

namespace aldra::host {

namespace {

constexpr const char* kScratchPrefix = ".aldra-eps-";

std::string FolderOf(const std::string& path) {
    std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? std::string(".") : parent;
}

// Renames without replacing: a file that appeared at `to` meanwhile is left alone (EEXIST).
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // File systems without the flag: a hard link refuses an existing name just the same.
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    ::unlink(from.c_str());
    return 0;
}

bool CopyToStandardOutput(const std::string& path) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return false;
    char buffer[65536];
    bool ok = true;
    for (size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        ok = std::fwrite(buffer, 1, n, stdout) == n;
    ok = ok && !std::ferror(in) && std::fflush(stdout) == 0;
    std::fclose(in);
    return ok;
}

}  // namespace

std::string OutputRefusal(const std::string& input, const std::string& out, bool force) {
    struct stat target {};
    if (::lstat(out.c_str(), &target) != 0)
        return errno == ENOENT ? std::string() : out + ": " + std::strerror(errno);
    if (!S_ISREG(target.st_mode)) return out + ": not a regular file; left alone";
    struct stat source {};
    if (::stat(input.c_str(), &source) == 0 && source.st_dev == target.st_dev &&
        source.st_ino == target.st_ino)
        return out + ": is the input file; left alone";
    if (!force) return out + ": already exists (--force replaces it)";
    return {};
}

ThumbnailOutcome WriteOutput(const std::string& input, const std::string& out, bool force,
                             const std::function<ThumbnailOutcome(const std::string& path)>& write) {
    if (std::string refusal = OutputRefusal(input, out, force); !refusal.empty())
        return {ThumbnailResult::Failed, refusal};
    std::string folder = FolderOf(out);
    RemoveStaleScratchFolders(folder, kScratchPrefix);
    std::string scratch = MakeScratchFolder(folder, kScratchPrefix);
    if (scratch.empty())
        return {ThumbnailResult::Failed, out + ": cannot write beside it: " + std::strerror(errno)};
    std::string temporary = scratch + "/output";
    ThumbnailOutcome outcome = write(temporary);
    if (outcome.result == ThumbnailResult::Failed) outcome.message = out + ": " + outcome.message;
    if (outcome.result == ThumbnailResult::Written) {
        // The target is judged again: it may have changed while the picture was made.
        if (std::string refusal = OutputRefusal(input, out, force); !refusal.empty())
            outcome = {ThumbnailResult::Failed, refusal};
        else if ((force ? std::rename(temporary.c_str(), out.c_str()) : RenameNoReplace(temporary, out)) != 0)
            outcome = {ThumbnailResult::Failed,
                       out + ": " +
                           (errno == EEXIST ? "appeared while it was made; left alone (--force replaces it)"
                                            : std::strerror(errno))};
    }
    RemoveScratchFolder(scratch);
    return outcome;
}

ThumbnailOutcome WriteToStandardOutput(
    const std::function<ThumbnailOutcome(const std::string& path)>& write) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
    RemoveStaleScratchFolders(folder, kScratchPrefix);
    std::string scratch = MakeScratchFolder(folder, kScratchPrefix);
    if (scratch.empty())
        return {ThumbnailResult::Failed,
                "cannot make a scratch folder in " + folder + ": " + std::strerror(errno)};
    std::string temporary = scratch + "/output";
    ThumbnailOutcome outcome = write(temporary);
    if (outcome.result == ThumbnailResult::Written && !CopyToStandardOutput(temporary))
        outcome = {ThumbnailResult::Failed,
                   std::string("cannot write to standard output: ") + std::strerror(errno)};
    RemoveScratchFolder(scratch);
    return outcome;
}

}  // namespace aldra::host
