#include "host/PostgresConnection.h"

namespace aldra::host {

namespace {

// Any number, unlikely to be some other program's: the catalogue's schema changes take turns on it.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7142003417)";

PgValue ServerValue(const SqlValue& value) {
    switch (value.kind) {
        case SqlValue::Kind::kNull:
            return PgNull();
        case SqlValue::Kind::kInteger:
            return PgInt(value.integer);
        case SqlValue::Kind::kReal:
            return PgReal(value.real);
        case SqlValue::Kind::kText:
            return PgText(value.bytes);
        case SqlValue::Kind::kBlob:
            return PgBytes(value.bytes);
    }
    return PgNull();
}

SqlValue ColumnValue(const PgResult& result, int row, int column) {
    if (result.IsNull(row, column)) return SqlValue::Null();
    switch (result.Type(column)) {
        case kPgInt2:
        case kPgInt4:
        case kPgInt8:
        case kPgOid:
            return SqlValue::Int(result.Int(row, column));
        case kPgBool:
            return SqlValue::Int(result.Value(row, column) == "t" ? 1 : 0);
        case kPgFloat4:
        case kPgFloat8:
            return SqlValue::Real(std::strtod(result.Value(row, column).c_str(), nullptr));
        case kPgBytea:
            return SqlValue::Blob(result.Bytes(row, column));
        default:
            return SqlValue::Text(result.Value(row, column));
    }
}

}  // namespace

std::string ServerParameters(const std::string& sql) {
    std::string out;
    out.reserve(sql.size());
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?' && i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9') {
            c = '$';
        }
        out += c;
    }
    return out;
}

std::unique_ptr<PostgresConnection> PostgresConnection::Open(const std::string& conninfo, HostError* error) {
    std::unique_ptr<PgConnection> pg = PgConnection::Open(conninfo, error);
    if (!pg) return nullptr;
    // Paths are bytes as the file system gives them; the server must keep them as they are.
    if ((*error = pg->Exec("SET client_encoding = 'UTF8'"))) return nullptr;
    return std::unique_ptr<PostgresConnection>(new PostgresConnection(std::move(pg)));
}

HostError PostgresConnection::Run(const std::string& sql, const std::vector<SqlValue>& params,
                                  std::vector<SqlRow>* rows) {
    std::vector<PgValue> values;
    std::vector<unsigned> types;
    std::string key = sql;
    for (const SqlValue& param : params) {
        values.push_back(ServerValue(param));
        types.push_back(values.back().type);
        key += '\x1f' + std::to_string(types.back());
    }
    auto found = prepared_.find(key);
    if (found == prepared_.end()) {
        std::string name = "s" + std::to_string(prepared_.size() + 1);
        if (HostError error = pg_->Prepare(name, ServerParameters(sql), types)) return error;
        found = prepared_.emplace(key, name).first;
    }
    PgResult result;
    if (HostError error = pg_->Run(found->second, values, &result)) return error;
    if (rows == nullptr) return {};
    for (int row = 0; row < result.rows(); ++row) {
        SqlRow values;
        for (int column = 0; column < result.columns(); ++column)
            values.push_back(ColumnValue(result, row, column));
        rows->push_back(std::move(values));
    }
    return {};
}

HostError PostgresConnection::ReadVersion(int* version, bool* empty) {
    // Inside a write transaction the version is read again once this run has the schema to itself.
    if (pg_->InTransaction()) {
        if (HostError error = pg_->Exec(kSchemaLock)) return error;
    }
    PgResult result;
    if (HostError error =
            pg_->Query("SELECT (SELECT count(*) FROM pg_catalog.pg_class c WHERE c.relnamespace = "
                       "current_schema()::regnamespace AND c.relkind IN ('r', 'v', 'p')), "
                       "to_regclass('catalog_schema') IS NOT NULL",
                       {}, &result))
        return error;
    *empty = result.Int(0, 0) == 0;
    *version = 0;
    if (result.Value(0, 1) != "t") return {};
    if (HostError error = pg_->Query("SELECT max(version) FROM catalog_schema", {}, &result)) return error;
    *version = static_cast<int>(result.Int(0, 0));
    return {};
}

HostError PostgresConnection::WriteVersion(int version) {
    if (HostError error = pg_->Exec("CREATE TABLE IF NOT EXISTS catalog_schema (version INTEGER NOT NULL)"))
        return error;
    return pg_->Query("WITH gone AS (DELETE FROM catalog_schema) INSERT INTO catalog_schema VALUES ($1)",
                      {PgInt(version)});
}

}  // namespace aldra::host
