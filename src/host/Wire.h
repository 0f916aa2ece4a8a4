// What the catalogue's parent and its worker processes say to each other over pipes: length-prefixed
// frames, a job (a path) one way and the file's record the other.
#pragma once
#include <cstdint>
#include <string>

#include "host/FilterHost.h"

namespace aldra::host {

// Everything the catalogue stores for one file.
struct FileRecord {
    FileFacts facts;
    int64_t size = 0;
    int64_t mtimeNs = 0;
    int32_t thumbnailSize = 0;  // the size asked for; 0 when none was
    std::string thumbnail;      // PNG bytes, empty when there is none
    std::string thumbnailError;
};

// A frame is a 32-bit little-endian length and that many bytes. Writing retries short writes and EINTR;
// false on any failure (the other side is gone). Reading answers false at end of file or on a broken
// frame.
bool WriteFrame(int fd, const std::string& payload);
bool ReadFrame(int fd, std::string* payload);

std::string EncodeRecord(const FileRecord& record);
bool DecodeRecord(const std::string& bytes, FileRecord* record);

struct Job {
    std::string path;
    int32_t thumbnailSize = 0;
};
std::string EncodeJob(const Job& job);
bool DecodeJob(const std::string& bytes, Job* job);

}  // namespace aldra::host
