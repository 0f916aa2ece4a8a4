// A sliding read window over a file opened for reading. Parsers walk the file through a cursor
// into the window and ask the reader to make n bytes available at the cursor before they look at
// them. Invariant: file offset of the cursor = fileSize - beyondWindow - windowSize + (cursor -
// window), and window <= cursor <= window + held. Window bytes past the end of the file are stale:
// the end is found by comparing the cursor's offset with fileSize, never by what is read.
// A file larger than the window has only the first piece of its first window read at the opening,
// since most readings need only the file's head; the rest is read when the cursor is to go past it.
#pragma once
#include <cstdint>

#include "base/Block.h"
#include "base/File.h"
#include "base/Result.h"

namespace aldra {

inline constexpr uint32_t kStandardWindow = 32768;

struct FileReader {
    FileHandle file = kInvalidFile;
    uint64_t fileSize = 0;
    int64_t beyondWindow = 0;  // file bytes after the window's end; negative once it reaches past the end
    BlockPtr window;
    uint32_t windowSize = 0;  // min(file size, requested); never changes
    // Window bytes read; below windowSize only while the first window is not read in full, and the
    // file's own position then stands at the first byte not held.
    uint32_t held = 0;
    uint8_t* cursor = nullptr;
    // Taken before the first read, so that a caller can later tell whether what it read still
    // describes the file; all zero (not regular) for anything but a regular file.
    FileStamp stamp;
};

Status ReaderOpen(const char* path, FileReader* reader, uint8_t** cursor, uint32_t requested);
// The bytes held from the cursor on, which may be looked at without asking the reader first.
inline uint32_t ReaderHeldAhead(const uint8_t* cursor, const FileReader* reader) {
    return static_cast<uint32_t>(reader->window.get() + reader->held - cursor);
}

// A window that held the file's first bytes, kept after its reader closed with the stamp of the
// version it was read from, so that a later reading of that version need not read them again.
struct KeptWindow {
    BlockPtr bytes;
    uint32_t size = 0;
    uint32_t held = 0;
    FileStamp stamp;
};
// Takes the reader's window when it holds the first bytes of a regular file; else `kept` is empty.
void ReaderKeepFirstWindow(FileReader* reader, KeptWindow* kept);
// ReaderOpen that takes the kept window instead of reading the same bytes again when the file it
// opens is still the version they were read from. `kept` is used up either way.
Status ReaderOpenKept(const char* path, FileReader* reader, uint8_t** cursor, uint32_t requested,
                      KeptWindow* kept);
void ReaderClose(FileReader* reader);
Status ReaderSeek(uint64_t offset, uint8_t** cursor, FileReader* reader);
uint64_t ReaderTell(const uint8_t* cursor, const FileReader* reader);
// 1000 when n exceeds the window, without any change.
Status ReaderEnsure(uint8_t** cursor, uint32_t n, FileReader* reader);
Status ReaderRead(uint8_t** cursor, FileReader* reader, void* destination, uint64_t count);

}  // namespace aldra
