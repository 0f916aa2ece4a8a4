#include "host/CatalogStore.h"

#include "host/CatalogSchema.h"
#include "host/SqliteConnection.h"

namespace aldra::host {

namespace {

bool IsServerLocation(const std::string& location) {
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

// A reader answers from the current schema only: it may not write, so it cannot upgrade.
HostError CheckVersion(SqlConnection& connection) {
    int version = -1;
    bool empty = false;
    if (HostError error = connection.ReadVersion(&version, &empty)) return error;
    if (version == kSchemaVersion) return {};
    if (version == 0) return {connection.name() + ": not a catalogue of this program"};
    return {connection.name() + ": the catalogue has schema version " + std::to_string(version) + ", not " +
            std::to_string(kSchemaVersion) +
            (version < kSchemaVersion ? " (a catalog run upgrades it)" : "")};
}

}  // namespace

std::unique_ptr<CatalogStore> OpenCatalogStore(const std::string& location, bool write, HostError* error) {
    if (IsServerLocation(location)) {
        *error = {location + ": this program was built without a database server back end"};
        return nullptr;
    }
    std::unique_ptr<SqlConnection> connection = SqliteConnection::Open(location, write, error);
    if (!connection) return nullptr;
    if ((*error = write ? UpgradeSchema(*connection) : CheckVersion(*connection))) return nullptr;
    // A damaged catalogue would lose rows silently as the run writes into it.
    if (write && (*error = connection->CheckIntegrity())) return nullptr;
    return MakeSqlCatalogStore(std::move(connection));
}

}  // namespace aldra::host
