// The catalogue database: one row per file under the catalogued folders, with its facts, its refusal
// or failure, and its thumbnail PNG. The schema is versioned through SQLite's user_version; the
// journal is a write-ahead log so readers never block a running catalogue.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "host/FilterHost.h"
#include "host/Wire.h"

struct sqlite3;
struct sqlite3_stmt;

namespace aldra::host {

inline constexpr int kSchemaVersion = 3;

struct StoredFile {
    int64_t size = 0;
    int64_t mtimeNs = 0;
    std::string status;
    int32_t thumbnailSize = 0;
    bool retry = false;  // a passing trouble: read it again whether or not it changed
};

class CatalogDatabase {
  public:
    ~CatalogDatabase();
    CatalogDatabase(const CatalogDatabase&) = delete;
    CatalogDatabase& operator=(const CatalogDatabase&) = delete;

    // Opens or creates the database, brings its schema to the current version and checks it; null with
    // *error set when the file cannot be used (not a database, a newer schema, read-only, damaged).
    static std::unique_ptr<CatalogDatabase> Open(const std::string& path, HostError* error);

    HostError LoadAll(std::map<std::string, StoredFile>* files);

    // Writes go into the open batch, which Commit ends; Begin is implicit.
    HostError Store(const FileRecord& record, int64_t cataloguedAt);
    HostError Remove(const std::string& path);
    HostError Commit();
    size_t pending() const { return pending_; }

  private:
    CatalogDatabase() = default;
    HostError Exec(const char* sql);
    HostError Fail(const char* what);
    HostError BeginIfNeeded();
    HostError UpgradeSchema();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* store_ = nullptr;
    sqlite3_stmt* remove_ = nullptr;
    bool inTransaction_ = false;
    size_t pending_ = 0;
    std::string path_;
};

}  // namespace aldra::host
