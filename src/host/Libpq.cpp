#include "host/Libpq.h"

#include <dlfcn.h>

#include <mutex>

namespace aldra::host {

namespace {

// The soname of every libpq since PostgreSQL 8.0.
constexpr const char* kLibpqFile = "libpq.so.5";

LibpqCalls gCalls{};
const LibpqCalls* gLoaded = nullptr;

template <typename Call>
bool Take(void* library, const char* name, Call* call) {
    *call = reinterpret_cast<Call>(dlsym(library, name));
    return *call != nullptr;
}

bool TakeAll(void* library, LibpqCalls* c) {
    return Take(library, "PQclear", &c->PQclear) && Take(library, "PQconnectdb", &c->PQconnectdb) &&
           Take(library, "PQdb", &c->PQdb) && Take(library, "PQerrorMessage", &c->PQerrorMessage) &&
           Take(library, "PQexec", &c->PQexec) && Take(library, "PQexecParams", &c->PQexecParams) &&
           Take(library, "PQexecPrepared", &c->PQexecPrepared) && Take(library, "PQfinish", &c->PQfinish) &&
           Take(library, "PQfreemem", &c->PQfreemem) && Take(library, "PQftype", &c->PQftype) &&
           Take(library, "PQgetisnull", &c->PQgetisnull) && Take(library, "PQgetlength", &c->PQgetlength) &&
           Take(library, "PQgetvalue", &c->PQgetvalue) && Take(library, "PQhost", &c->PQhost) &&
           Take(library, "PQnfields", &c->PQnfields) && Take(library, "PQntuples", &c->PQntuples) &&
           Take(library, "PQport", &c->PQport) && Take(library, "PQprepare", &c->PQprepare) &&
           Take(library, "PQresultErrorMessage", &c->PQresultErrorMessage) &&
           Take(library, "PQresultStatus", &c->PQresultStatus) &&
           Take(library, "PQsetNoticeProcessor", &c->PQsetNoticeProcessor) &&
           Take(library, "PQstatus", &c->PQstatus) &&
           Take(library, "PQtransactionStatus", &c->PQtransactionStatus) &&
           Take(library, "PQunescapeBytea", &c->PQunescapeBytea) && Take(library, "PQuser", &c->PQuser);
}

}  // namespace

// The library stays loaded: OpenSSL behind it keeps process-wide state.
const LibpqCalls* LoadLibpq() {
    static std::once_flag tried;
    std::call_once(tried, [] {
        void* library = dlopen(kLibpqFile, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        if (TakeAll(library, &gCalls))
            gLoaded = &gCalls;
        else
            dlclose(library);
    });
    return gLoaded;
}

const LibpqCalls& Libpq() {
    return gCalls;
}

}  // namespace aldra::host
