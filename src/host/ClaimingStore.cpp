#include "host/ClaimingStore.h"

#include <random>

#include "host/PostgresConnection.h"

namespace aldra::host {

namespace {

// Whether the run owning a claim still holds its session: its advisory lock is granted. pg_locks is
// readable by every role, unlike other sessions' details in pg_stat_activity.
#define ALDRA_OWNER_ALIVE(owner)                                                                       \
    "EXISTS (SELECT 1 FROM pg_locks l WHERE l.locktype = 'advisory' AND l.granted AND l.objsubid = 1 " \
    "AND (l.classid::bigint << 32) + l.objid::bigint = " owner ")"

// Claims the file unless another live run holds it, or its row already says what the file is now
// (another run read it meanwhile). Answers (done, claimed).
constexpr const char* kClaim =
    "WITH done AS (SELECT 1 FROM files WHERE path = ?1 AND size = ?3 AND mtime_ns = ?4 AND retry = 0 "
    "AND (status <> 'accepted' OR thumbnail_size = ?5)), "
    "claimed AS (INSERT INTO file_claims (path, owner) SELECT ?1, ?2 WHERE NOT EXISTS (SELECT 1 FROM done) "
    "ON CONFLICT (path) DO UPDATE SET owner = excluded.owner WHERE file_claims.owner = excluded.owner OR NOT "
    ALDRA_OWNER_ALIVE("file_claims.owner") " RETURNING 1) "
    "SELECT EXISTS (SELECT 1 FROM done)::int, EXISTS (SELECT 1 FROM claimed)::int";

constexpr const char* kForgetDeadClaims = "DELETE FROM file_claims WHERE NOT " ALDRA_OWNER_ALIVE("owner");

#undef ALDRA_OWNER_ALIVE

class ClaimingStore : public ForwardingStore {
  public:
    ClaimingStore(std::unique_ptr<CatalogStore> inner, std::unique_ptr<PostgresConnection> claims,
                  int64_t owner)
        : ForwardingStore(std::move(inner)), claims_(std::move(claims)), owner_(owner) {}

    HostError Claim(const std::string& path, const FileStamp& stamp, int thumbnailSize,
                    ClaimResult* result) override {
        std::vector<SqlRow> rows;
        if (HostError error =
                claims_->Run(kClaim,
                             {SqlValue::Text(path), SqlValue::Int(owner_), SqlValue::Int(stamp.size),
                              SqlValue::Int(stamp.mtimeNs), SqlValue::Int(thumbnailSize)},
                             &rows))
            return error;
        if (rows.empty()) return {name() + ": cannot claim " + path + ": no answer"};
        *result = rows[0][0].AsInt()   ? ClaimResult::kDone
                  : rows[0][1].AsInt() ? ClaimResult::kMine
                                       : ClaimResult::kTaken;
        return {};
    }
    HostError Store(const FileRecord& record, const FileStamp& stamp, int64_t cataloguedAt) override {
        if (HostError error = inner_->Store(record, stamp, cataloguedAt)) return error;
        stored_.push_back(record.facts.path);
        return {};
    }
    // Claims go only once their rows are saved: until then a peer must not read the file again.
    HostError Commit() override {
        HostError error = inner_->Commit();
        std::vector<std::string> stored = std::move(stored_);
        stored_.clear();
        if (error || stored.empty()) return error;
        if ((error = claims_->Begin())) return error;
        for (const std::string& path : stored) {
            if ((error = claims_->Run("DELETE FROM file_claims WHERE path = ?1 AND owner = ?2",
                                      {SqlValue::Text(path), SqlValue::Int(owner_)}))) {
                claims_->Rollback();
                return error;
            }
        }
        return claims_->Commit();
    }
    // Alone in its transaction: in a batch it would hold that batch's rows while waiting for a peer's,
    // and a peer doing the same at its end would wait for them, a deadlock the server breaks by
    // failing one of the batches.
    HostError LinkPlates() override {
        if (HostError error = Commit()) return error;
        if (HostError error = inner_->LinkPlates()) return error;
        return inner_->Commit();
    }

  private:
    std::unique_ptr<PostgresConnection> claims_;
    int64_t owner_;
    std::vector<std::string> stored_;  // paths of the open batch
};

// A run's own number: random, positive, and within the 62 bits the lock check rebuilds exactly.
int64_t NewOwner() {
    std::random_device device;
    std::uniform_int_distribution<int64_t> pick(1, (int64_t{1} << 62) - 1);
    return pick(device);
}

}  // namespace

std::unique_ptr<CatalogStore> WithClaims(std::unique_ptr<CatalogStore> store, const std::string& conninfo,
                                         HostError* error) {
    std::unique_ptr<PostgresConnection> claims = PostgresConnection::Open(conninfo, error);
    if (!claims) return nullptr;
    // A claim outlives nothing: after a crash of the server every run's session is gone with it. So a
    // claim need not wait for the disk, which would cost a flush for every file read.
    if ((*error = claims->Run("SET synchronous_commit = off"))) return nullptr;
    int64_t owner = NewOwner();
    if ((*error = claims->Run("SELECT pg_advisory_lock(?1)", {SqlValue::Int(owner)}))) return nullptr;
    // What killed runs left: nobody is reading those files any more.
    if ((*error = claims->Run(kForgetDeadClaims))) return nullptr;
    return std::make_unique<ClaimingStore>(std::move(store), std::move(claims), owner);
}

}  // namespace aldra::host
