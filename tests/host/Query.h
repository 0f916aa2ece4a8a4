// Reads a catalogue the way a user does, with sqlite3 or psql: one query at a time, read-only.
#pragma once
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "host/Postgres.h"

namespace aldra::testing {

// A server's answer written as sqlite3 writes it, so that one expectation fits both homes: a whole
// real number keeps its ".0".
inline std::string SqliteStyle(const aldra::host::PgResult& result, int row, int column) {
    if (result.IsNull(row, column)) return "NULL";
    std::string text = result.Value(row, column);
    unsigned type = result.Type(column);
    if ((type == aldra::host::kPgFloat8 || type == aldra::host::kPgFloat4) &&
        text.find_first_of(".eEn") == std::string::npos)
        text += ".0";
    return text;
}

inline std::string QueryServer(const std::string& uri, const std::string& sql) {
    aldra::host::HostError error;
    auto db = aldra::host::PgConnection::Open(uri, &error);
    aldra::host::PgResult result;
    if (!db || (error = db->Query(sql, {}, &result))) return error.message;
    std::string rows;
    for (int row = 0; row < result.rows(); ++row) {
        if (row) rows += '\n';
        for (int column = 0; column < result.columns(); ++column)
            rows += (column ? "|" : "") + SqliteStyle(result, row, column);
    }
    return rows;
}

// The answer of one query, each row's columns joined by '|', the rows by '\n'; the database's message
// when the query fails. `db` is an SQLite file or a postgresql:// URI.
inline std::string Query(const std::string& db, const std::string& sql) {
    if (aldra::host::IsPostgresUri(db)) return QueryServer(db, sql);
    std::string rows;
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        auto row = [](void* out, int n, char** values, char**) {
            std::string* text = static_cast<std::string*>(out);
            if (!text->empty()) *text += '\n';
            for (int i = 0; i < n; ++i) *text += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
            return 0;
        };
        if (sqlite3_exec(handle, sql.c_str(), row, &rows, nullptr) != SQLITE_OK)
            rows = sqlite3_errmsg(handle);
    }
    sqlite3_close(handle);
    return rows;
}

}  // namespace aldra::testing
