// Many runs, on many machines, filling one catalogue on a server at once. Each run claims a file in
// the database before reading it, so that no two read the same file; a claim belongs to the run's
// session (an advisory lock the server drops when the session ends, however it ends), so the claims
// of a killed run pass to whichever run comes to those files next. A claim is released once the row
// it was for is committed.
#pragma once
#include <memory>
#include <string>

#include "host/StoreLayers.h"

namespace aldra::host {

// The store with claims kept through a second connection to the same server, whose statements
// commit at once and so never wait on the batch the rows go into.
std::unique_ptr<CatalogStore> WithClaims(std::unique_ptr<CatalogStore> store, const std::string& conninfo,
                                         HostError* error);

}  // namespace aldra::host
