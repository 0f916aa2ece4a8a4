#include "base/FileReader.h"

#include <utility>

#include "base/Block.h"
#include "base/Bytes.h"

namespace aldra {

namespace {
int64_t WindowStart(const FileReader* reader) {
    return static_cast<int64_t>(reader->fileSize) - reader->windowSize - reader->beyondWindow;
}

// Most readings look only at a file's head: a DOS EPS file's text, a Photoshop EPS file's header and
// image resources. Reading the whole first window for them would copy four times what they use.
constexpr uint32_t kFirstPiece = 8192;

// Reads count bytes at `at`. A file that shrank since its size was taken leaves them short, and a
// failed read leaves them undefined; the end test still goes by the size taken, so what a parser
// then looks at must at least be defined.
Status ReadDefined(FileHandle file, uint32_t count, uint8_t* at) {
    uint32_t got = 0;
    Status status = FileRead(file, count, at, &got);
    if (status != kOk) got = 0;
    if (got < count) ZeroBytes(at + got, count - got);
    return status;
}

// A file no larger than the window is read whole at once: nothing is saved by reading it in two.
Status ReadFirstWindow(FileHandle file, uint64_t fileSize, uint32_t windowSize, BlockPtr* window,
                       uint32_t* held) {
    if (AllocBlockForOverwrite(windowSize, window) != kOk) return kErrMemory;
    const bool largerFile = fileSize > windowSize && windowSize > kFirstPiece;
    *held = largerFile ? kFirstPiece : windowSize;
    return ReadDefined(file, *held, window->get());
}

// Reads the rest of the first window, from where the first piece's read left the file's position.
Status FillWindow(FileReader* reader) {
    const uint32_t held = reader->held;
    reader->held = reader->windowSize;
    return ReadDefined(reader->file, reader->windowSize - held, reader->window.get() + held);
}
}  // namespace

Status ReaderOpen(const char* path, FileReader* reader, uint8_t** cursor, uint32_t requested) {
    KeptWindow none;
    return ReaderOpenKept(path, reader, cursor, requested, &none);
}

void ReaderKeepFirstWindow(FileReader* reader, KeptWindow* kept) {
    *kept = KeptWindow{};
    if (!reader->stamp.regular || reader->window == nullptr || WindowStart(reader) != 0) return;
    kept->bytes = std::move(reader->window);
    kept->size = reader->windowSize;
    kept->held = reader->held;
    kept->stamp = reader->stamp;
    reader->window = nullptr;
    reader->cursor = nullptr;
}

Status ReaderOpenKept(const char* path, FileReader* reader, uint8_t** cursor, uint32_t requested,
                      KeptWindow* kept) {
    KeptWindow earlier = std::move(*kept);
    *kept = KeptWindow{};
    *reader = FileReader{};
    FileHandle file;
    // A regular file's stamp holds its size: no calls to find the end.
    FileStamp stamp;
    Status status = FileOpenStamped(path, kFileRead, &file, &stamp);
    if (status != kOk) return status;
    const uint64_t size = stamp.size;
    const uint32_t windowSize = size < requested ? static_cast<uint32_t>(size) : requested;
    BlockPtr window;
    uint32_t held = 0;
    if (earlier.bytes != nullptr && earlier.size == windowSize && earlier.stamp == stamp) {
        // Reads go on from the end of what the window holds.
        window = std::move(earlier.bytes);
        held = earlier.held;
        status = FileSeek(file, held);
    } else {
        status = ReadFirstWindow(file, size, windowSize, &window, &held);
    }
    // On the failure paths the close's own result adds nothing to the failure reported.
    if (status != kOk) {
        (void)FileClose(file);
        return status;
    }
    reader->file = file;
    reader->stamp = stamp;
    reader->fileSize = size;
    reader->window = std::move(window);
    reader->windowSize = windowSize;
    reader->held = held;
    reader->beyondWindow = static_cast<int64_t>(size - windowSize);
    reader->cursor = reader->window.get();
    *cursor = reader->cursor;
    return kOk;
}

void ReaderClose(FileReader* reader) {
    // Nothing was written through the handle, so closing it can lose nothing worth reporting.
    if (reader->file != kInvalidFile) (void)FileClose(reader->file);
    *reader = FileReader{};
}

uint64_t ReaderTell(const uint8_t* cursor, const FileReader* reader) {
    return static_cast<uint64_t>(WindowStart(reader) + (cursor - reader->window.get()));
}

Status ReaderSeek(uint64_t offset, uint8_t** cursor, FileReader* reader) {
    // Offsets taken from file data may point past the end; the cursor then stops at the end, so
    // that it never leaves the window and the end-of-file test holds.
    if (offset > reader->fileSize) offset = reader->fileSize;
    int64_t start = WindowStart(reader);
    auto target = static_cast<int64_t>(offset);
    if (target >= start && target < start + reader->windowSize) {
        // The cursor never stands on bytes not read yet.
        Status status = target - start < reader->held ? kOk : FillWindow(reader);
        *cursor = reader->window.get() + (target - start);
        return status;
    }
    // Reload a full window that lies inside the file.
    uint64_t lastStart = reader->fileSize - reader->windowSize;
    uint64_t newStart = offset < lastStart ? offset : lastStart;
    Status status = FileSeek(reader->file, newStart);
    if (status == kOk) status = FileRead(reader->file, reader->windowSize, reader->window.get());
    reader->held = reader->windowSize;
    reader->beyondWindow = static_cast<int64_t>(reader->fileSize - reader->windowSize - newStart);
    *cursor = reader->window.get() + (offset - newStart);
    return status;
}

Status ReaderEnsure(uint8_t** cursor, uint32_t n, FileReader* reader) {
    if (n > reader->windowSize) return kErrMemory;
    const uint32_t available = ReaderHeldAhead(*cursor, reader);
    if (available >= n) return kOk;
    // Bytes that fit in a first window not read in full are read into it, so that it stays the
    // first window and can be kept.
    const auto shift = static_cast<uint32_t>(*cursor - reader->window.get());
    if (shift + n <= reader->windowSize) return FillWindow(reader);
    // Slide: keep the unread rest, and read on from where the last read stopped, the end of what is
    // held, straight behind it.
    MoveBytes(*cursor, reader->window.get(), available);
    const uint32_t freeSpace = reader->windowSize - available;
    const int64_t afterHeld = reader->beyondWindow + (reader->windowSize - reader->held);
    const uint64_t beyond = afterHeld < 0 ? UINT64_MAX : static_cast<uint64_t>(afterHeld);
    const uint32_t toRead = beyond < freeSpace ? static_cast<uint32_t>(beyond) : freeSpace;
    reader->beyondWindow -= shift;
    reader->held = reader->windowSize;
    Status status = kOk;
    if (toRead > 0) status = FileRead(reader->file, toRead, reader->window.get() + available);
    *cursor = reader->window.get();
    return status;
}

Status ReaderRead(uint8_t** cursor, FileReader* reader, void* destination, uint64_t count) {
    auto* dst = static_cast<uint8_t*>(destination);
    while (count > 0) {
        uint32_t piece = count < reader->windowSize ? static_cast<uint32_t>(count) : reader->windowSize;
        if (piece == 0) return kErrMemory;
        Status status = ReaderEnsure(cursor, piece, reader);
        if (status != kOk) return status;
        MoveBytes(*cursor, dst, piece);
        *cursor += piece;
        dst += piece;
        count -= piece;
    }
    return kOk;
}

}  // namespace aldra
