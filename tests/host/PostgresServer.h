// The tests' own PostgreSQL server (postgres_server.sh starts it around the tests that need it and
// ctest names its state folder in an environment variable) and a fresh database on it for each test,
// dropped afterwards.
#pragma once
#include <unistd.h>

#include <atomic>
#include <fstream>
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

}  // namespace aldra::testing
