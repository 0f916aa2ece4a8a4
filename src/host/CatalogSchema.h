// The catalogue's schema, defined once for every back end: its tables, indexes and views as data from
// which each dialect's statements are written, and the ordered steps that bring an older catalogue to
// the current version.
#pragma once
#include <string>
#include <vector>

#include "host/SqlConnection.h"

namespace aldra::host {

inline constexpr int kSchemaVersion = 4;

// Types as the schema thinks of them; each dialect names them its own way.
enum class ColumnType {
    kId,         // the row's own number, given by the database and never reused
    kReference,  // another row's kId
    kInteger,    // 64 bits
    kReal,
    kText,
    kPath,  // text compared byte by byte, so that a folder's rows form one range
    kBlob,
};

struct ColumnDef {
    const char* name;
    ColumnType type;
    const char* constraints;  // in SQL both dialects accept: "NOT NULL", "REFERENCES files(id)", ...
};

struct TableDef {
    const char* name;
    std::vector<ColumnDef> columns;
    const char* tableConstraints;  // "" or e.g. "PRIMARY KEY (file_id, position)"
};

struct IndexDef {
    const char* name;
    const char* table;
    const char* columns;
};

// A list of a file's values (keywords, fonts, ...): a table of (file_id, value, position) rows and
// the name of the column under which the views give the list joined by line feeds.
struct ListDef {
    const char* table;
    const char* joinedName;
};

const std::vector<TableDef>& CatalogTables();
const std::vector<IndexDef>& CatalogIndexes();
const std::vector<ListDef>& CatalogLists();

// The statements that create the current schema in a new database, in order.
std::vector<std::string> CreateStatements(Dialect dialect);

// The step from version `to - 1` to `to`: statements, then work in code (for what SQL alone says
// badly in one of the dialects), then statements again. A dialect in which the older version never
// existed has no statements for it and the step refuses.
struct MigrationStep {
    int to;
    std::vector<std::string> (*before)(Dialect dialect);
    HostError (*fill)(SqlConnection& connection);  // may be null
    std::vector<std::string> (*after)(Dialect dialect);
};
const std::vector<MigrationStep>& MigrationSteps();

// Brings the database to kSchemaVersion inside one write transaction; a peer that did it meanwhile
// leaves nothing to do. Refuses a newer schema and a database that holds tables of something else.
HostError UpgradeSchema(SqlConnection& connection);

// The values of one list as the filter joins them (fonts by line feeds, keywords by carriage returns):
// entries split at each line end (CR LF counts once); a final line end adds no empty entry.
std::vector<std::string> SplitList(const std::string& joined);

}  // namespace aldra::host
