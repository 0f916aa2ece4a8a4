// A thin layer over libpq for the catalogue's PostgreSQL home: one connection, statements prepared once
// by name, parameters sent as text or as raw bytes (thumbnails travel as bytea without hex encoding),
// and every failure answered as a HostError naming the server, never thrown.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/FilterHost.h"

struct pg_conn;
struct pg_result;

namespace aldra::host {

// One statement parameter: NULL, text, or bytes sent in binary (for bytea), with the type the server
// should take it as (0: whatever the statement implies).
struct PgValue {
    std::string bytes;
    bool null = true;
    bool binary = false;
    unsigned type = 0;
};
PgValue PgNull();
PgValue PgText(std::string text);
PgValue PgInt(int64_t value);
PgValue PgReal(double value);
PgValue PgBytes(std::string bytes);

// The server's numbers for the types the catalogue sends and reads.
inline constexpr unsigned kPgBool = 16, kPgBytea = 17, kPgInt8 = 20, kPgInt2 = 21, kPgInt4 = 23, kPgText = 25,
                          kPgOid = 26, kPgFloat4 = 700, kPgFloat8 = 701;

// The rows a statement answered, owned.
class PgResult {
  public:
    PgResult() = default;
    explicit PgResult(pg_result* result) : result_(result) {}
    ~PgResult();
    PgResult(PgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
    PgResult& operator=(PgResult&& other) noexcept;

    int rows() const;
    int columns() const;
    unsigned Type(int column) const;  // the column's type as the server numbers it
    bool IsNull(int row, int column) const;
    // The column's bytes: text in text results, the raw value in binary ones.
    std::string Value(int row, int column) const;
    int64_t Int(int row, int column) const;        // of a text result; 0 for NULL or no number
    std::string Bytes(int row, int column) const;  // a bytea column of a text result, decoded

  private:
    pg_result* result_ = nullptr;
};

class PgConnection {
  public:
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Any libpq connection string: a postgresql:// or postgres:// URI or key=value words; what it leaves
    // out comes from the PG* environment variables as libpq reads them. Null with *error set when the
    // server cannot be reached or refuses the login.
    static std::unique_ptr<PgConnection> Open(const std::string& conninfo, HostError* error);

    // One or more statements without parameters.
    HostError Exec(const std::string& sql);
    // `types` as PgValue::type, one per parameter.
    HostError Prepare(const std::string& name, const std::string& sql,
                      const std::vector<unsigned>& types = {});
    // A statement prepared under `name`; `binaryResult` asks for the columns' raw bytes.
    HostError Run(const std::string& name, const std::vector<PgValue>& params, PgResult* result = nullptr,
                  bool binaryResult = false);
    // A statement with parameters, not kept.
    HostError Query(const std::string& sql, const std::vector<PgValue>& params, PgResult* result = nullptr,
                    bool binaryResult = false);

    HostError Begin() { return Exec("BEGIN"); }
    HostError Commit() { return Exec("COMMIT"); }
    void Rollback() { (void)Exec("ROLLBACK"); }
    bool InTransaction() const;

    // The server as messages name it: user, host, port and database, never the password.
    const std::string& name() const { return name_; }

  private:
    PgConnection() = default;
    HostError Fail(const std::string& what, pg_result* result) const;
    HostError Finish(pg_result* result, const std::string& what, PgResult* out) const;

    pg_conn* conn_ = nullptr;
    std::string name_;
};

// The connection string with any password taken out, for messages and summaries.
std::string RedactedConninfo(const std::string& conninfo);

// Whether --db names a PostgreSQL server rather than an SQLite file: a postgresql:// or postgres:// URI.
bool IsPostgresUri(const std::string& database);

}  // namespace aldra::host
