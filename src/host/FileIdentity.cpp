#include "host/FileIdentity.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace aldra::host {

int64_t MtimeNs(const struct stat& info) {
    return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

FileStamp StampOf(const struct stat& info) {
    return {static_cast<int64_t>(info.st_size), MtimeNs(info), static_cast<int64_t>(info.st_dev),
            static_cast<int64_t>(info.st_ino), 0};
}

int64_t HeadHash(const std::string& path) {
    // Non-blocking, so that a FIFO put where the file was cannot hold the run.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return 0;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return 0;
    }
    std::vector<unsigned char> head(kHeadHashBytes);
    size_t filled = 0;
    while (filled < head.size()) {
        ssize_t got = ::read(fd, head.data() + filled, head.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<size_t>(got);
    }
    ::close(fd);
    // FNV-1a: quick, and collisions only matter among files that already share size and time.
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < filled; ++i) hash = (hash ^ head[i]) * 1099511628211ull;
    return hash == 0 ? 1 : static_cast<int64_t>(hash);
}

bool IsMovedFile(const StoredFile& row, const std::string& path, FileStamp* found) {
    const FileStamp& was = row.stamp;
    if (was.size != found->size || was.mtimeNs != found->mtimeNs) return false;
    // A file system hands a freed inode to the next new file at once, so the inode alone proves
    // nothing: with the content's stamp it does, and saves reading the head.
    if (was.inode != 0 && was.device == found->device && was.inode == found->inode) return true;
    if (was.headHash == 0) return false;
    if (found->headHash == 0) found->headHash = HeadHash(path);
    return found->headHash == was.headHash;
}

}  // namespace aldra::host
