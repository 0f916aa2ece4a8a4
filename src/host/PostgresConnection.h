// The catalogue on a PostgreSQL server: the back end a team shares. It runs the store's shared SQL,
// numbering parameters as the server does and preparing each statement once per connection; the
// schema version lives in a one-row table, and writers that upgrade the schema take turns by an
// advisory lock.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "host/Postgres.h"
#include "host/SqlConnection.h"

namespace aldra::host {

class PostgresConnection : public SqlConnection {
  public:
    // Any libpq connection string (see PgConnection::Open). Null with *error set when the server
    // cannot be reached.
    static std::unique_ptr<PostgresConnection> Open(const std::string& conninfo, HostError* error);

    Dialect dialect() const override { return Dialect::kPostgres; }
    const std::string& name() const override { return pg_->name(); }
    HostError Run(const std::string& sql, const std::vector<SqlValue>& params = {},
                  std::vector<SqlRow>* rows = nullptr) override;
    HostError Begin() override { return pg_->Begin(); }
    HostError Commit() override { return pg_->Commit(); }
    void Rollback() override { pg_->Rollback(); }
    HostError ReadVersion(int* version, bool* empty) override;
    HostError WriteVersion(int version) override;
    // The server keeps its own pages whole.
    HostError CheckIntegrity() override { return {}; }

    PgConnection& pg() { return *pg_; }

  private:
    explicit PostgresConnection(std::unique_ptr<PgConnection> pg) : pg_(std::move(pg)) {}

    std::unique_ptr<PgConnection> pg_;
    std::map<std::string, std::string> prepared_;  // statement and parameter types to its name
};

// The shared SQL's ?1, ?2, ... as the server's $1, $2, ...; question marks inside quotes stay.
std::string ServerParameters(const std::string& sql);

}  // namespace aldra::host
