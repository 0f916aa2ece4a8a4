// The catalogue in one SQLite file: the embedded back end. Its journal is a write-ahead log so that
// readers never block a running catalogue, and its schema version is SQLite's user_version.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "host/SqlConnection.h"

struct sqlite3;
struct sqlite3_stmt;

namespace aldra::host {

class SqliteConnection : public SqlConnection {
  public:
    ~SqliteConnection() override;

    // Opens the file for a catalogue run (created when missing), or read-only for questions. Null
    // with *error set when the file cannot be used that way.
    static std::unique_ptr<SqliteConnection> Open(const std::string& path, bool write, HostError* error);

    Dialect dialect() const override { return Dialect::kSqlite; }
    const std::string& name() const override { return path_; }
    HostError Run(const std::string& sql, const std::vector<SqlValue>& params = {},
                  std::vector<SqlRow>* rows = nullptr) override;
    HostError Begin() override;
    HostError Commit() override;
    void Rollback() override;
    HostError ReadVersion(int* version, bool* empty) override;
    HostError WriteVersion(int version) override;
    HostError CheckIntegrity() override;

  private:
    SqliteConnection() = default;
    HostError Fail(const std::string& what) const;
    sqlite3_stmt* Prepared(const std::string& sql);

    sqlite3* db_ = nullptr;
    std::string path_;
    std::map<std::string, sqlite3_stmt*> statements_;  // prepared once, as a run repeats them
};

}  // namespace aldra::host
