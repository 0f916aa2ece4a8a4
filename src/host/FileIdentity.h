// What tells a catalogue that a file under a new name is one it knows, unchanged: its size and time,
// with the device and inode a rename keeps or, for a copy that kept its times, a hash of its head.
#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "host/CatalogStore.h"

namespace aldra::host {

inline constexpr size_t kHeadHashBytes = 64 * 1024;

int64_t MtimeNs(const struct stat& info);

// The stamp of a file as stat saw it, without its head's hash.
FileStamp StampOf(const struct stat& info);

// A 64-bit hash of the file's first 64 KiB, never 0; 0 when the file cannot be read.
int64_t HeadHash(const std::string& path);

// Whether `row`, whose file is gone, describes the file found at `path` moved there unchanged: the
// same size and time, and either the same device and inode or the same head. The head's hash is
// computed into *found when the answer needs it.
bool IsMovedFile(const StoredFile& row, const std::string& path, FileStamp* found);

}  // namespace aldra::host
