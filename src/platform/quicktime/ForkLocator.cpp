#include "platform/quicktime/ForkLocator.h"

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/FileReader.h"
#include "platform/quicktime/ForkContainers.h"

namespace aldra::qt {

namespace {

// Enough for a MacBinary header and an AppleDouble header with a dozen entries.
constexpr uint32_t kProbeWindow = 512;
// How many folders up an archive's __MACOSX folder is looked for.
constexpr int kArchiveLevels = 3;

enum class Container { kAppleDouble, kMacBinary, kWholeFile };

// The place's fork span; false when the file is not there or holds no fork.
bool FindSpan(FileReader* reader, uint8_t** cursor, Container container, ForkSpan* span) {
    switch (container) {
        case Container::kAppleDouble:
            return FindAppleDoubleFork(reader, cursor, span);
        case Container::kMacBinary:
            return FindMacBinaryFork(reader, cursor, span);
        case Container::kWholeFile:
            if (reader->fileSize == 0 || reader->fileSize > UINT32_MAX) return false;
            *span = {0, static_cast<uint32_t>(reader->fileSize)};
            return true;
    }
    return false;
}

Status ReadSpan(FileReader* reader, uint8_t** cursor, const ForkSpan& span, BlockPtr* fork, uint32_t* size) {
    if (span.length > kMaxForkBytes) return kErrFormat;
    BlockPtr bytes;
    Status status = AllocBlockForOverwrite(span.length, &bytes);
    if (status == kOk) status = ReaderSeek(span.offset, cursor, reader);
    if (status == kOk) status = ReaderRead(cursor, reader, bytes.get(), span.length);
    if (status != kOk) return status;
    *fork = std::move(bytes);
    *size = span.length;
    return kOk;
}

// Most places hold nothing: one stat tells, where a failed open would cost the file layer's
// inquiry into which part of the path is missing as well.
bool IsRegularFile(const std::string& place) {
    struct stat info;
    return ::stat(place.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// kErrFileNotFound when the place holds no fork, so that the next place is tried. The container's
// header is looked at through a small window, since most places hold no fork; only a fork that is
// there is read through a full one.
Status ReadForkAt(const std::string& place, Container container, BlockPtr* fork, uint32_t* size) {
    FileReader reader;
    uint8_t* cursor = nullptr;
    if (container != Container::kMacBinary && !IsRegularFile(place)) return kErrFileNotFound;
    if (ReaderOpen(place.c_str(), &reader, &cursor, kProbeWindow) != kOk) return kErrFileNotFound;
    ForkSpan span;
    const bool found = FindSpan(&reader, &cursor, container, &span);
    ReaderClose(&reader);
    if (!found) return kErrFileNotFound;
    if (ReaderOpen(place.c_str(), &reader, &cursor, kStandardWindow) != kOk) return kErrFileNotFound;
    Status status = ReadSpan(&reader, &cursor, span, fork, size);
    ReaderClose(&reader);
    return status;
}

// Whether folder/__MACOSX may exist. Archives' companion folders are rare, and without this each
// file of a folder would look for one in each of its ancestors. A folder found without one is
// remembered for a moment: long enough for a run over the folder, short enough that one unpacked
// later is seen by the attaches that come a second after. Relative folders are not remembered, as
// the working folder they hang from may change.
class ArchiveFolderLooks {
  public:
    bool MayHold(const std::string& folder) {
        if (folder.empty() || folder[0] != '/') return FolderExists(folder + kArchiveFolder);
        // Controls in different threads of a host look for forks at the same time.
        std::lock_guard<std::mutex> hold(lock_);
        const Clock::time_point now = Clock::now();
        if (now - since_ > kTrusted || absent_.size() >= kMostRemembered) {
            absent_.clear();
            since_ = now;
        }
        if (absent_.count(folder)) return false;
        if (FolderExists(folder + kArchiveFolder)) return true;
        try {
            absent_.insert(folder);
        } catch (const std::bad_alloc&) {
            // Not remembered: the next file of the folder looks again.
        }
        return false;
    }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr const char* kArchiveFolder = "__MACOSX";
    static constexpr std::chrono::seconds kTrusted{1};
    static constexpr size_t kMostRemembered = 1024;

    static bool FolderExists(const std::string& place) {
        struct stat info;
        return ::stat(place.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    std::mutex lock_;
    std::set<std::string> absent_;
    Clock::time_point since_{};
};

ArchiveFolderLooks& TheArchiveFolderLooks() {
    static ArchiveFolderLooks looks;
    return looks;
}

// The companions an unzipped archive keeps for a file in one of its folders: the archive's
// __MACOSX folder at its top mirrors the folders, so for dir = top/sub1/sub2 it is
// top/__MACOSX/sub1/sub2/._name, for dir itself as top and each ancestor, nearest first. Tops
// without such a folder are left out.
std::vector<std::string> ArchiveCompanions(const std::string& folder, const std::string& name) {
    std::vector<std::string> places;
    ArchiveFolderLooks& looks = TheArchiveFolderLooks();
    if (looks.MayHold(folder)) places.push_back(folder + "__MACOSX/._" + name);
    // folder ends with '/' (or is empty); split = where the ancestor ends.
    size_t split = folder.empty() ? std::string::npos : folder.size() - 1;
    for (int level = 0; level < kArchiveLevels && split != std::string::npos && split > 0; ++level) {
        split = folder.rfind('/', split - 1);
        const size_t top = split == std::string::npos ? 0 : split + 1;
        if (looks.MayHold(folder.substr(0, top)))
            places.push_back(folder.substr(0, top) + "__MACOSX/" + folder.substr(top) + "._" + name);
    }
    return places;
}

}  // namespace

Status ReadResourceFork(const char* path, bool plainFile, BlockPtr* fork, uint32_t* size) {
    const char* slash = std::strrchr(path, '/');
    const std::string folder = slash ? std::string(path, slash + 1) : std::string();
    const std::string name = slash ? std::string(slash + 1) : std::string(path);
    if (name.empty()) return kErrFileNotFound;
    std::vector<std::pair<std::string, Container>> places = {{folder + "._" + name, Container::kAppleDouble}};
    for (std::string& companion : ArchiveCompanions(folder, name))
        places.emplace_back(std::move(companion), Container::kAppleDouble);
    if (!plainFile) {
        places.emplace_back(path, Container::kMacBinary);
        places.emplace_back(std::string(path) + "/..namedfork/rsrc", Container::kWholeFile);
    }
    for (const auto& [place, container] : places) {
        Status status = ReadForkAt(place, container, fork, size);
        if (status != kErrFileNotFound) return status;
    }
    return kErrFileNotFound;
}

}  // namespace aldra::qt
