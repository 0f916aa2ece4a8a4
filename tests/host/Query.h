// Reads a catalogue the way a user does with sqlite3: read-only, one query at a time.
#pragma once
#include <sqlite3.h>

#include <string>

namespace aldra::testing {

// The answer of one query, each row's columns joined by '|', the rows by '\n'; SQLite's message when
// the query fails.
inline std::string Query(const std::string& db, const std::string& sql) {
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
