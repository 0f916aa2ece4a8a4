#include "host/SqliteConnection.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace aldra::host {

namespace {

// SQLite opens a file it may not write read-only without a word, and its readers still leave -wal
// and -shm files beside it; a catalogue run only writes, so it asks first.
bool Writable(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) return false;
    return ::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0;
}

// How a reader opens the catalogue without leaving -wal and -shm files behind. One that may write the
// file opens it for writing (writing nothing), so that its close folds the log in and removes both. One
// that may not, and finds no log beside the file, reads the file as it stands: no run is filling it now,
// and a run that starts meanwhile writes into its log, not the file, until a checkpoint a thousand
// pages later. Otherwise the log's owner is busy with it, and the reader shares its files.
std::string ReaderUri(const std::string& path, bool writable, int* flags) {
    *flags = SQLITE_OPEN_URI | (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    // An empty authority, so that a path beginning with "//" is not taken for a host's name.
    std::string uri = path[0] == '/' ? "file://" : "file:";
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (plain || std::strchr("/-._~", c) != nullptr) {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    if (!writable && ::access((path + "-wal").c_str(), F_OK) != 0) uri += "?immutable=1";
    return uri;
}

SqlValue ColumnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return SqlValue::Int(sqlite3_column_int64(statement, column));
        case SQLITE_FLOAT:
            return SqlValue::Real(sqlite3_column_double(statement, column));
        case SQLITE_NULL:
            return SqlValue::Null();
        case SQLITE_BLOB: {
            const void* data = sqlite3_column_blob(statement, column);
            int size = sqlite3_column_bytes(statement, column);
            return SqlValue::Blob(
                data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : "");
        }
        default: {
            const unsigned char* text = sqlite3_column_text(statement, column);
            int size = sqlite3_column_bytes(statement, column);
            return SqlValue::Text(
                text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size)) : "");
        }
    }
}

void Bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
    switch (value.kind) {
        case SqlValue::Kind::kNull:
            sqlite3_bind_null(statement, index);
            break;
        case SqlValue::Kind::kInteger:
            sqlite3_bind_int64(statement, index, value.integer);
            break;
        case SqlValue::Kind::kReal:
            sqlite3_bind_double(statement, index, value.real);
            break;
        case SqlValue::Kind::kText:
            sqlite3_bind_text64(statement, index, value.bytes.data(), value.bytes.size(), SQLITE_TRANSIENT,
                                SQLITE_UTF8);
            break;
        case SqlValue::Kind::kBlob:
            sqlite3_bind_blob64(statement, index, value.bytes.data(), value.bytes.size(), SQLITE_TRANSIENT);
            break;
    }
}

}  // namespace

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
    if (db_ != nullptr) sqlite3_close(db_);
}

HostError SqliteConnection::Fail(const std::string& what) const {
    return {path_ + ": " + what + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory")};
}

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, bool write,
                                                         HostError* error) {
    std::unique_ptr<SqliteConnection> c(new SqliteConnection);
    c->path_ = path;
    struct stat info {};
    bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        *error = {path + ": not a catalogue file (not a regular file)"};
        return nullptr;
    }
    if (!write && !exists) {
        *error = {path + ": no such catalogue"};
        return nullptr;
    }
    if (write && !Writable(path)) {
        *error = {path + ": the catalogue is read-only (the file or its folder cannot be written)"};
        return nullptr;
    }
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    std::string name = write ? path : ReaderUri(path, Writable(path), &flags);
    if (sqlite3_open_v2(name.c_str(), &c->db_, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        *error = c->Fail("cannot open the catalogue");
        return nullptr;
    }
    sqlite3_busy_timeout(c->db_, 10000);
    const char* setup =
        write ? "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;"
              : "PRAGMA foreign_keys = ON;";
    if (sqlite3_exec(c->db_, setup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = c->Fail("cannot open the catalogue");
        return nullptr;
    }
    return c;
}

sqlite3_stmt* SqliteConnection::Prepared(const std::string& sql) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK)
        return nullptr;
    statements_[sql] = statement;
    return statement;
}

HostError SqliteConnection::Run(const std::string& sql, const std::vector<SqlValue>& params,
                                std::vector<SqlRow>* rows) {
    sqlite3_stmt* statement = Prepared(sql);
    if (statement == nullptr) return Fail("cannot prepare a statement");
    for (size_t i = 0; i < params.size(); ++i) Bind(statement, static_cast<int>(i + 1), params[i]);
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        if (rows == nullptr) continue;
        SqlRow row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
            row.push_back(ColumnValue(statement, column));
        rows->push_back(std::move(row));
    }
    HostError error;
    if (step != SQLITE_DONE) error = Fail("cannot run a statement");
    // A statement left open would hold its read snapshot and keep the log from being checkpointed.
    sqlite3_reset(statement);
    return error;
}

HostError SqliteConnection::Begin() {
    return Run("BEGIN IMMEDIATE");
}

HostError SqliteConnection::Commit() {
    return Run("COMMIT");
}

void SqliteConnection::Rollback() {
    (void)Run("ROLLBACK");
}

HostError SqliteConnection::ReadVersion(int* version, bool* empty) {
    std::vector<SqlRow> rows;
    if (HostError error = Run("PRAGMA user_version", {}, &rows)) return error;
    *version = rows.empty() ? 0 : static_cast<int>(rows[0][0].AsInt());
    rows.clear();
    if (HostError error = Run("SELECT count(*) FROM sqlite_master", {}, &rows)) return error;
    *empty = rows.empty() || rows[0][0].AsInt() == 0;
    return {};
}

HostError SqliteConnection::WriteVersion(int version) {
    return Run("PRAGMA user_version = " + std::to_string(version));
}

HostError SqliteConnection::CheckIntegrity() {
    std::vector<SqlRow> rows;
    HostError error = Run("PRAGMA quick_check", {}, &rows);
    std::string check = error ? error.message : rows.empty() ? "no answer" : rows[0][0].AsText();
    if (check == "ok") return {};
    return {path_ + ": the catalogue is damaged (" + check +
            "); recover it with sqlite3's .recover or remove it"};
}

}  // namespace aldra::host
