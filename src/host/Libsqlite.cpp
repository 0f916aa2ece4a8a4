#include "host/Libsqlite.h"

#include <mutex>

#include "base/LoadedLibrary.h"

namespace aldra::host {

namespace {

// The soname of every SQLite 3.
constexpr const char* kSqliteFile = "libsqlite3.so.0";

SqliteCalls gCalls{};
const SqliteCalls* gLoaded = nullptr;

#define ALDRA_TAKE(name) TakeEntry(library, #name, &c->name)

bool TakeAll(void* library, SqliteCalls* c) {
    return ALDRA_TAKE(sqlite3_libversion) && ALDRA_TAKE(sqlite3_open_v2) && ALDRA_TAKE(sqlite3_close) &&
           ALDRA_TAKE(sqlite3_errmsg) && ALDRA_TAKE(sqlite3_busy_timeout) && ALDRA_TAKE(sqlite3_exec) &&
           ALDRA_TAKE(sqlite3_prepare_v2) && ALDRA_TAKE(sqlite3_reset) &&
           ALDRA_TAKE(sqlite3_clear_bindings) && ALDRA_TAKE(sqlite3_finalize) && ALDRA_TAKE(sqlite3_step) &&
           ALDRA_TAKE(sqlite3_bind_null) && ALDRA_TAKE(sqlite3_bind_int64) &&
           ALDRA_TAKE(sqlite3_bind_double) && ALDRA_TAKE(sqlite3_bind_text64) &&
           ALDRA_TAKE(sqlite3_bind_blob64) && ALDRA_TAKE(sqlite3_column_count) &&
           ALDRA_TAKE(sqlite3_column_type) && ALDRA_TAKE(sqlite3_column_int64) &&
           ALDRA_TAKE(sqlite3_column_double) && ALDRA_TAKE(sqlite3_column_blob) &&
           ALDRA_TAKE(sqlite3_column_text) && ALDRA_TAKE(sqlite3_column_bytes);
}

#undef ALDRA_TAKE

}  // namespace

const SqliteCalls* LoadSqlite() {
    static std::once_flag tried;
    std::call_once(tried, [] {
        if (LoadEntries(kSqliteFile, &gCalls, TakeAll)) gLoaded = &gCalls;
    });
    return gLoaded;
}

const SqliteCalls& Sqlite() {
    return gCalls;
}

}  // namespace aldra::host
