#include "pdf/ReaderInputSource.h"

#include <cstdio>
#include <stdexcept>

namespace aldra {

namespace {

constexpr size_t kScanPiece = 1024;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

ReaderInputSource::ReaderInputSource(FileReader* reader, std::string name)
    : reader_(reader), name_(std::move(name)) {}

size_t ReaderInputSource::read(char* buffer, size_t length) {
    last_offset = static_cast<qpdf_offset_t>(position_);
    // A seek may have gone past the end; nothing is read there.
    if (position_ >= reader_->fileSize) return 0;
    const uint64_t left = reader_->fileSize - position_;
    const uint64_t count = length < left ? length : left;
    if (count == 0) return 0;
    Status status = ReaderSeek(position_, &reader_->cursor, reader_);
    if (status == kOk) status = ReaderRead(&reader_->cursor, reader_, buffer, count);
    // qpdf turns a failed read into its own exception, which its caller in this room catches.
    if (status != kOk) throw std::runtime_error("read error");
    position_ += count;
    return static_cast<size_t>(count);
}

void ReaderInputSource::seek(qpdf_offset_t offset, int whence) {
    int64_t base = whence == SEEK_END   ? static_cast<int64_t>(reader_->fileSize)
                   : whence == SEEK_CUR ? static_cast<int64_t>(position_)
                                        : 0;
    if (offset < 0 && offset < -base) throw std::runtime_error("seek before the start of the file");
    if (offset > 0 && offset > INT64_MAX - base) throw std::runtime_error("seek out of range");
    const int64_t target = base + offset;
    // Past the end reads nothing, as with a file; the reader's cursor never leaves the file.
    position_ = static_cast<uint64_t>(target);
}

void ReaderInputSource::unreadCh(char) {
    if (position_ > 0) --position_;
}

qpdf_offset_t ReaderInputSource::findAndSkipNextEOL() {
    char piece[kScanPiece];
    qpdf_offset_t lineEnd = -1;
    for (;;) {
        const uint64_t start = position_;
        const size_t got = read(piece, sizeof piece);
        if (got == 0) {
            if (lineEnd < 0) lineEnd = static_cast<qpdf_offset_t>(position_);
            return lineEnd;
        }
        size_t i = 0;
        if (lineEnd < 0) {
            while (i < got && !IsLineEnd(piece[i])) ++i;
            if (i == got) continue;
            lineEnd = static_cast<qpdf_offset_t>(start + i);
        }
        while (i < got && IsLineEnd(piece[i])) ++i;
        if (i < got) {
            position_ = start + i;
            return lineEnd;
        }
    }
}

}  // namespace aldra
