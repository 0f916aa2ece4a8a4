#include "host/Catalog.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>

#include "host/CatalogStore.h"
#include "host/FileIdentity.h"
#include "host/FolderWalk.h"
#include "host/Report.h"
#include "host/Scratch.h"
#include "host/StoreLayers.h"
#include "host/Thumbnails.h"
#include "host/Wire.h"

namespace aldra::host {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr size_t kBatchRows = 200;
// How many files the walk finds ahead of the workers; more would only cost memory.
constexpr size_t kQueueAhead = 256;
// How many rows the search for vanished files holds at once.
constexpr size_t kRowsPerPage = 1000;
constexpr auto kBatchTime = std::chrono::seconds(1);
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
// A file the filter's process dies on twice is recorded as failed; once may be bad luck.
constexpr int kAttemptsPerFile = 2;
// The result code recorded for a file no worker gave an answer for: the system's "other system
// error".
constexpr int32_t kNoAnswerCode = 2000;

// How a worker's turn on a file ended without an answer. A crash may be bad luck and is retried; a
// file that took longer than the time-out would take as long again.
enum class WorkerEnd { kCrashed, kTimedOut };

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// A row is removed only for a file that is truly gone: a path that no longer names anything, or names
// something other than a file. A file that cannot be looked at (a folder without permission, a share
// that dropped) keeps its row.
bool TrulyGone(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return !S_ISREG(info.st_mode);
    return errno == ENOENT || errno == ENOTDIR;
}

// A row that an earlier run made for a fork companion, which the walk now leaves out.
bool IsCompanionPath(const std::string& path) {
    if (path.find("/__MACOSX/") != std::string::npos) return true;
    fs::path name = fs::path(path).filename();
    std::string text = name.string();
    struct stat info {};
    return text.size() > 2 && text.compare(0, 2, "._") == 0 &&
           ::stat((fs::path(path).parent_path() / text.substr(2)).c_str(), &info) == 0;
}

std::string EndDescription(int status) {
    if (WIFSIGNALED(status)) {
        const char* name = strsignal(WTERMSIG(status));
        return "signal " + std::to_string(WTERMSIG(status)) + (name ? std::string(" (") + name + ")" : "");
    }
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    return "unknown end";
}

std::string Duration(double seconds) {
    long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

// A worker process: reads jobs, answers records, ends at end of input. Its scratch folder (empty
// when none could be made) belongs to the parent, which removes it however the worker ends.
[[noreturn]] void WorkerMain(FilterSet& filters, int jobFd, int resultFd, const std::string& scratch) {
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
    const bool haveScratch = !scratch.empty();
    std::string frame;
    while (ReadFrame(jobFd, &frame)) {
        Job job;
        if (!DecodeJob(frame, &job)) break;
        FileRecord record;
        FilterControl* control = nullptr;
        bool thumbnail = job.thumbnailSize > 0;
        record.facts = ReadFileFacts(filters, job.path, thumbnail, &control, true);
        if (control != nullptr) {
            record.thumbnailSize = job.thumbnailSize;
            if (!haveScratch) {
                record.thumbnailError = "no scratch folder for thumbnails";
            } else {
                ThumbnailOutcome outcome =
                    ThumbnailPng(*control, record.facts, job.thumbnailSize, scratch, &record.thumbnail);
                // Why there is none is worth keeping: a file without a preview differs from a failure.
                if (outcome.result != ThumbnailResult::Written) record.thumbnailError = outcome.message;
            }
            control->Call("DetachFile");
        }
        if (!WriteFrame(resultFd, EncodeRecord(record))) break;
    }
    _exit(0);
}

constexpr const char* kWorkerScratchPrefix = "aldra-eps-worker-";

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

struct Worker {
    pid_t pid = -1;
    int jobFd = -1;
    int resultFd = -1;
    int job = -1;  // index into the work list, -1 when idle
    Clock::time_point started;
    std::string scratch;
};

class Run {
  public:
    // Pruning reads no file and has no filters.
    Run(const CatalogOptions& options, FilterSet* filters, CatalogStore& db)
        : options_(options), filters_(filters), db_(db) {}

    int Execute();
    int Prune();

  private:
    bool Spawn();
    void Retire(Worker& worker, bool kill);
    void Dispatch(Worker& worker);
    void Finish(int job, FileRecord record);
    void WorkerEnded(Worker& worker, WorkerEnd end, const std::string& why);
    void MaybeCommit(bool force);
    void Progress(bool final);
    void Log(const char* what, const std::string& path, const std::string& detail);
    void Warn(const std::string& message);
    bool Unchanged(const StoredFile& row, const FileStamp& found) const;
    void RestampIfUnknown(const StoredFile& row, FoundFile& file);
    bool TakeOverMovedRow(FoundFile& file);
    void TakeFolder(FolderListing& listing);
    bool WalkAhead(FolderWalk& walk);
    void RemoveGoneRows(const std::vector<std::string>& roots);
    void Summary(double seconds, bool interrupted);

    const CatalogOptions& options_;
    FilterSet* filters_;
    CatalogStore& db_;
    // A file to read, from when the walk finds it until its row is stored.
    struct WorkItem {
        FoundFile file;
        int attempts = 0;
    };
    std::unordered_map<int, WorkItem> work_;
    int nextItem_ = 0;
    size_t found_ = 0;  // files found to read
    size_t kept_ = 0;   // rows looked at for vanished files and kept
    std::deque<int> queue_;
    std::vector<Worker> workers_;
    size_t done_ = 0;
    size_t wantedWorkers_ = 1;
    bool fatal_ = false;
    bool terminal_ = false;
    bool progressShown_ = false;
    Clock::time_point start_, lastCommit_, lastProgress_;
    // The tallies of the summary.
    size_t accepted_ = 0, other_ = 0, unchanged_ = 0, moved_ = 0, removed_ = 0, thumbnails_ = 0;
    size_t elsewhere_ = 0;  // files another run filling the catalogue at once read instead
    std::map<std::string, size_t> refused_, failed_, withoutThumbnail_;
    size_t troubles_ = 0;  // folders and paths the walk could not take in
};

bool Run::Spawn() {
    int jobPipe[2], resultPipe[2];
    if (::pipe(jobPipe) != 0) return false;
    if (::pipe(resultPipe) != 0) {
        ::close(jobPipe[0]);
        ::close(jobPipe[1]);
        return false;
    }
    std::string scratch = MakeScratchFolder(TemporaryFolder(), kWorkerScratchPrefix);
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = ::fork();
    if (pid < 0) {
        for (int fd : {jobPipe[0], jobPipe[1], resultPipe[0], resultPipe[1]}) ::close(fd);
        RemoveScratchFolder(scratch);
        return false;
    }
    if (pid == 0) {
        // The other workers' pipes must close in here, or they would never see their end of input.
        for (Worker& other : workers_) {
            if (other.jobFd >= 0) ::close(other.jobFd);
            if (other.resultFd >= 0) ::close(other.resultFd);
        }
        ::close(jobPipe[1]);
        ::close(resultPipe[0]);
        WorkerMain(*filters_, jobPipe[0], resultPipe[1], scratch);
    }
    ::close(jobPipe[0]);
    ::close(resultPipe[1]);
    Worker worker;
    worker.pid = pid;
    worker.jobFd = jobPipe[1];
    worker.resultFd = resultPipe[0];
    worker.scratch = std::move(scratch);
    workers_.push_back(worker);
    return true;
}

// Ends a worker: closing its input lets an idle one leave by itself; a busy or stuck one is killed.
void Run::Retire(Worker& worker, bool kill) {
    if (kill && worker.pid > 0) ::kill(worker.pid, SIGKILL);
    if (worker.jobFd >= 0) ::close(worker.jobFd);
    if (worker.resultFd >= 0) ::close(worker.resultFd);
    int status = 0;
    if (worker.pid > 0) {
        while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    RemoveScratchFolder(worker.scratch);
    worker = Worker{};
}

// Hands the worker the next file this run may read; files other runs are reading or have read
// meanwhile are passed over.
void Run::Dispatch(Worker& worker) {
    int job = -1;
    while (job < 0 && !queue_.empty()) {
        job = queue_.front();
        queue_.pop_front();
        ClaimResult claim = ClaimResult::kMine;
        const FoundFile& file = work_[job].file;
        if (HostError error = db_.Claim(file.path, file.stamp, options_.thumbnailSize, &claim)) {
            Warn(error.message);
            fatal_ = true;
            queue_.push_front(job);
            return;
        }
        if (claim != ClaimResult::kMine) {
            ++elsewhere_;
            Log("elsewhere", file.path, claim == ClaimResult::kDone ? "read by another run" : "");
            work_.erase(job);
            job = -1;
        }
    }
    if (job < 0) return;
    worker.job = job;
    worker.started = Clock::now();
    if (!WriteFrame(worker.jobFd, EncodeJob({work_[job].file.path, options_.thumbnailSize}))) {
        // The worker was already gone; the file was not its fault.
        queue_.push_front(job);
        worker.job = -1;
        Retire(worker, true);
    }
}

void Run::Log(const char* what, const std::string& path, const std::string& detail) {
    if (options_.quiet || terminal_) return;
    std::printf("%-9s %s%s%s\n", what, TerminalText(path).c_str(), detail.empty() ? "" : ": ",
                TerminalText(detail).c_str());
}

void Run::Warn(const std::string& message) {
    std::fprintf(stderr, "aldra-eps: %s\n", TerminalText(message).c_str());
}

void Run::Finish(int job, FileRecord record) {
    const FileFacts& f = record.facts;
    switch (f.status) {
        case FileStatus::Accepted:
            ++accepted_;
            if (!record.thumbnail.empty())
                ++thumbnails_;
            else if (options_.thumbnailSize > 0)
                ++withoutThumbnail_[record.thumbnailError.empty() ? "no reason given"
                                                                  : record.thumbnailError];
            Log("accepted", f.path,
                record.thumbnailError.empty() ? "" : "thumbnail: " + record.thumbnailError);
            break;
        case FileStatus::Refused:
            ++refused_[f.errorMessage];
            Log("refused", f.path, f.errorMessage);
            break;
        case FileStatus::NotForFilter:
            ++other_;
            Log("other", f.path, "");
            break;
        case FileStatus::Failed:
            ++failed_[f.errorMessage];
            Log("failed", f.path, f.errorMessage);
            break;
    }
    FileStamp stamp = work_[job].file.stamp;
    work_.erase(job);
    stamp.headHash = HeadHash(f.path);
    if (HostError error = db_.Store(record, stamp, static_cast<int64_t>(std::time(nullptr)))) {
        Warn(error.message);
        fatal_ = true;
    }
    ++done_;
    MaybeCommit(false);
}

void Run::WorkerEnded(Worker& worker, WorkerEnd end, const std::string& why) {
    int job = worker.job;
    worker.job = -1;
    Retire(worker, true);
    if (job < 0) return;
    if (++work_[job].attempts < kAttemptsPerFile && end != WorkerEnd::kTimedOut) {
        queue_.push_front(job);
        return;
    }
    // How the worker ended says nothing lasting about the file; the next run tries it again.
    FileRecord record;
    record.facts.path = work_[job].file.path;
    record.facts.passing = true;
    record.facts.status = FileStatus::Failed;
    record.facts.errorCode = kNoAnswerCode;
    record.facts.errorMessage = why;
    Finish(job, std::move(record));
}

void Run::MaybeCommit(bool force) {
    if (db_.pending() == 0) return;
    if (!force && db_.pending() < kBatchRows && Clock::now() - lastCommit_ < kBatchTime) return;
    if (HostError error = db_.Commit()) {
        Warn(error.message);
        fatal_ = true;
    }
    lastCommit_ = Clock::now();
}

void Run::Progress(bool final) {
    if (!terminal_ || options_.quiet || found_ == 0) return;
    Clock::time_point now = Clock::now();
    if (!final && now - lastProgress_ < kProgressInterval) return;
    lastProgress_ = now;
    double elapsed = std::chrono::duration<double>(now - start_).count();
    double rate = elapsed > 0 ? static_cast<double>(done_) / elapsed : 0;
    size_t total = found_ - elsewhere_;
    if (total == 0 || done_ > total) return;
    constexpr int kWidth = 30;
    int filled = static_cast<int>(kWidth * done_ / total);
    std::string bar(static_cast<size_t>(filled), '=');
    if (filled < kWidth) bar += '>' + std::string(static_cast<size_t>(kWidth - filled - 1), ' ');
    std::string eta = rate > 0 ? Duration(static_cast<double>(total - done_) / rate) : "?";
    std::fprintf(stderr, "\r\033[K[%s] %zu/%zu %3zu%%  %.1f files/s  ETA %s", bar.c_str(), done_, total,
                 100 * done_ / total, rate, eta.c_str());
    if (final) std::fputc('\n', stderr);
    std::fflush(stderr);
    progressShown_ = true;
}

void Run::Summary(double seconds, bool interrupted) {
    size_t refused = 0, failed = troubles_;
    for (const auto& [reason, count] : refused_) refused += count;
    for (const auto& [reason, count] : failed_) failed += count;
    std::printf("%s %zu of %zu files in %.1f s (%.1f files/s) into %s\n",
                !interrupted    ? "Read"
                : stopRequested ? "Interrupted after"
                                : "Stopped after",
                done_, found_ - elsewhere_, seconds, seconds > 0 ? static_cast<double>(done_) / seconds : 0.0,
                TerminalText(db_.name()).c_str());
    std::printf("  accepted   %zu (%zu with thumbnails)\n", accepted_, thumbnails_);
    for (const auto& [reason, count] : withoutThumbnail_)
        std::printf("    %6zu  without a thumbnail: %s\n", count, TerminalText(reason).c_str());
    std::printf("  refused    %zu\n", refused);
    for (const auto& [reason, count] : refused_)
        std::printf("    %6zu  %s\n", count, TerminalText(reason).c_str());
    std::printf("  failed     %zu\n", failed);
    for (const auto& [reason, count] : failed_)
        std::printf("    %6zu  %s\n", count, TerminalText(reason).c_str());
    if (troubles_ > 0) std::printf("    %6zu  folders or paths that could not be read\n", troubles_);
    std::printf("  other      %zu (not for the filter)\n", other_);
    std::printf("  unchanged  %zu\n", unchanged_);
    std::printf("  moved      %zu\n", moved_);
    if (elsewhere_ > 0) std::printf("  elsewhere  %zu (read by other runs at the same time)\n", elsewhere_);
    std::printf("  removed    %zu\n", removed_);
    std::fflush(stdout);
}

bool Run::Unchanged(const StoredFile& row, const FileStamp& found) const {
    return !row.retry && row.stamp.size == found.size && row.stamp.mtimeNs == found.mtimeNs &&
           (row.status != "accepted" || row.thumbnailSize == options_.thumbnailSize);
}

// A row made by an earlier release, or before the file was copied back in place, lacks what would
// recognise the file after a move.
void Run::RestampIfUnknown(const StoredFile& row, FoundFile& file) {
    if (row.stamp.headHash != 0 && row.stamp.device == file.stamp.device &&
        row.stamp.inode == file.stamp.inode)
        return;
    file.stamp.headHash = HeadHash(file.path);
    if (HostError error = db_.Restamp(file.path, file.stamp)) {
        Warn(error.message);
        fatal_ = true;
    }
}

// A file under a path without a row may be one whose row stands under a path now gone: the row moves
// with it and keeps its history. True when the file need not be read again.
bool Run::TakeOverMovedRow(FoundFile& file) {
    std::vector<StoredFile> candidates;
    if (HostError error = db_.FindSameFile(file.stamp, &candidates)) {
        Warn(error.message);
        fatal_ = true;
        return false;
    }
    for (StoredFile& row : candidates) {
        // A row already taken over now names its new path, which is no longer gone.
        if (row.path == file.path || !IsMovedFile(row, file.path, &file.stamp) || !TrulyGone(row.path))
            continue;
        if (file.stamp.headHash == 0) file.stamp.headHash = HeadHash(file.path);
        bool taken = false;
        if (HostError error =
                db_.Move(row.path, file.path, file.stamp, static_cast<int64_t>(std::time(nullptr)), &taken)) {
            Warn(error.message);
            fatal_ = true;
            return false;
        }
        // A peer run moved the row first: the file has its row, as that run found it.
        if (!taken) {
            ++found_;
            ++elsewhere_;
            Log("elsewhere", file.path, "moved by another run");
            return true;
        }
        ++moved_;
        Log("moved", file.path, "from " + row.path);
        return Unchanged(row, file.stamp);  // a passing trouble or another thumbnail size reads it again
    }
    return false;
}

// Rows of files under the folders that are gone, looked for only once the walk is over: until then a
// file's row may yet be taken over by the file moved to a folder the walk had not reached.
void Run::RemoveGoneRows(const std::vector<std::string>& roots) {
    for (const std::string& root : roots) {
        std::string after;
        for (size_t got = kRowsPerPage; got == kRowsPerPage && !fatal_;) {
            std::vector<StoredFile> rows;
            if (HostError error = db_.LoadBelow(root, after, kRowsPerPage, &rows)) {
                Warn(error.message);
                fatal_ = true;
                return;
            }
            got = rows.size();
            if (!rows.empty()) after = rows.back().path;
            for (const StoredFile& row : rows) {
                if (!(TrulyGone(row.path) || IsCompanionPath(row.path))) {
                    ++kept_;
                    continue;
                }
                if (HostError error = db_.Remove(row.path)) {
                    Warn(error.message);
                    fatal_ = true;
                    return;
                }
                ++removed_;
                Log("removed", row.path, "");
            }
            MaybeCommit(false);
        }
    }
}

// Compares one listed folder with its rows: what is new or changed waits for a worker.
void Run::TakeFolder(FolderListing& listing) {
    for (const Trouble& trouble : listing.troubles) Warn(trouble.path + ": " + trouble.reason);
    troubles_ += listing.troubles.size();
    if (listing.files.empty()) return;
    std::map<std::string, StoredFile> stored;
    if (HostError error = db_.LoadFolder(listing.path, &stored)) {
        Warn(error.message);
        fatal_ = true;
        return;
    }
    for (FoundFile& file : listing.files) {
        auto row = stored.find(file.path);
        bool toRead = false;
        if (row == stored.end()) {
            toRead = !TakeOverMovedRow(file);
        } else if (Unchanged(row->second, file.stamp)) {
            ++unchanged_;
            RestampIfUnknown(row->second, file);
        } else {
            toRead = true;
        }
        if (fatal_) return;
        if (!toRead) continue;
        ++found_;
        work_[nextItem_] = WorkItem{std::move(file), 0};
        queue_.push_back(nextItem_++);
    }
    MaybeCommit(false);
}

// Walks on until enough files wait for the workers; false once the walk is over.
bool Run::WalkAhead(FolderWalk& walk) {
    FolderListing listing;
    while (!fatal_ && queue_.size() < kQueueAhead) {
        if (!walk.Next(&listing)) return false;
        TakeFolder(listing);
    }
    return true;
}

bool UnderFolder(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

// Every file passes through buffers of a few MB (its pages, its thumbnail), in the workers and in the
// run that stores the thumbnail. A heap as small as the run's now would hand its top back to the
// system after each file and fault it in again for the next, a fifth of a run's time; so what is freed
// stays for reuse, which leaves the peak as it is.
void KeepFreedMemory() {
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

// Roots as given, less those that another root already holds: a folder named twice is walked once.
std::vector<std::string> OutermostFolders(const std::vector<std::string>& folders) {
    std::vector<std::string> roots;
    for (const std::string& folder : folders) {
        bool inside = false;
        for (const std::string& other : folders)
            inside = inside || UnderFolder(folder, other) || (other == folder && &other < &folder);
        if (!inside) roots.push_back(folder);
    }
    return roots;
}

int Run::Execute() {
    start_ = lastCommit_ = lastProgress_ = Clock::now();
    terminal_ = ::isatty(STDERR_FILENO) == 1;
    RemoveStaleScratchFolders(TemporaryFolder(), kWorkerScratchPrefix);
    KeepFreedMemory();

    // The database's own files are never catalogued.
    std::set<std::string> skip;
    std::error_code ec;
    std::string dbPath = fs::weakly_canonical(options_.database, ec).string();
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) skip.insert(dbPath + suffix);

    std::vector<std::string> roots;
    bool rootMissing = false;
    for (const std::string& folder : options_.folders) {
        std::string root = fs::canonical(folder, ec).string();
        if (ec || !fs::is_directory(root, ec)) {
            Warn(folder + ": " + (ec ? ec.message() : "not a folder"));
            rootMissing = true;
            continue;
        }
        roots.push_back(root);
    }
    roots = OutermostFolders(roots);
    FolderWalk walk(roots, std::move(skip));
    long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    wantedWorkers_ = static_cast<size_t>(options_.jobs > 0 ? options_.jobs : cores > 0 ? cores : 1);

    struct sigaction stop {
    }, oldInt{}, oldTerm{}, ignore{};
    stop.sa_handler = RequestStop;
    sigemptyset(&stop.sa_mask);
    ::sigaction(SIGINT, &stop, &oldInt);
    ::sigaction(SIGTERM, &stop, &oldTerm);
    ignore.sa_handler = SIG_IGN;
    struct sigaction oldPipe {};
    ::sigaction(SIGPIPE, &ignore, &oldPipe);
    stopRequested = 0;

    auto busy = [&] {
        size_t n = 0;
        for (const Worker& w : workers_) n += w.job >= 0;
        return n;
    };
    bool walking = true;
    while (!fatal_ && !stopRequested && (walking || !queue_.empty() || busy() > 0)) {
        if (walking) walking = WalkAhead(walk);
        if (fatal_) break;
        if (queue_.empty() && busy() == 0) continue;  // nothing (left) to read
        // Keep the pool full while there is work, replacing workers that ended.
        std::erase_if(workers_, [](const Worker& w) { return w.pid < 0; });
        while (workers_.size() < wantedWorkers_ && workers_.size() < queue_.size() + busy()) {
            if (!Spawn()) break;
        }
        if (workers_.empty()) {
            Warn(std::string("cannot start a worker process: ") + std::strerror(errno));
            fatal_ = true;
            break;
        }
        for (Worker& w : workers_) {
            if (w.pid > 0 && w.job < 0 && !queue_.empty()) Dispatch(w);
        }
        std::vector<pollfd> fds;
        std::vector<Worker*> polled;
        for (Worker& w : workers_) {
            if (w.pid > 0 && w.job >= 0) {
                fds.push_back({w.resultFd, POLLIN, 0});
                polled.push_back(&w);
            }
        }
        // Without a worker busy there is nothing to wait for: the walk goes on.
        int ready = ::poll(fds.data(), fds.size(), fds.empty() ? 0 : 100);
        if (ready < 0 && errno != EINTR) {
            Warn(std::strerror(errno));
            fatal_ = true;
            break;
        }
        for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            Worker& w = *polled[i];
            std::string frame;
            FileRecord record;
            if (ReadFrame(w.resultFd, &frame) && DecodeRecord(frame, &record) &&
                record.facts.path == work_[w.job].file.path) {
                int job = w.job;
                w.job = -1;
                // The worker goes on with its next file while this one's row is written: a server's
                // round trips would otherwise leave it idle.
                if (!queue_.empty() && !fatal_) Dispatch(w);
                Finish(job, std::move(record));
                continue;
            }
            // No answer: the process died on this file (or garbled its answer, which is no better).
            ::kill(w.pid, SIGKILL);
            int status = 0;
            while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
            }
            w.pid = -1;
            WorkerEnded(w, WorkerEnd::kCrashed,
                        "the filter's process ended on this file (" + EndDescription(status) + ")");
        }
        Clock::time_point now = Clock::now();
        for (Worker& w : workers_) {
            if (w.pid > 0 && w.job >= 0 && now - w.started > std::chrono::seconds(options_.timeoutSeconds))
                WorkerEnded(w, WorkerEnd::kTimedOut,
                            "timed out after " + std::to_string(options_.timeoutSeconds) + " s");
        }
        MaybeCommit(false);
        Progress(false);
    }
    for (Worker& w : workers_) {
        if (w.pid > 0) Retire(w, w.job >= 0);
    }
    workers_.clear();
    if (!fatal_ && !stopRequested && !walking) RemoveGoneRows(roots);
    if (!fatal_ && done_ > 0) {
        if (HostError error = db_.LinkPlates()) {
            Warn(error.message);
            fatal_ = true;
        }
    }
    MaybeCommit(true);
    // Only now is it known whether the run's last rows were saved.
    bool interrupted = stopRequested != 0 || fatal_;
    Progress(true);
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    ::sigaction(SIGPIPE, &oldPipe, nullptr);
    Summary(std::chrono::duration<double>(Clock::now() - start_).count(), interrupted);
    if (stopRequested)
        std::fprintf(stderr, "aldra-eps: interrupted; the next run continues where this one ended\n");
    return interrupted || rootMissing ? 2 : troubles_ > 0 ? 1 : 0;
}

// Rows whose files are gone, under folders that may be gone themselves; nothing is read, and a file
// that merely cannot be looked at keeps its row.
int Run::Prune() {
    std::vector<std::string> roots;
    for (const std::string& folder : options_.folders) {
        std::error_code ec;
        std::string root = fs::weakly_canonical(fs::absolute(folder, ec), ec).string();
        while (root.size() > 1 && root.back() == '/') root.pop_back();
        if (!root.empty()) roots.push_back(root);
    }
    roots = OutermostFolders(roots);
    RemoveGoneRows(roots);
    MaybeCommit(true);
    if (fatal_) return 2;
    std::printf("Pruned %zu rows of vanished files under %zu folders of %s (%zu rows kept)\n", removed_,
                roots.size(), TerminalText(options_.database).c_str(), kept_);
    return 0;
}

}  // namespace

namespace {

int RunOnStore(const CatalogOptions& options, FilterSet* filters) {
    HostError error;
    std::unique_ptr<CatalogStore> db = OpenCatalogStore(options.database, true, &error);
    if (!db) {
        std::fprintf(stderr, "aldra-eps: %s\n", TerminalText(error.message).c_str());
        return 2;
    }
    if (options.root) db = WithShareRoot(std::move(db), *options.root);
    Run run(options, filters, *db);
    return filters == nullptr ? run.Prune() : run.Execute();
}

}  // namespace

int RunCatalog(const CatalogOptions& options, FilterSet& filters) {
    return RunOnStore(options, &filters);
}

int PruneCatalog(const CatalogOptions& options) {
    return RunOnStore(options, nullptr);
}

}  // namespace aldra::host
