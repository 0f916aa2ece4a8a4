// The catalogue store in the shared SQL: every back end runs these same statements.
#include <algorithm>
#include <memory>

#include "host/CatalogSchema.h"
#include "host/CatalogStore.h"
#include "host/Report.h"

namespace aldra::host {

namespace {

constexpr const char* kFileColumns =
    "id, path, size, mtime_ns, device, inode, head_hash, status, thumbnail_size, retry";

// Keeps the row's number, so that its lists, thumbnails, moves and plates stay attached, and the
// time it was first catalogued.
constexpr const char* kUpsertFile = R"sql(
INSERT INTO files (path, size, mtime_ns, device, inode, head_hash, status, error_code, error_message, format,
    default_extension, width, height, h_resolution, v_resolution, kind, creating_software, mac_type,
    mac_signature, image_name, user_name, notes, postscript_version, epsf_version, epsf_type, opi_system,
    opi_hires_file_name, document_facts, thumbnail_size, thumbnail_error, retry, first_catalogued_at,
    catalogued_at)
VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23,
    ?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?32)
ON CONFLICT (path) DO UPDATE SET size = excluded.size, mtime_ns = excluded.mtime_ns, device = excluded.device,
    inode = excluded.inode, head_hash = excluded.head_hash, status = excluded.status,
    error_code = excluded.error_code, error_message = excluded.error_message, format = excluded.format,
    default_extension = excluded.default_extension, width = excluded.width, height = excluded.height,
    h_resolution = excluded.h_resolution, v_resolution = excluded.v_resolution, kind = excluded.kind,
    creating_software = excluded.creating_software, mac_type = excluded.mac_type,
    mac_signature = excluded.mac_signature, image_name = excluded.image_name, user_name = excluded.user_name,
    notes = excluded.notes, postscript_version = excluded.postscript_version,
    epsf_version = excluded.epsf_version, epsf_type = excluded.epsf_type, opi_system = excluded.opi_system,
    opi_hires_file_name = excluded.opi_hires_file_name, document_facts = excluded.document_facts,
    thumbnail_size = excluded.thumbnail_size, thumbnail_error = excluded.thumbnail_error,
    retry = excluded.retry, catalogued_at = excluded.catalogued_at
RETURNING id
)sql";

// Thumbnails of the file's older content are stale at every size.
constexpr const char* kDropStaleThumbnails =
    "DELETE FROM thumbnails WHERE file_id IN (SELECT id FROM files WHERE path = ?1 AND (size <> ?2 OR "
    "mtime_ns "
    "<> ?3))";

// A plate is named after its main file with one letter of a colour behind a dot, and the filter
// refuses it; the main file is a DCS (2) or ICS (3) beside it.
constexpr const char* kLinkPlates = R"sql(
UPDATE files SET main_file_id = (
    SELECT m.id FROM files m WHERE m.epsf_type IN (2, 3) AND m.path IN (
        substr(files.path, 1, length(files.path) - 2),
        substr(files.path, 1, length(files.path) - 2) || '.Main',
        substr(files.path, 1, length(files.path) - 2) || '.eps')
    ORDER BY m.path LIMIT 1)
WHERE status = 'refused' AND main_file_id IS NULL AND substr(path, length(path) - 1, 1) = '.'
    AND upper(substr(path, length(path), 1)) IN ('C', 'M', 'Y', 'K')
)sql";

StoredFile StoredFrom(const SqlRow& row) {
    StoredFile stored;
    stored.id = row[0].AsInt();
    stored.path = row[1].AsText();
    stored.stamp = {row[2].AsInt(), row[3].AsInt(), row[4].AsInt(), row[5].AsInt(), row[6].AsInt()};
    stored.status = row[7].AsText();
    stored.thumbnailSize = static_cast<int32_t>(row[8].AsInt());
    stored.retry = row[9].AsInt() != 0;
    return stored;
}

// The bounds of the paths below a folder: everything after "folder/" and before "folder0", '0'
// being the byte after '/'.
std::pair<std::string, std::string> FolderRange(const std::string& folder) {
    if (folder == "/") return {"/", "0"};
    return {folder + "/", folder + "0"};
}

// A path as a LIKE pattern matching only itself.
std::string LikeLiteral(const std::string& path) {
    std::string pattern;
    for (char c : path) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

class SqlCatalogStore : public CatalogStore {
  public:
    explicit SqlCatalogStore(std::unique_ptr<SqlConnection> connection) : c_(std::move(connection)) {}
    ~SqlCatalogStore() override {
        if (inTransaction_) (void)Commit();
    }

    const std::string& name() const override { return c_->name(); }
    HostError LoadFolder(const std::string& folder, std::map<std::string, StoredFile>* files) override;
    HostError LoadBelow(const std::string& folder, const std::string& after, size_t limit,
                        std::vector<StoredFile>* rows) override;
    HostError FindSameFile(const FileStamp& stamp, std::vector<StoredFile>* rows) override;
    HostError Store(const FileRecord& record, const FileStamp& stamp, int64_t cataloguedAt) override;
    HostError Move(const std::string& from, const std::string& to, const FileStamp& stamp, int64_t movedAt,
                   bool* taken) override;
    HostError Restamp(const std::string& path, const FileStamp& stamp) override;
    HostError Remove(const std::string& path) override;
    HostError LinkPlates() override;
    HostError Commit() override;
    size_t pending() const override { return pending_; }
    HostError Ask(const std::string& sql, const std::vector<SqlValue>& params,
                  std::vector<std::vector<std::string>>* rows) override;

  private:
    HostError BeginIfNeeded();
    HostError Write(const std::string& sql, const std::vector<SqlValue>& params,
                    std::vector<SqlRow>* rows = nullptr);
    HostError StoreLists(int64_t id, const FileFacts& facts);
    HostError StoreThumbnail(int64_t id, const FileRecord& record);

    std::unique_ptr<SqlConnection> c_;
    bool inTransaction_ = false;
    size_t pending_ = 0;
};

// The rows directly in a folder: its range of paths, less those with a '/' after the folder's.
HostError SqlCatalogStore::LoadFolder(const std::string& folder, std::map<std::string, StoredFile>* files) {
    const std::string sql = std::string("SELECT ") + kFileColumns +
                            " FROM files WHERE path > ?1 AND path < ?2 AND path NOT LIKE ?3 ESCAPE '\\'";
    auto [low, high] = FolderRange(folder);
    std::vector<SqlRow> rows;
    if (HostError error = c_->Run(
            sql, {SqlValue::Text(low), SqlValue::Text(high), SqlValue::Text(LikeLiteral(low) + "%/%")},
            &rows))
        return error;
    for (const SqlRow& row : rows) {
        StoredFile stored = StoredFrom(row);
        (*files)[stored.path] = std::move(stored);
    }
    return {};
}

HostError SqlCatalogStore::LoadBelow(const std::string& folder, const std::string& after, size_t limit,
                                     std::vector<StoredFile>* files) {
    const std::string sql = std::string("SELECT ") + kFileColumns +
                            " FROM files WHERE path > ?1 AND path < ?2 ORDER BY path LIMIT ?3";
    auto [low, high] = FolderRange(folder);
    std::vector<SqlRow> rows;
    if (HostError error = c_->Run(sql,
                                  {SqlValue::Text(std::max(low, after)), SqlValue::Text(high),
                                   SqlValue::Int(static_cast<int64_t>(limit))},
                                  &rows))
        return error;
    for (const SqlRow& row : rows) files->push_back(StoredFrom(row));
    return {};
}

HostError SqlCatalogStore::FindSameFile(const FileStamp& stamp, std::vector<StoredFile>* found) {
    const std::string sql = std::string("SELECT ") + kFileColumns +
                            " FROM files WHERE (device = ?1 AND inode = ?2 AND inode <> 0) OR (size = ?3 AND "
                            "mtime_ns = ?4) ORDER BY path";
    std::vector<SqlRow> rows;
    if (HostError error = c_->Run(sql,
                                  {SqlValue::Int(stamp.device), SqlValue::Int(stamp.inode),
                                   SqlValue::Int(stamp.size), SqlValue::Int(stamp.mtimeNs)},
                                  &rows))
        return error;
    for (const SqlRow& row : rows) found->push_back(StoredFrom(row));
    return {};
}

HostError SqlCatalogStore::BeginIfNeeded() {
    if (inTransaction_) return {};
    if (HostError error = c_->Begin()) return error;
    inTransaction_ = true;
    return {};
}

HostError SqlCatalogStore::Write(const std::string& sql, const std::vector<SqlValue>& params,
                                 std::vector<SqlRow>* rows) {
    if (HostError error = BeginIfNeeded()) return error;
    return c_->Run(sql, params, rows);
}

HostError SqlCatalogStore::StoreLists(int64_t id, const FileFacts& f) {
    const std::string* joined[] = {&f.categories, &f.fonts, &f.colors, &f.links};
    bool accepted = f.status == FileStatus::Accepted;
    for (size_t list = 0; list < CatalogLists().size(); ++list) {
        const std::string table = CatalogLists()[list].table;
        if (HostError error = Write("DELETE FROM " + table + " WHERE file_id = ?1", {SqlValue::Int(id)}))
            return error;
        if (!accepted) continue;
        const std::string insert = "INSERT INTO " + table + " (file_id, value, position) VALUES (?1, ?2, ?3)";
        std::vector<std::string> values = SplitList(*joined[list]);
        for (size_t i = 0; i < values.size(); ++i) {
            if (HostError error = Write(insert, {SqlValue::Int(id), SqlValue::Text(std::move(values[i])),
                                                 SqlValue::Int(static_cast<int64_t>(i))}))
                return error;
        }
    }
    return {};
}

HostError SqlCatalogStore::StoreThumbnail(int64_t id, const FileRecord& r) {
    if (r.facts.status != FileStatus::Accepted)
        return Write("DELETE FROM thumbnails WHERE file_id = ?1", {SqlValue::Int(id)});
    if (r.thumbnail.empty())
        return Write("DELETE FROM thumbnails WHERE file_id = ?1 AND size = ?2",
                     {SqlValue::Int(id), SqlValue::Int(r.thumbnailSize)});
    return Write(
        "INSERT INTO thumbnails (file_id, size, png) VALUES (?1, ?2, ?3) ON CONFLICT (file_id, size) DO "
        "UPDATE "
        "SET png = excluded.png",
        {SqlValue::Int(id), SqlValue::Int(r.thumbnailSize), SqlValue::Blob(r.thumbnail)});
}

HostError SqlCatalogStore::Store(const FileRecord& r, const FileStamp& stamp, int64_t cataloguedAt) {
    const FileFacts& f = r.facts;
    bool accepted = f.status == FileStatus::Accepted;
    auto text = [](const std::string& value) { return SqlValue::Text(value); };
    // Only what the file answered is stored: a refused file has no measures, not zero ones.
    auto acceptedText = [&](const std::string& value) { return accepted ? text(value) : SqlValue::Null(); };
    auto acceptedReal = [&](double value) { return accepted ? SqlValue::Real(value) : SqlValue::Null(); };
    auto acceptedInt = [&](int64_t value) { return accepted ? SqlValue::Int(value) : SqlValue::Null(); };
    bool hasError = !accepted && f.status != FileStatus::NotForFilter;
    std::vector<SqlValue> values = {
        text(f.path),
        SqlValue::Int(stamp.size),
        SqlValue::Int(stamp.mtimeNs),
        SqlValue::Int(stamp.device),
        SqlValue::Int(stamp.inode),
        SqlValue::Int(stamp.headHash),
        text(StatusName(f.status)),
        hasError ? SqlValue::Int(f.errorCode) : SqlValue::Null(),
        hasError ? text(f.errorMessage) : SqlValue::Null(),
        f.format.empty() ? SqlValue::Null() : text(f.format),
        acceptedText(f.defaultExtension),
        acceptedReal(f.width),
        acceptedReal(f.height),
        acceptedReal(f.hResolution),
        acceptedReal(f.vResolution),
        acceptedInt(f.kind),
        acceptedText(f.creatingSoftware),
        acceptedText(f.macType),
        acceptedText(f.macSignature),
        acceptedText(f.imageName),
        acceptedText(f.user),
        acceptedText(f.notes),
        acceptedText(f.postScriptVersion),
        acceptedText(f.epsfVersion),
        acceptedInt(f.epsfType),
        acceptedInt(f.opiSystem),
        acceptedText(f.opiHiResFileName),
        acceptedText(DocumentFactsJson(f)),
        SqlValue::Int(r.thumbnailSize),
        r.thumbnailError.empty() ? SqlValue::Null() : text(r.thumbnailError),
        SqlValue::Int(f.passing ? 1 : 0),
        SqlValue::Int(cataloguedAt),
    };
    if (HostError error = Write(kDropStaleThumbnails,
                                {text(f.path), SqlValue::Int(stamp.size), SqlValue::Int(stamp.mtimeNs)}))
        return error;
    std::vector<SqlRow> ids;
    if (HostError error = Write(kUpsertFile, values, &ids)) return error;
    if (ids.empty()) return {c_->name() + ": cannot store " + f.path + ": no row number"};
    int64_t id = ids[0][0].AsInt();
    if (HostError error = StoreLists(id, f)) return error;
    if (HostError error = StoreThumbnail(id, r)) return error;
    ++pending_;
    return {};
}

HostError SqlCatalogStore::Move(const std::string& from, const std::string& to, const FileStamp& stamp,
                                int64_t movedAt, bool* taken) {
    // The row moves only if it still stands under its old path, which a peer's move of the same file
    // changes under the write lock (SQLite) or the row's lock (PostgreSQL); the move is noted only by
    // the run whose update took the row.
    std::vector<SqlRow> ids;
    if (HostError error = Write(
            "UPDATE files SET path = ?2, size = ?3, mtime_ns = ?4, device = ?5, inode = ?6, head_hash = ?7 "
            "WHERE path = ?1 AND NOT EXISTS (SELECT 1 FROM files WHERE path = ?2) RETURNING id",
            {SqlValue::Text(from), SqlValue::Text(to), SqlValue::Int(stamp.size),
             SqlValue::Int(stamp.mtimeNs), SqlValue::Int(stamp.device), SqlValue::Int(stamp.inode),
             SqlValue::Int(stamp.headHash)},
            &ids))
        return error;
    *taken = !ids.empty();
    if (!*taken) return {};
    const char* note =
        "INSERT INTO file_moves (file_id, from_path, to_path, moved_at) VALUES (?1, ?2, ?3, ?4)";
    if (HostError error = Write(note, {SqlValue::Int(ids[0][0].AsInt()), SqlValue::Text(from),
                                       SqlValue::Text(to), SqlValue::Int(movedAt)}))
        return error;
    ++pending_;
    return {};
}

HostError SqlCatalogStore::Restamp(const std::string& path, const FileStamp& stamp) {
    if (HostError error = Write("UPDATE files SET device = ?2, inode = ?3, head_hash = ?4 WHERE path = ?1",
                                {SqlValue::Text(path), SqlValue::Int(stamp.device),
                                 SqlValue::Int(stamp.inode), SqlValue::Int(stamp.headHash)}))
        return error;
    ++pending_;
    return {};
}

HostError SqlCatalogStore::Remove(const std::string& path) {
    if (HostError error = Write("DELETE FROM files WHERE path = ?1", {SqlValue::Text(path)})) return error;
    ++pending_;
    return {};
}

HostError SqlCatalogStore::LinkPlates() {
    if (HostError error = Write(kLinkPlates, {})) return error;
    ++pending_;
    return {};
}

HostError SqlCatalogStore::Commit() {
    if (!inTransaction_) return {};
    HostError error = c_->Commit();
    if (error) {
        error.message += " (the batch was not saved; earlier batches stay)";
        c_->Rollback();
    }
    inTransaction_ = false;
    pending_ = 0;
    return error;
}

HostError SqlCatalogStore::Ask(const std::string& sql, const std::vector<SqlValue>& params,
                               std::vector<std::vector<std::string>>* rows) {
    std::vector<SqlRow> found;
    if (HostError error = c_->Run(sql, params, &found)) return error;
    for (const SqlRow& row : found) {
        std::vector<std::string> texts;
        for (const SqlValue& value : row) texts.push_back(value.AsText());
        rows->push_back(std::move(texts));
    }
    return {};
}

}  // namespace

std::unique_ptr<CatalogStore> MakeSqlCatalogStore(std::unique_ptr<SqlConnection> connection) {
    return std::make_unique<SqlCatalogStore>(std::move(connection));
}

}  // namespace aldra::host
