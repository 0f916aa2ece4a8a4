// The catalogue run: walk folders, compare with the database, hand the new and changed files to worker
// processes (each with its own control, since the filter is single-threaded), store what they answer
// in batches, remove the rows of vanished files, and report.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "host/FilterHost.h"
#include "host/SharePaths.h"

namespace aldra::host {

struct CatalogOptions {
    std::vector<std::string> folders;
    std::string database = "catalog.sqlite";  // or a postgresql:// URI
    std::optional<ShareRoot> root;            // paths below its local folder are stored as the share's
    int thumbnailSize = 256;                  // 0: no thumbnails
    int jobs = 0;                             // 0: one per core
    int timeoutSeconds = 120;                 // a file taking longer is recorded as failed
    bool quiet = false;                       // no per-file lines and no progress bar
};

// The exit status: 0 when every folder was catalogued; 1 when some folder below could not be listed or
// some path was too long (each reported, counted as failed, and the rows under such a folder kept);
// 2 when a folder named or the database could not be used, a batch could not be saved, or the run was
// interrupted.
int RunCatalog(const CatalogOptions& options, FilterSet& filters);

// Removes the rows of files that are gone under the folders (which may be gone themselves), reading
// no file; a file that cannot be looked at keeps its row. 2 when the database fails.
int PruneCatalog(const CatalogOptions& options);

}  // namespace aldra::host
