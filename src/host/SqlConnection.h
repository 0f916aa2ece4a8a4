// One connection to the database a catalogue lives in, as the catalogue's store needs it: statements
// with numbered parameters, write transactions and the schema version. The store's SQL is shared by
// every back end; a back end only carries values to and from its server.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/FilterHost.h"

namespace aldra::host {

enum class Dialect { kSqlite, kPostgres };

struct SqlValue {
    enum class Kind { kNull, kInteger, kReal, kText, kBlob };
    Kind kind = Kind::kNull;
    int64_t integer = 0;
    double real = 0;
    std::string bytes;  // text (UTF-8 as the file system gave it) or blob

    static SqlValue Null() { return {}; }
    static SqlValue Int(int64_t value) { return {Kind::kInteger, value, 0, {}}; }
    static SqlValue Real(double value) { return {Kind::kReal, 0, value, {}}; }
    static SqlValue Text(std::string value) { return {Kind::kText, 0, 0, std::move(value)}; }
    static SqlValue Blob(std::string value) { return {Kind::kBlob, 0, 0, std::move(value)}; }

    bool null() const { return kind == Kind::kNull; }
    int64_t AsInt() const;
    std::string AsText() const;  // a number in its shortest decimal form; "" for NULL
};
using SqlRow = std::vector<SqlValue>;

class SqlConnection {
  public:
    virtual ~SqlConnection() = default;
    virtual Dialect dialect() const = 0;
    // How messages name the database: its path or its connection string without a password.
    virtual const std::string& name() const = 0;

    // One statement in the shared SQL, its parameters written ?1, ?2, ...; its rows into *rows when
    // given. Errors name the database.
    virtual HostError Run(const std::string& sql, const std::vector<SqlValue>& params = {},
                          std::vector<SqlRow>* rows = nullptr) = 0;
    // A write transaction, held from its start: SQLite's IMMEDIATE, or a lock on the server.
    virtual HostError Begin() = 0;
    virtual HostError Commit() = 0;
    virtual void Rollback() = 0;

    // The schema version the database carries (0 when it has none) and whether it holds no table at
    // all, read inside the current transaction.
    virtual HostError ReadVersion(int* version, bool* empty) = 0;
    virtual HostError WriteVersion(int version) = 0;
    // Refuses a damaged database before anything is written into it.
    virtual HostError CheckIntegrity() = 0;
};

}  // namespace aldra::host
