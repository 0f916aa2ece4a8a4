#include "host/Libpq.h"

#include <mutex>

#include "base/LoadedLibrary.h"

namespace aldra::host {

namespace {

// The soname of every libpq since PostgreSQL 8.0.
constexpr const char* kLibpqFile = "libpq.so.5";

LibpqCalls gCalls{};
const LibpqCalls* gLoaded = nullptr;

bool TakeAll(void* library, LibpqCalls* c) {
    return TakeEntry(library, "PQclear", &c->PQclear) && TakeEntry(library, "PQconnectdb", &c->PQconnectdb) &&
           TakeEntry(library, "PQdb", &c->PQdb) && TakeEntry(library, "PQerrorMessage", &c->PQerrorMessage) &&
           TakeEntry(library, "PQexec", &c->PQexec) && TakeEntry(library, "PQexecParams", &c->PQexecParams) &&
           TakeEntry(library, "PQexecPrepared", &c->PQexecPrepared) &&
           TakeEntry(library, "PQfinish", &c->PQfinish) && TakeEntry(library, "PQfreemem", &c->PQfreemem) &&
           TakeEntry(library, "PQftype", &c->PQftype) && TakeEntry(library, "PQgetisnull", &c->PQgetisnull) &&
           TakeEntry(library, "PQgetlength", &c->PQgetlength) &&
           TakeEntry(library, "PQgetvalue", &c->PQgetvalue) && TakeEntry(library, "PQhost", &c->PQhost) &&
           TakeEntry(library, "PQnfields", &c->PQnfields) && TakeEntry(library, "PQntuples", &c->PQntuples) &&
           TakeEntry(library, "PQport", &c->PQport) && TakeEntry(library, "PQprepare", &c->PQprepare) &&
           TakeEntry(library, "PQresultErrorMessage", &c->PQresultErrorMessage) &&
           TakeEntry(library, "PQresultStatus", &c->PQresultStatus) &&
           TakeEntry(library, "PQsetNoticeProcessor", &c->PQsetNoticeProcessor) &&
           TakeEntry(library, "PQstatus", &c->PQstatus) &&
           TakeEntry(library, "PQtransactionStatus", &c->PQtransactionStatus) &&
           TakeEntry(library, "PQunescapeBytea", &c->PQunescapeBytea) &&
           TakeEntry(library, "PQuser", &c->PQuser);
}

}  // namespace

// The library stays loaded: OpenSSL behind it keeps process-wide state.
const LibpqCalls* LoadLibpq() {
    static std::once_flag tried;
    std::call_once(tried, [] {
        if (LoadEntries(kLibpqFile, &gCalls, TakeAll)) gLoaded = &gCalls;
    });
    return gLoaded;
}

const LibpqCalls& Libpq() {
    return gCalls;
}

}  // namespace aldra::host
