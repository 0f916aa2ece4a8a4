// Where a catalogue run keeps its rows. The run speaks only to this interface; the database behind it
// (an SQLite file, a server) is chosen by the location the user names.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/FilterHost.h"
#include "host/SqlConnection.h"
#include "host/Wire.h"

namespace aldra::host {

// What identifies a file's content on disk without reading all of it.
struct FileStamp {
    int64_t size = 0;
    int64_t mtimeNs = 0;
    int64_t device = 0;
    int64_t inode = 0;
    int64_t headHash = 0;  // of the first 64 KiB; 0 when not known
};

// A row as a run needs it to decide whether the file must be read again.
struct StoredFile {
    int64_t id = 0;
    std::string path;
    FileStamp stamp;
    std::string status;
    int32_t thumbnailSize = 0;
    bool retry = false;  // a passing trouble: read it again whether or not it changed
};

// What a run may do with a file it is about to read, when other runs fill the same catalogue at once.
enum class ClaimResult {
    kMine,   // read it
    kTaken,  // another run is reading it now
    kDone,   // another run has stored it as it is now
};

class CatalogStore {
  public:
    virtual ~CatalogStore() = default;
    virtual const std::string& name() const = 0;

    // The rows of the files directly in a folder (absolute, without a trailing '/'), by path.
    virtual HostError LoadFolder(const std::string& folder, std::map<std::string, StoredFile>* files) = 0;
    // Up to `limit` rows of files anywhere below a folder whose paths sort after `after` (all when
    // empty), in path order: a long list is read a page at a time.
    virtual HostError LoadBelow(const std::string& folder, const std::string& after, size_t limit,
                                std::vector<StoredFile>* rows) = 0;
    // The rows that may describe this file under another path: the same device and inode, or the
    // same size and time.
    virtual HostError FindSameFile(const FileStamp& stamp, std::vector<StoredFile>* rows) = 0;

    // Shares the work with the runs filling the same catalogue at once: a file is read only by the
    // run that claimed it, and a claim lasts until the file's row is committed or its run ends. A
    // store only one run uses at a time leaves every file to that run.
    virtual HostError Claim(const std::string& path, const FileStamp& stamp, int thumbnailSize,
                            ClaimResult* result) {
        (void)path, (void)stamp, (void)thumbnailSize;
        *result = ClaimResult::kMine;
        return {};
    }

    // Writes go into the open batch, which Commit ends; a batch begins with its first write.
    // The record's stamp is the file's as the run found it.
    virtual HostError Store(const FileRecord& record, const FileStamp& stamp, int64_t cataloguedAt) = 0;
    // The row of `from` becomes the row of `to`, keeping its number, facts, lists, thumbnails and
    // first catalogue time; the move is kept in file_moves. *taken is false when no row stands under
    // `from` any more, or one already stands under `to`: a run filling the catalogue at once took the
    // row over first, and the move is its to record.
    virtual HostError Move(const std::string& from, const std::string& to, const FileStamp& stamp,
                           int64_t movedAt, bool* taken) = 0;
    // Records what an earlier run did not know about an unchanged file (its device, inode, hash).
    virtual HostError Restamp(const std::string& path, const FileStamp& stamp) = 0;
    virtual HostError Remove(const std::string& path) = 0;
    // Links each DCS plate's row to the row of its main file beside it.
    virtual HostError LinkPlates() = 0;
    virtual HostError Commit() = 0;
    virtual size_t pending() const = 0;

    // A read-only question in the shared SQL (parameters ?1, ?2, ...), its rows as text.
    virtual HostError Ask(const std::string& sql, const std::vector<SqlValue>& params,
                          std::vector<std::vector<std::string>>* rows) = 0;
};

// The store on any connection that speaks the shared SQL.
std::unique_ptr<CatalogStore> MakeSqlCatalogStore(std::unique_ptr<SqlConnection> connection);

// Opens the catalogue at `location` (a file path for SQLite), bringing its schema up to date and
// checking it when `write`; a reader needs the current schema. Null with *error set otherwise. A
// postgresql:// or postgres:// URI names a server (any libpq URI; what it leaves out comes from the
// PG* environment variables); anything else is an SQLite file.
std::unique_ptr<CatalogStore> OpenCatalogStore(const std::string& location, bool write, HostError* error);

}  // namespace aldra::host
