// libpq, loaded when a catalogue first connects to a PostgreSQL server. Linked into the program it
// brought OpenSSL, Kerberos, LDAP and GnuTLS into every process, some 4 ms of loading for each
// thumbnail or info run that never meets a server.
#pragma once
#include <libpq-fe.h>

namespace aldra::host {

// The calls the catalogue makes, as the library exports them.
struct LibpqCalls {
    decltype(&::PQclear) PQclear;
    decltype(&::PQconnectdb) PQconnectdb;
    decltype(&::PQdb) PQdb;
    decltype(&::PQerrorMessage) PQerrorMessage;
    decltype(&::PQexec) PQexec;
    decltype(&::PQexecParams) PQexecParams;
    decltype(&::PQexecPrepared) PQexecPrepared;
    decltype(&::PQfinish) PQfinish;
    decltype(&::PQfreemem) PQfreemem;
    decltype(&::PQftype) PQftype;
    decltype(&::PQgetisnull) PQgetisnull;
    decltype(&::PQgetlength) PQgetlength;
    decltype(&::PQgetvalue) PQgetvalue;
    decltype(&::PQhost) PQhost;
    decltype(&::PQnfields) PQnfields;
    decltype(&::PQntuples) PQntuples;
    decltype(&::PQport) PQport;
    decltype(&::PQprepare) PQprepare;
    decltype(&::PQresultErrorMessage) PQresultErrorMessage;
    decltype(&::PQresultStatus) PQresultStatus;
    decltype(&::PQsetNoticeProcessor) PQsetNoticeProcessor;
    decltype(&::PQstatus) PQstatus;
    decltype(&::PQtransactionStatus) PQtransactionStatus;
    decltype(&::PQunescapeBytea) PQunescapeBytea;
    decltype(&::PQuser) PQuser;
};

// The library's calls, loaded on the first request and kept for the process; null when libpq is not
// installed or lacks one of them.
const LibpqCalls* LoadLibpq();

// The calls once LoadLibpq has answered them: every connection and result comes from a loaded library.
const LibpqCalls& Libpq();

}  // namespace aldra::host
