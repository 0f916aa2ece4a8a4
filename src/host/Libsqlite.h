// SQLite, loaded when a catalogue file is first opened (or --version names it). Linked into the
// program, its table of some 300 entry points was bound at the start of every thumbnail and info run:
// about as many symbol look-ups as the C++ library's own.
#pragma once
#include <sqlite3.h>

namespace aldra::host {

// The calls the catalogue makes, as the library exports them.
struct SqliteCalls {
    decltype(&::sqlite3_libversion) sqlite3_libversion;
    decltype(&::sqlite3_open_v2) sqlite3_open_v2;
    decltype(&::sqlite3_close) sqlite3_close;
    decltype(&::sqlite3_errmsg) sqlite3_errmsg;
    decltype(&::sqlite3_busy_timeout) sqlite3_busy_timeout;
    decltype(&::sqlite3_exec) sqlite3_exec;
    decltype(&::sqlite3_prepare_v2) sqlite3_prepare_v2;
    decltype(&::sqlite3_reset) sqlite3_reset;
    decltype(&::sqlite3_clear_bindings) sqlite3_clear_bindings;
    decltype(&::sqlite3_finalize) sqlite3_finalize;
    decltype(&::sqlite3_step) sqlite3_step;
    decltype(&::sqlite3_bind_null) sqlite3_bind_null;
    decltype(&::sqlite3_bind_int64) sqlite3_bind_int64;
    decltype(&::sqlite3_bind_double) sqlite3_bind_double;
    decltype(&::sqlite3_bind_text64) sqlite3_bind_text64;
    decltype(&::sqlite3_bind_blob64) sqlite3_bind_blob64;
    decltype(&::sqlite3_column_count) sqlite3_column_count;
    decltype(&::sqlite3_column_type) sqlite3_column_type;
    decltype(&::sqlite3_column_int64) sqlite3_column_int64;
    decltype(&::sqlite3_column_double) sqlite3_column_double;
    decltype(&::sqlite3_column_blob) sqlite3_column_blob;
    decltype(&::sqlite3_column_text) sqlite3_column_text;
    decltype(&::sqlite3_column_bytes) sqlite3_column_bytes;
};

// The library's calls, loaded on the first request and kept for the process; null when SQLite is
// not installed or lacks one of them.
const SqliteCalls* LoadSqlite();

// The calls once LoadSqlite has answered them: every connection comes from a loaded library.
const SqliteCalls& Sqlite();

}  // namespace aldra::host
