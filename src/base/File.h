// The file layer: POSIX calls wrapped so that they return the system's result codes. Opens take an
// advisory flock: shared for reading, exclusive for writing, so a file that another process writes
// through this layer cannot be read at the same time (a holder that lets go within a second is waited
// for). Only regular files open; anything else (a folder, a named pipe, a device) is refused with 2006
// without waiting for it.
#pragma once
#include <cstdint>

#include "base/Result.h"

namespace aldra {

using FileHandle = int;
inline constexpr FileHandle kInvalidFile = -1;

enum FileMode : int { kFileRead = 0, kFileWrite = 1, kFileReadWrite = 2 };

// The one place errno becomes a result code:
//   ENOENT for the file itself          -> 2008 file not found
//   ENOENT for a folder of the path,
//   ENOTDIR                             -> 2004 path not found
//   EACCES, EPERM, a held lock          -> 2006 access denied
//   EEXIST                              -> 2011 file exists
//   EROFS                               -> 2012 drive locked
//   EMFILE, ENFILE                      -> 2014 too many open files
//   ENOSPC, EDQUOT                      -> 2018 disk full
//   anything else                       -> 2000
// `path`, when given, tells a missing file from a missing folder.
Status MapSystemError(int error, const char* path = nullptr);

Status FileCreateNew(const char* path);
Status FileOpen(const char* path, int mode, FileHandle* handle);
Status FileClose(FileHandle handle);
// A short read at the end of the file is not an error; `got`, when given, receives the count read.
Status FileRead(FileHandle handle, uint32_t count, void* buffer, uint32_t* got = nullptr);
// The same from `offset`, leaving the file position where it was for the reads that go on from it.
Status FileReadAt(FileHandle handle, uint64_t offset, uint32_t count, void* buffer, uint32_t* got = nullptr);
Status FileWrite(FileHandle handle, uint32_t count, const void* buffer);
Status FileGetSize(FileHandle handle, uint64_t* size);
Status FileSetSize(FileHandle handle, uint64_t size);
Status FileSeek(FileHandle handle, uint64_t offset);
Status FileDelete(const char* path);

// What tells one state of a file from a later one without reading it: the file's identity, its
// size and its modification and change times to the nanosecond. A rewrite that keeps the size and
// falls within one tick of the file system's clock goes unnoticed.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;
    bool regular = false;  // only a regular file's size is its length
    bool operator==(const FileStamp&) const = default;
};
Status FileStampOf(FileHandle handle, FileStamp* stamp);
// FileOpen that also gives the stamp of what it opened, from the same inquiry that found it a regular
// file, made once the lock is held.
Status FileOpenStamped(const char* path, int mode, FileHandle* handle, FileStamp* stamp);
Status PathStamp(const char* path, FileStamp* stamp);
// Whether the file at `path` is still the version `stamp` was taken of.
bool StillStamped(const char* path, const FileStamp& stamp);

}  // namespace aldra
