#include "base/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace aldra {

namespace {

bool ParentFolderExists(const char* path) {
    std::string p(path);
    size_t slash = p.find_last_of('/');
    if (slash == std::string::npos) return true;
    std::string folder = slash == 0 ? "/" : p.substr(0, slash);
    struct stat info;
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int OpenFlags(int mode) {
    switch (mode) {
        case kFileRead:
            return O_RDONLY;
        case kFileWrite:
            return O_WRONLY;
        default:
            return O_RDWR;
    }
}

// Catalogue workers run side by side, and attaching one file opens its relatives for a moment (a DCS
// main file and its plates, OPI companions). A lock held that briefly is waited out; one held for
// longer than kLockPatienceMs means another program has the file, and the open is refused. Readers
// share the lock, so a catalogue reading a file never turns away someone looking at it.
constexpr int kLockPatienceMs = 1000;
constexpr int kLockRetryMs = 2;

Status LockFor(FileHandle fd, int mode) {
    const int kind = mode == kFileRead ? LOCK_SH : LOCK_EX;
    int waitedMs = 0;
    while (::flock(fd, kind | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return MapSystemError(errno);
        if (waitedMs >= kLockPatienceMs) return kErrAccess;
        ::usleep(kLockRetryMs * 1000);
        waitedMs += kLockRetryMs;
    }
    return kOk;
}

}  // namespace

Status MapSystemError(int error, const char* path) {
    switch (error) {
        case ENOENT:
            return (path != nullptr && !ParentFolderExists(path)) ? kErrPathNotFound : kErrFileNotFound;
        case ENOTDIR:
            return kErrPathNotFound;
        case EACCES:
        case EPERM:
            return kErrAccess;
        case EEXIST:
            return kErrExists;
        case EROFS:
            return kErrDriveLocked;
        case EMFILE:
        case ENFILE:
            return kErrTooManyFiles;
        case ENOSPC:
        case EDQUOT:
            return kErrDiskFull;
        default:
            return kErrSystem;
    }
}

Status FileCreateNew(const char* path) {
    int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return MapSystemError(errno, path);
    ::close(fd);
    return kOk;
}

namespace {

int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileStamp StampOf(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<uint64_t>(info.st_dev);
    stamp.inode = static_cast<uint64_t>(info.st_ino);
    stamp.size = static_cast<uint64_t>(info.st_size);
    stamp.modifiedNs = Nanoseconds(info.st_mtim);
    stamp.changedNs = Nanoseconds(info.st_ctim);
    stamp.regular = S_ISREG(info.st_mode);
    return stamp;
}

// Opening a named pipe or a device waits for its other side, so every open is non-blocking and
// what it opened is judged by the descriptor, not by the name, which may have been swapped since.
// Only regular files are files here; a folder, pipe, socket or device is refused as Windows refuses a
// folder. The flag stays on the descriptor: reads and writes of a regular file never wait on it, and
// clearing it cost every opening a system call. The descriptor is judged once its lock is held, so
// that the size and times it gives are those of the file that is then read, not of one a writer was
// changing.
Status OpenLockedRegularFile(const char* path, int mode, FileHandle* handle, struct stat* info) {
    int fd = ::open(path, OpenFlags(mode) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return MapSystemError(errno, path);
    Status status = LockFor(fd, mode);
    const bool regular = ::fstat(fd, info) == 0 && S_ISREG(info->st_mode);
    if (!regular) status = kErrAccess;
    if (status != kOk) {
        ::close(fd);
        return status;
    }
    *handle = fd;
    return kOk;
}

}  // namespace

Status FileOpen(const char* path, int mode, FileHandle* handle) {
    FileStamp stamp;
    return FileOpenStamped(path, mode, handle, &stamp);
}

Status FileOpenStamped(const char* path, int mode, FileHandle* handle, FileStamp* stamp) {
    *handle = kInvalidFile;
    if (mode < kFileRead || mode > kFileReadWrite) return kErrParam;
    struct stat info;
    Status status = OpenLockedRegularFile(path, mode, handle, &info);
    if (status == kOk) *stamp = StampOf(info);
    return status;
}

Status FileClose(FileHandle handle) {
    if (::close(handle) != 0) return MapSystemError(errno);
    return kOk;
}

namespace {

// Reads until `count` bytes or the end of the file: a read may return less than asked, and a signal
// may interrupt one. `readSome(done)` reads into the buffer from byte `done` on.
template <typename ReadSome>
Status ReadFully(ReadSome readSome, uint32_t count, uint32_t* got) {
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = readSome(done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (got) *got = done;
            return MapSystemError(errno);
        }
        if (n == 0) break;
        done += static_cast<uint32_t>(n);
    }
    if (got) *got = done;
    return kOk;
}

}  // namespace

Status FileRead(FileHandle handle, uint32_t count, void* buffer, uint32_t* got) {
    auto* dst = static_cast<uint8_t*>(buffer);
    return ReadFully([&](uint32_t done) { return ::read(handle, dst + done, count - done); }, count, got);
}

Status FileReadAt(FileHandle handle, uint64_t offset, uint32_t count, void* buffer, uint32_t* got) {
    auto* dst = static_cast<uint8_t*>(buffer);
    return ReadFully(
        [&](uint32_t done) {
            return ::pread(handle, dst + done, count - done, static_cast<off_t>(offset + done));
        },
        count, got);
}

Status FileWrite(FileHandle handle, uint32_t count, const void* buffer) {
    auto* src = static_cast<const uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = ::write(handle, src + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return MapSystemError(errno);
        }
        done += static_cast<uint32_t>(n);
    }
    return kOk;
}

Status FileGetSize(FileHandle handle, uint64_t* size) {
    *size = 0;
    off_t here = ::lseek(handle, 0, SEEK_CUR);
    if (here < 0) return kOk;
    off_t end = ::lseek(handle, 0, SEEK_END);
    if (::lseek(handle, here, SEEK_SET) < 0) return kErrSystem;
    if (end < 0) return MapSystemError(errno);
    *size = static_cast<uint64_t>(end);
    return kOk;
}

Status FileSetSize(FileHandle handle, uint64_t size) {
    off_t here = ::lseek(handle, 0, SEEK_CUR);
    if (::ftruncate(handle, static_cast<off_t>(size)) != 0) return MapSystemError(errno);
    if (here >= 0) ::lseek(handle, here, SEEK_SET);
    return kOk;
}

Status FileSeek(FileHandle handle, uint64_t offset) {
    if (::lseek(handle, static_cast<off_t>(offset), SEEK_SET) < 0) return MapSystemError(errno);
    return kOk;
}

Status FileDelete(const char* path) {
    if (::unlink(path) != 0) return MapSystemError(errno, path);
    return kOk;
}

Status FileStampOf(FileHandle handle, FileStamp* stamp) {
    struct stat info;
    if (::fstat(handle, &info) != 0) return MapSystemError(errno);
    *stamp = StampOf(info);
    return kOk;
}

Status PathStamp(const char* path, FileStamp* stamp) {
    struct stat info;
    if (::stat(path, &info) != 0) return MapSystemError(errno, path);
    *stamp = StampOf(info);
    return kOk;
}

bool StillStamped(const char* path, const FileStamp& stamp) {
    FileStamp now;
    return PathStamp(path, &now) == kOk && now == stamp;
}

}  // namespace aldra
