#include "host/Wire.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace aldra::host {

namespace {

// Records carry thumbnails, which stay far below this; anything larger is a broken frame.
constexpr uint32_t kMaxFrame = 256u << 20;
// The filter names a few dozen facts at most; a count past this is a damaged record.
constexpr int64_t kMostDocumentFacts = 4096;

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

class Writer {
  public:
    void Int(int64_t v) {
        for (int i = 0; i < 8; ++i) out_ += static_cast<char>(static_cast<uint64_t>(v) >> (8 * i));
    }
    void Real(double v) {
        int64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Int(bits);
    }
    void Text(const std::string& s) {
        Int(static_cast<int64_t>(s.size()));
        out_ += s;
    }
    std::string Take() { return std::move(out_); }

  private:
    std::string out_;
};

class Reader {
  public:
    explicit Reader(const std::string& in) : in_(in) {}
    bool Int(int64_t* v) {
        if (in_.size() - pos_ < 8) return false;
        uint64_t u = 0;
        for (int i = 0; i < 8; ++i)
            u |= static_cast<uint64_t>(static_cast<uint8_t>(in_[pos_ + i])) << (8 * i);
        pos_ += 8;
        *v = static_cast<int64_t>(u);
        return true;
    }
    bool Int32(int32_t* v) {
        int64_t wide;
        if (!Int(&wide)) return false;
        *v = static_cast<int32_t>(wide);
        return true;
    }
    bool Real(double* v) {
        int64_t bits;
        if (!Int(&bits)) return false;
        std::memcpy(v, &bits, sizeof bits);
        return true;
    }
    bool Text(std::string* s) {
        int64_t size;
        if (!Int(&size) || size < 0 || static_cast<uint64_t>(size) > in_.size() - pos_) return false;
        s->assign(in_, pos_, static_cast<size_t>(size));
        pos_ += static_cast<size_t>(size);
        return true;
    }
    bool AtEnd() const { return pos_ == in_.size(); }

  private:
    const std::string& in_;
    size_t pos_ = 0;
};

}  // namespace

bool WriteFrame(int fd, const std::string& payload) {
    if (payload.size() > kMaxFrame) return false;
    // One write for the whole frame: a writer stopped between a header and its payload would leave
    // the reader blocked on the payload, past any time-out it keeps.
    uint32_t size = static_cast<uint32_t>(payload.size());
    std::string frame(4, '\0');
    for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>(size >> (8 * i));
    frame += payload;
    return WriteAll(fd, frame.data(), frame.size());
}

bool ReadFrame(int fd, std::string* payload) {
    char header[4];
    if (!ReadAll(fd, header, 4)) return false;
    uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= static_cast<uint32_t>(static_cast<uint8_t>(header[i])) << (8 * i);
    if (size > kMaxFrame) return false;
    payload->assign(size, '\0');
    return ReadAll(fd, payload->data(), size);
}

std::string EncodeRecord(const FileRecord& r) {
    const FileFacts& f = r.facts;
    Writer w;
    w.Text(f.path);
    w.Int(static_cast<int64_t>(f.status));
    w.Int(f.errorCode);
    w.Text(f.errorMessage);
    for (const std::string* s : {&f.format, &f.defaultExtension}) w.Text(*s);
    for (double d : {f.width, f.height, f.hResolution, f.vResolution}) w.Real(d);
    w.Int(f.kind);
    for (const std::string* s : {&f.creatingSoftware, &f.macType, &f.macSignature, &f.imageName, &f.user,
                                 &f.categories, &f.notes, &f.postScriptVersion, &f.epsfVersion})
        w.Text(*s);
    w.Int(f.epsfType);
    for (const std::string* s : {&f.fonts, &f.colors, &f.links}) w.Text(*s);
    w.Int(f.opiSystem);
    w.Text(f.opiHiResFileName);
    w.Text(f.formatRowMime);
    w.Int(r.size);
    w.Int(r.mtimeNs);
    w.Int(r.thumbnailSize);
    w.Text(r.thumbnail);
    w.Text(r.thumbnailError);
    w.Int(f.passing ? 1 : 0);
    w.Int(static_cast<int64_t>(f.documentFacts.size()));
    for (const auto& [name, value] : f.documentFacts) {
        w.Text(name);
        w.Text(value);
    }
    return w.Take();
}

bool DecodeRecord(const std::string& bytes, FileRecord* r) {
    FileFacts& f = r->facts;
    Reader in(bytes);
    int64_t status = 0;
    bool ok = in.Text(&f.path) && in.Int(&status) && in.Int32(&f.errorCode) && in.Text(&f.errorMessage);
    for (std::string* s : {&f.format, &f.defaultExtension}) ok = ok && in.Text(s);
    for (double* d : {&f.width, &f.height, &f.hResolution, &f.vResolution}) ok = ok && in.Real(d);
    ok = ok && in.Int32(&f.kind);
    for (std::string* s : {&f.creatingSoftware, &f.macType, &f.macSignature, &f.imageName, &f.user,
                           &f.categories, &f.notes, &f.postScriptVersion, &f.epsfVersion})
        ok = ok && in.Text(s);
    ok = ok && in.Int32(&f.epsfType);
    for (std::string* s : {&f.fonts, &f.colors, &f.links}) ok = ok && in.Text(s);
    ok = ok && in.Int32(&f.opiSystem) && in.Text(&f.opiHiResFileName) && in.Text(&f.formatRowMime);
    ok = ok && in.Int(&r->size) && in.Int(&r->mtimeNs) && in.Int32(&r->thumbnailSize) &&
         in.Text(&r->thumbnail) && in.Text(&r->thumbnailError);
    int64_t passing = 0;
    ok = ok && in.Int(&passing);
    f.passing = passing != 0;
    int64_t factCount = 0;
    ok = ok && in.Int(&factCount) && factCount >= 0 && factCount <= kMostDocumentFacts;
    f.documentFacts.clear();
    for (int64_t i = 0; ok && i < factCount; ++i) {
        std::string name, value;
        ok = in.Text(&name) && in.Text(&value);
        f.documentFacts.emplace_back(std::move(name), std::move(value));
    }
    if (!ok || !in.AtEnd() || status < 0 || status > static_cast<int64_t>(FileStatus::Failed)) return false;
    f.status = static_cast<FileStatus>(status);
    return true;
}

std::string EncodeJob(const Job& job) {
    Writer w;
    w.Text(job.path);
    w.Int(job.thumbnailSize);
    return w.Take();
}

bool DecodeJob(const std::string& bytes, Job* job) {
    Reader in(bytes);
    return in.Text(&job->path) && in.Int32(&job->thumbnailSize) && in.AtEnd();
}

}  // namespace aldra::host
