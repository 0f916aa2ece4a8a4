// The tests' own PostgreSQL server (postgres_server.sh starts it around the tests that need it and
// ctest names its state folder in an environment variable) and a fresh database on it for each test,
// dropped afterwards.
#pragma once
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>

#include "host/Postgres.h"
#include "host/Query.h"

namespace aldra::testing {

class TestDatabase {
  public:
    // Why there is no server to test against (its state folder in the variable `variable`); empty
    // when there is one.
    static std::string Missing(const char* variable = "ALDRA_TEST_POSTGRES") {
        const char* state = std::getenv(variable);
        if (state == nullptr) return "no test server (run through ctest, which starts one)";
        if (!std::ifstream(std::string(state) + "/conninfo"))
            return "PostgreSQL is not installed (scripts/install-deps.sh installs it)";
        return {};
    }

    explicit TestDatabase(const char* variable = "ALDRA_TEST_POSTGRES") {
        std::ifstream in(std::string(std::getenv(variable)) + "/conninfo");
        std::string word;
        while (in >> word) {
            if (word.rfind("host=", 0) == 0) socket_ = word.substr(5);
            if (word.rfind("port=", 0) == 0) port_ = word.substr(5);
        }
        static std::atomic<int> counter{0};
        name_ = "aldra_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        Admin("DROP DATABASE IF EXISTS " + name_);
        Admin("CREATE DATABASE " + name_);
    }
    ~TestDatabase() { Admin("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)"); }

    // As a user names it on the command line: over TCP, or through the unix socket as a URI parameter.
    std::string Uri() const { return "postgresql://aldra_test@127.0.0.1:" + port_ + "/" + name_; }
    std::string SocketUri() const {
        return "postgres:///" + name_ + "?host=" + socket_ + "&port=" + port_ + "&user=aldra_test";
    }
    std::string Conninfo() const { return Conninfo(name_); }

  private:
    std::string Conninfo(const std::string& database) const {
        return "host=" + socket_ + " port=" + port_ + " user=aldra_test dbname=" + database;
    }
    void Admin(const std::string& sql) const {
        aldra::host::HostError error;
        if (auto db = aldra::host::PgConnection::Open(Conninfo("postgres"), &error)) (void)db->Exec(sql);
    }

    std::string socket_, port_, name_;
};

// The catalogue tests run twice under ctest: into an SQLite file, and, with this variable naming the
// server's state folder, into a database of their own on the test server.
inline constexpr const char* kCatalogServerVariable = "ALDRA_TEST_CATALOG_SERVER";

inline bool CatalogOnServer() {
    return std::getenv(kCatalogServerVariable) != nullptr;
}

// A new database on the server for a catalogue (the last one, in *holder, is dropped); its URI.
inline std::string NewServerCatalogue(std::unique_ptr<TestDatabase>* holder) {
    holder->reset();
    *holder = std::make_unique<TestDatabase>(kCatalogServerVariable);
    std::string uri = (*holder)->Uri();
    // The tests' questions are written as sqlite3 users ask them: SQLite's functions they use.
    for (const char* sql : {
             "CREATE FUNCTION json_extract(document text, path text) RETURNS text LANGUAGE sql IMMUTABLE AS "
             "$$ SELECT document::jsonb #>> string_to_array(substr(path, 3), '.') $$",
             "CREATE FUNCTION group_concat_step(list text, value anyelement) RETURNS text LANGUAGE sql "
             "IMMUTABLE AS $$ SELECT CASE WHEN value IS NULL THEN list WHEN list IS NULL THEN value::text "
             "ELSE list || ',' || value::text END $$",
             "CREATE AGGREGATE group_concat(anyelement) (SFUNC = group_concat_step, STYPE = text)",
             "CREATE FUNCTION instr(text text, part text) RETURNS integer LANGUAGE sql IMMUTABLE AS "
             "$$ SELECT strpos(text, part) $$",
         })
        QueryServer(uri, sql);
    return uri;
}

}  // namespace aldra::testing
