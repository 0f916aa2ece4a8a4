#include "host/Postgres.h"

#include "host/Libpq.h"

#include <cstdio>
#include <cstdlib>
#include <regex>

namespace aldra::host {

PgValue PgNull() {
    return {};
}

PgValue PgText(std::string text) {
    return {std::move(text), false, false, kPgText};
}

PgValue PgInt(int64_t value) {
    return {std::to_string(value), false, false, kPgInt8};
}

PgValue PgReal(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return {text, false, false, kPgFloat8};
}

PgValue PgBytes(std::string bytes) {
    return {std::move(bytes), false, true, kPgBytea};
}

PgResult::~PgResult() {
    if (result_ != nullptr) Libpq().PQclear(result_);
}

PgResult& PgResult::operator=(PgResult&& other) noexcept {
    if (this != &other) {
        if (result_ != nullptr) Libpq().PQclear(result_);
        result_ = other.result_;
        other.result_ = nullptr;
    }
    return *this;
}

int PgResult::rows() const {
    return result_ ? Libpq().PQntuples(result_) : 0;
}

int PgResult::columns() const {
    return result_ ? Libpq().PQnfields(result_) : 0;
}

unsigned PgResult::Type(int column) const {
    return result_ ? Libpq().PQftype(result_, column) : 0;
}

std::string PgResult::Bytes(int row, int column) const {
    if (IsNull(row, column)) return {};
    size_t length = 0;
    unsigned char* bytes = Libpq().PQunescapeBytea(
        reinterpret_cast<const unsigned char*>(Libpq().PQgetvalue(result_, row, column)), &length);
    if (bytes == nullptr) return {};
    std::string value(reinterpret_cast<const char*>(bytes), length);
    Libpq().PQfreemem(bytes);
    return value;
}

bool PgResult::IsNull(int row, int column) const {
    return !result_ || row >= Libpq().PQntuples(result_) || column >= Libpq().PQnfields(result_) ||
           Libpq().PQgetisnull(result_, row, column);
}

std::string PgResult::Value(int row, int column) const {
    if (IsNull(row, column)) return {};
    return std::string(Libpq().PQgetvalue(result_, row, column),
                       static_cast<size_t>(Libpq().PQgetlength(result_, row, column)));
}

int64_t PgResult::Int(int row, int column) const {
    if (IsNull(row, column)) return 0;
    return std::strtoll(Libpq().PQgetvalue(result_, row, column), nullptr, 10);
}

bool IsPostgresUri(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::string RedactedConninfo(const std::string& conninfo) {
    if (IsPostgresUri(conninfo)) {
        // user:secret@ in the authority, password=... among the query's parameters.
        static const std::regex userPassword("^(postgres(?:ql)?://[^:@/?]*):[^@/?]*@");
        static const std::regex queryPassword("([?&])password=[^&]*&?");
        std::string text = std::regex_replace(conninfo, userPassword, "$1@");
        text = std::regex_replace(text, queryPassword, "$1");
        if (!text.empty() && (text.back() == '&' || text.back() == '?')) text.pop_back();
        return text;
    }
    static const std::regex keyword(R"(\s*password\s*=\s*('([^'\\]|\\.)*'|\S*))");
    return std::regex_replace(conninfo, keyword, "");
}

namespace {

// Notices (such as "already exists, skipping") are the server talking to itself; the catalogue's
// summary says what the user needs.
void QuietNotices(void*, const char*) {}

std::string Trimmed(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

struct Parameters {
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    std::vector<unsigned> types;
    explicit Parameters(const std::vector<PgValue>& params) {
        for (const PgValue& p : params) {
            values.push_back(p.null ? nullptr : p.bytes.data());
            lengths.push_back(static_cast<int>(p.bytes.size()));
            formats.push_back(p.binary ? 1 : 0);
            types.push_back(p.type);
        }
    }
    int count() const { return static_cast<int>(values.size()); }
};

}  // namespace

PgConnection::~PgConnection() {
    if (conn_ != nullptr) Libpq().PQfinish(conn_);
}

std::unique_ptr<PgConnection> PgConnection::Open(const std::string& conninfo, HostError* error) {
    std::unique_ptr<PgConnection> db(new PgConnection);
    db->name_ = RedactedConninfo(conninfo);
    if (LoadLibpq() == nullptr) {
        *error = {(db->name_.empty() ? std::string("PostgreSQL") : db->name_) +
                  ": cannot connect: libpq (libpq5) is not installed"};
        return nullptr;
    }
    db->conn_ = Libpq().PQconnectdb(conninfo.c_str());
    if (db->conn_ == nullptr) {
        *error = {db->name_ + ": out of memory"};
        return nullptr;
    }
    if (Libpq().PQstatus(db->conn_) != CONNECTION_OK) {
        *error = {(db->name_.empty() ? std::string("PostgreSQL") : db->name_) +
                  ": cannot connect: " + Trimmed(Libpq().PQerrorMessage(db->conn_))};
        return nullptr;
    }
    Libpq().PQsetNoticeProcessor(db->conn_, QuietNotices, nullptr);
    // Messages name what the connection reached, which the PG* variables may have filled in.
    const char* host = Libpq().PQhost(db->conn_);
    db->name_ = std::string("postgresql://") + Libpq().PQuser(db->conn_) + "@" +
                (host && host[0] == '/' ? "" : host) + ":" + Libpq().PQport(db->conn_) + "/" +
                Libpq().PQdb(db->conn_) + (host && host[0] == '/' ? std::string("?host=") + host : "");
    return db;
}

HostError PgConnection::Fail(const std::string& what, pg_result* result) const {
    const char* message = result ? Libpq().PQresultErrorMessage(result) : nullptr;
    if (message == nullptr || *message == '\0') message = Libpq().PQerrorMessage(conn_);
    return {name_ + ": " + what + ": " + Trimmed(message)};
}

HostError PgConnection::Finish(pg_result* result, const std::string& what, PgResult* out) const {
    ExecStatusType status = result ? Libpq().PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        HostError error = Fail(what, result);
        Libpq().PQclear(result);
        return error;
    }
    if (out != nullptr)
        *out = PgResult(result);
    else
        Libpq().PQclear(result);
    return {};
}

HostError PgConnection::Exec(const std::string& sql) {
    return Finish(Libpq().PQexec(conn_, sql.c_str()),
                  "cannot run " + sql.substr(0, sql.find_first_of("( \n")), nullptr);
}

HostError PgConnection::Prepare(const std::string& name, const std::string& sql,
                                const std::vector<unsigned>& types) {
    return Finish(
        Libpq().PQprepare(conn_, name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data()),
        "cannot prepare " + sql.substr(0, 60), nullptr);
}

bool PgConnection::InTransaction() const {
    return Libpq().PQtransactionStatus(conn_) != PQTRANS_IDLE;
}

HostError PgConnection::Run(const std::string& name, const std::vector<PgValue>& params, PgResult* result,
                            bool binaryResult) {
    Parameters p(params);
    return Finish(Libpq().PQexecPrepared(conn_, name.c_str(), p.count(), p.values.data(), p.lengths.data(),
                                         p.formats.data(), binaryResult ? 1 : 0),
                  name, result);
}

HostError PgConnection::Query(const std::string& sql, const std::vector<PgValue>& params, PgResult* result,
                              bool binaryResult) {
    Parameters p(params);
    return Finish(Libpq().PQexecParams(conn_, sql.c_str(), p.count(), p.types.data(), p.values.data(),
                                       p.lengths.data(), p.formats.data(), binaryResult ? 1 : 0),
                  "cannot run " + sql.substr(0, sql.find_first_of("( \n")), result);
}

}  // namespace aldra::host
