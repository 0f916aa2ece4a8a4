#include "host/CatalogStore.h"

#include "host/CatalogSchema.h"
#include "host/ClaimingStore.h"
#include "host/PostgresConnection.h"
#include "host/SqliteConnection.h"

namespace aldra::host {

namespace {

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
    const bool server = IsPostgresUri(location);
    std::unique_ptr<SqlConnection> connection;
    if (server)
        connection = PostgresConnection::Open(location, error);
    else
        connection = SqliteConnection::Open(location, write, error);
    if (!connection) return nullptr;
    if ((*error = write ? UpgradeSchema(*connection) : CheckVersion(*connection))) return nullptr;
    // A damaged catalogue would lose rows silently as the run writes into it.
    if (write && (*error = connection->CheckIntegrity())) return nullptr;
    std::unique_ptr<CatalogStore> store = MakeSqlCatalogStore(std::move(connection));
    // Runs on other machines may fill a server's catalogue at the same time.
    if (server && write) return WithClaims(std::move(store), location, error);
    return store;
}

}  // namespace aldra::host
