#include "host/Database.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "host/Report.h"

namespace aldra::host {

namespace {

constexpr const char* kSchemaV1 = R"sql(
CREATE TABLE files (
    path TEXT PRIMARY KEY NOT NULL,
    size INTEGER NOT NULL,
    mtime_ns INTEGER NOT NULL,
    status TEXT NOT NULL CHECK (status IN ('accepted', 'refused', 'other', 'failed')),
    error_code INTEGER,
    error_message TEXT,
    format TEXT,
    default_extension TEXT,
    width REAL,
    height REAL,
    h_resolution REAL,
    v_resolution REAL,
    kind INTEGER,
    creating_software TEXT,
    mac_type TEXT,
    mac_signature TEXT,
    image_name TEXT,
    user TEXT,
    categories TEXT,
    notes TEXT,
    postscript_version TEXT,
    epsf_version TEXT,
    epsf_type INTEGER,
    fonts TEXT,
    colors TEXT,
    links TEXT,
    opi_system INTEGER,
    opi_hires_file_name TEXT,
    thumbnail_size INTEGER NOT NULL DEFAULT 0,
    thumbnail BLOB,
    thumbnail_error TEXT,
    catalogued_at INTEGER NOT NULL
);
CREATE INDEX files_status ON files(status);
PRAGMA user_version = 1;
)sql";

// Version 2 keeps passing troubles (a time-out, a killed worker, a file busy in another program) apart
// from lasting failures: their rows are tried again by the next run.
constexpr const char* kSchemaV2 = R"sql(
ALTER TABLE files ADD COLUMN retry INTEGER NOT NULL DEFAULT 0;
PRAGMA user_version = 2;
)sql";

// Version 3 keeps the information interface's facts of an accepted file, a JSON object by name.
constexpr const char* kSchemaV3 = R"sql(
ALTER TABLE files ADD COLUMN document_facts TEXT;
PRAGMA user_version = 3;
)sql";

constexpr const char* kStoreSql = R"sql(
INSERT OR REPLACE INTO files (path, size, mtime_ns, status, error_code, error_message, format, default_extension,
    width, height, h_resolution, v_resolution, kind, creating_software, mac_type, mac_signature, image_name, user,
    categories, notes, postscript_version, epsf_version, epsf_type, fonts, colors, links, opi_system,
    opi_hires_file_name, thumbnail_size, thumbnail, thumbnail_error, catalogued_at, retry,
    document_facts)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23,
    ?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, ?34)
)sql";

// The first column of the first row of a query, or `otherwise`.
std::string FirstText(sqlite3* db, const char* sql, const std::string& otherwise) {
    sqlite3_stmt* query = nullptr;
    std::string text = otherwise;
    if (sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK && sqlite3_step(query) == SQLITE_ROW) {
        const unsigned char* value = sqlite3_column_text(query, 0);
        text = value ? reinterpret_cast<const char*>(value) : "";
    }
    sqlite3_finalize(query);
    return text;
}

int FirstInt(sqlite3* db, const char* sql) {
    std::string text = FirstText(db, sql, "-1");
    return text.empty() ? -1 : std::atoi(text.c_str());
}

// SQLite opens a file it may not write read-only without a word, and its readers still leave -wal
// and -shm files beside it; a catalogue run only writes, so it asks first.
bool Writable(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) return false;
    return ::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

// Brings the schema to the current version inside one write transaction, reading the version again
// once the transaction holds the write lock: a peer run that created or upgraded it meanwhile leaves
// nothing to do.
HostError CatalogDatabase::UpgradeSchema() {
    if (FirstInt(db_, "PRAGMA user_version") == kSchemaVersion) return {};
    if (HostError error = Exec("BEGIN IMMEDIATE")) return error;
    int current = FirstInt(db_, "PRAGMA user_version");
    HostError error;
    if (current < 0) {
        error = Fail("cannot read the schema version");
    } else if (current > kSchemaVersion) {
        error = {path_ + ": the catalogue has schema version " + std::to_string(current) +
                 ", newer than this program's " + std::to_string(kSchemaVersion)};
    } else if (current == 0 && FirstInt(db_, "SELECT count(*) FROM sqlite_master") != 0) {
        // A database of version 0 must be new: anything else in it is not ours to take over.
        error = {path_ + ": not a catalogue of this program (it holds other tables)"};
    } else {
        if (current == 0) error = Exec(kSchemaV1);
        if (!error && current < 2) error = Exec(kSchemaV2);
        if (!error && current < 3) error = Exec(kSchemaV3);
    }
    if (error) {
        (void)Exec("ROLLBACK");
        return error;
    }
    return Exec("COMMIT");
}

namespace {}  // namespace

CatalogDatabase::~CatalogDatabase() {
    if (inTransaction_) Commit();
    sqlite3_finalize(store_);
    sqlite3_finalize(remove_);
    if (db_ != nullptr) sqlite3_close(db_);
}

HostError CatalogDatabase::Fail(const char* what) {
    return {path_ + ": " + what + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory")};
}

HostError CatalogDatabase::Exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        HostError error{path_ + ": " + (message ? message : sqlite3_errmsg(db_))};
        sqlite3_free(message);
        return error;
    }
    return {};
}

std::unique_ptr<CatalogDatabase> CatalogDatabase::Open(const std::string& path, HostError* error) {
    std::unique_ptr<CatalogDatabase> db(new CatalogDatabase);
    db->path_ = path;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        *error = {path + ": not a catalogue file (not a regular file)"};
        return nullptr;
    }
    if (!Writable(path)) {
        *error = {path + ": the catalogue is read-only (the file or its folder cannot be written)"};
        return nullptr;
    }
    if (sqlite3_open_v2(path.c_str(), &db->db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        *error = db->Fail("cannot open the catalogue");
        return nullptr;
    }
    sqlite3_busy_timeout(db->db_, 10000);
    if ((*error = db->Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"))) return nullptr;
    if ((*error = db->UpgradeSchema())) return nullptr;
    // A damaged catalogue would lose rows silently as the run writes into it.
    std::string check = FirstText(db->db_, "PRAGMA quick_check", sqlite3_errmsg(db->db_));
    if (check != "ok") {
        *error = {path + ": the catalogue is damaged (" + check +
                  "); recover it with sqlite3's .recover or remove it"};
        return nullptr;
    }
    if (sqlite3_prepare_v2(db->db_, kStoreSql, -1, &db->store_, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db->db_, "DELETE FROM files WHERE path = ?1", -1, &db->remove_, nullptr) !=
            SQLITE_OK) {
        *error = db->Fail("cannot prepare the catalogue's statements");
        return nullptr;
    }
    return db;
}

HostError CatalogDatabase::LoadAll(std::map<std::string, StoredFile>* files) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT path, size, mtime_ns, status, thumbnail_size, retry FROM files", -1,
                           &query, nullptr) != SQLITE_OK)
        return Fail("cannot read the catalogue");
    int step;
    while ((step = sqlite3_step(query)) == SQLITE_ROW) {
        const unsigned char* path = sqlite3_column_text(query, 0);
        const unsigned char* status = sqlite3_column_text(query, 3);
        if (path == nullptr) continue;
        StoredFile& stored = (*files)[std::string(reinterpret_cast<const char*>(path),
                                                  static_cast<size_t>(sqlite3_column_bytes(query, 0)))];
        stored.size = sqlite3_column_int64(query, 1);
        stored.mtimeNs = sqlite3_column_int64(query, 2);
        stored.status = status ? reinterpret_cast<const char*>(status) : "";
        stored.thumbnailSize = sqlite3_column_int(query, 4);
        stored.retry = sqlite3_column_int(query, 5) != 0;
    }
    sqlite3_finalize(query);
    if (step != SQLITE_DONE) return Fail("cannot read the catalogue");
    return {};
}

HostError CatalogDatabase::BeginIfNeeded() {
    if (inTransaction_) return {};
    if (HostError error = Exec("BEGIN IMMEDIATE")) return error;
    inTransaction_ = true;
    return {};
}

HostError CatalogDatabase::Store(const FileRecord& r, int64_t cataloguedAt) {
    if (HostError error = BeginIfNeeded()) return error;
    const FileFacts& f = r.facts;
    bool accepted = f.status == FileStatus::Accepted;
    sqlite3_stmt* s = store_;
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    auto text = [&](int index, const std::string& value) {
        sqlite3_bind_text(s, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    };
    // Only what the file answered is stored: a refused file has no measures, not zero ones.
    auto acceptedText = [&](int index, const std::string& value) {
        if (accepted) text(index, value);
    };
    auto acceptedReal = [&](int index, double value) {
        if (accepted) sqlite3_bind_double(s, index, value);
    };
    auto acceptedInt = [&](int index, int64_t value) {
        if (accepted) sqlite3_bind_int64(s, index, value);
    };
    text(1, f.path);
    sqlite3_bind_int64(s, 2, r.size);
    sqlite3_bind_int64(s, 3, r.mtimeNs);
    sqlite3_bind_text(s, 4, StatusName(f.status), -1, SQLITE_STATIC);
    if (!accepted && f.status != FileStatus::NotForFilter) {
        sqlite3_bind_int64(s, 5, f.errorCode);
        text(6, f.errorMessage);
    }
    if (!f.format.empty()) text(7, f.format);
    acceptedText(8, f.defaultExtension);
    acceptedReal(9, f.width);
    acceptedReal(10, f.height);
    acceptedReal(11, f.hResolution);
    acceptedReal(12, f.vResolution);
    acceptedInt(13, f.kind);
    acceptedText(14, f.creatingSoftware);
    acceptedText(15, f.macType);
    acceptedText(16, f.macSignature);
    acceptedText(17, f.imageName);
    acceptedText(18, f.user);
    acceptedText(19, f.categories);
    acceptedText(20, f.notes);
    acceptedText(21, f.postScriptVersion);
    acceptedText(22, f.epsfVersion);
    acceptedInt(23, f.epsfType);
    acceptedText(24, f.fonts);
    acceptedText(25, f.colors);
    acceptedText(26, f.links);
    acceptedInt(27, f.opiSystem);
    acceptedText(28, f.opiHiResFileName);
    sqlite3_bind_int(s, 29, r.thumbnailSize);
    if (!r.thumbnail.empty())
        sqlite3_bind_blob(s, 30, r.thumbnail.data(), static_cast<int>(r.thumbnail.size()), SQLITE_TRANSIENT);
    if (!r.thumbnailError.empty()) text(31, r.thumbnailError);
    sqlite3_bind_int64(s, 32, cataloguedAt);
    sqlite3_bind_int(s, 33, f.passing ? 1 : 0);
    acceptedText(34, DocumentFactsJson(f));
    if (sqlite3_step(s) != SQLITE_DONE) return Fail(("cannot store " + f.path).c_str());
    ++pending_;
    return {};
}

HostError CatalogDatabase::Remove(const std::string& path) {
    if (HostError error = BeginIfNeeded()) return error;
    sqlite3_reset(remove_);
    sqlite3_bind_text(remove_, 1, path.data(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(remove_) != SQLITE_DONE) return Fail(("cannot remove " + path).c_str());
    ++pending_;
    return {};
}

HostError CatalogDatabase::Commit() {
    if (!inTransaction_) return {};
    sqlite3_reset(store_);
    sqlite3_reset(remove_);
    HostError error = Exec("COMMIT");
    if (error) {
        error.message += " (the batch was not saved; earlier batches stay)";
        (void)Exec("ROLLBACK");
    }
    inTransaction_ = false;
    pending_ = 0;
    return error;
}

}  // namespace aldra::host
