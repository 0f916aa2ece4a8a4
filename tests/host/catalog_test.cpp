// Catalogue runs as a user starts them, including runs cut short by killed processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <thread>

#include "host/HostRun.h"
#include "support/EpsFixtures.h"

namespace aldra::testing {
namespace {

// Answers of one query, each row's columns joined by '|'.
std::vector<std::string> Query(const std::string& db, const std::string& sql) {
    std::vector<std::string> rows;
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(handle);
        return {"<cannot open>"};
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        rows.push_back(std::string("<") + sqlite3_errmsg(handle) + ">");
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return rows;
}

std::string One(const std::string& db, const std::string& sql) {
    std::vector<std::string> rows = Query(db, sql);
    return rows.size() == 1 ? rows[0] : "<" + std::to_string(rows.size()) + " rows>";
}

class CatalogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = files.File("pictures");
        std::filesystem::create_directories(folder + "/sub");
        db = files.File("catalog.sqlite");
    }
    void WriteMany(int count) {
        for (int i = 0; i < count; ++i) {
            std::string name = folder + "/file" + std::to_string(i) + ".eps";
            std::ofstream(name) << EpsText("%%Creator: run " + std::to_string(i) +
                                           "\n%%BoundingBox: 0 0 72 72");
        }
    }
    std::vector<std::string> Catalog(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"catalog", folder, "--db", db, "--jobs", "2"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    Host host;
    TempDir files;
    std::string folder, db;
};

TEST_F(CatalogTest, SecondRunReadsNothingAndVanishedFilesLoseTheirRows) {
    std::string a = folder + "/a.eps", b = folder + "/sub/b.eps";
    std::ofstream(a) << EpsText("%%Creator: first\n%%BoundingBox: 0 0 144 72");
    std::ofstream(b) << EpsText("%%Creator: second\n%%BoundingBox: 0 0 72 72");
    std::ofstream(folder + "/layout.eps.lay") << EpsText("%%BoundingBox: 0 0 10 10\n%%HeliosRefID: 1");
    std::ofstream(folder + "/layout.eps") << EpsText("%%BoundingBox: 0 0 10 10");
    std::ofstream(folder + "/readme.txt") << "not a picture\n";

    ProgramResult first = host.Run(Catalog());
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("accepted   3"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("refused    1\n         1  Helios OPI layout files are disabled."),
              std::string::npos)
        << first.out;
    EXPECT_EQ(One(db, "SELECT count(*) FROM files"), "5");
    EXPECT_EQ(One(db, "SELECT status, creating_software, width, height FROM files WHERE path = '" + a + "'"),
              "accepted|first|2.0|1.0");
    EXPECT_EQ(One(db, "SELECT status, error_code, error_message, width FROM files WHERE path LIKE '%.lay'"),
              "refused|2|Helios OPI layout files are disabled.|NULL");
    EXPECT_EQ(One(db, "SELECT status FROM files WHERE path LIKE '%readme.txt'"), "other");
    EXPECT_EQ(One(db, "PRAGMA user_version"), "1");
    EXPECT_EQ(One(db, "PRAGMA journal_mode"), "wal");

    // Nothing changed: no file is read, so no file is logged.
    ProgramResult second = host.Run(Catalog());
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out.rfind("Read 0 of 0 files", 0), 0u) << second.out;
    EXPECT_NE(second.out.find("unchanged  5"), std::string::npos);

    // One file changes, one vanishes: exactly those two rows change.
    std::ofstream(a) << EpsText("%%Creator: first, edited\n%%BoundingBox: 0 0 144 72");
    std::filesystem::remove(b);
    ProgramResult third = host.Run(Catalog());
    ASSERT_EQ(third.exitCode, 0) << third.err;
    EXPECT_NE(third.out.find("removed   " + b), std::string::npos) << third.out;
    EXPECT_NE(third.out.find("accepted  " + a), std::string::npos) << third.out;
    EXPECT_NE(third.out.find("Read 1 of 1 files"), std::string::npos) << third.out;
    EXPECT_EQ(One(db, "SELECT count(*) FROM files"), "4");
    EXPECT_EQ(One(db, "SELECT creating_software FROM files WHERE path = '" + a + "'"), "first, edited");
}

TEST_F(CatalogTest, AFolderThatCannotBeWalkedKeepsItsRows) {
    WriteMany(3);
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    std::string other = files.File("other");
    std::filesystem::rename(folder, other);
    ProgramResult r = host.Run(Catalog());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(folder), std::string::npos);
    EXPECT_EQ(One(db, "SELECT count(*) FROM files"), "3");
}

TEST_F(CatalogTest, ADatabaseOfSomethingElseIsLeftAlone) {
    WriteMany(1);
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    sqlite3_exec(handle, "CREATE TABLE mine(x); INSERT INTO mine VALUES (1);", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    ProgramResult r = host.Run(Catalog());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(db), std::string::npos);
    EXPECT_EQ(One(db, "SELECT count(*) FROM mine"), "1");
}

// The pids of a process's children.
std::vector<pid_t> Children(pid_t parent) {
    std::vector<pid_t> children;
    std::ifstream in("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
    pid_t child;
    while (in >> child) children.push_back(child);
    return children;
}

// Runs a catalogue while watching its log lines; calls `act` once `lines` files were logged.
template <typename Act>
int RunAndInterrupt(const Host& host, const std::vector<std::string>& args, size_t lines, Act act) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    pid_t pid =
        StartProgram(args, host.registry.path(), host.temp.path(), pipeFds[1], host.scratch.File("stderr"));
    close(pipeFds[1]);
    FILE* out = fdopen(pipeFds[0], "r");
    char line[4096];
    size_t seen = 0;
    bool acted = false;
    while (fgets(line, sizeof line, out) != nullptr) {
        if (++seen == lines) {
            act(pid);
            acted = true;
        }
    }
    fclose(out);
    EXPECT_TRUE(acted) << "the run ended before " << lines << " lines";
    return WaitProgram(pid);
}

TEST_F(CatalogTest, AKilledWorkerLosesNothingAndDuplicatesNothing) {
    const int count = 600;
    WriteMany(count);
    std::set<pid_t> killed;
    int status = RunAndInterrupt(host, Catalog({"--thumb-size", "0"}), 20, [&](pid_t parent) {
        for (pid_t worker : Children(parent)) {
            kill(worker, SIGKILL);
            killed.insert(worker);
            break;
        }
    });
    EXPECT_EQ(status, 0) << ReadWhole(host.scratch.File("stderr"));
    EXPECT_EQ(killed.size(), 1u);
    EXPECT_EQ(One(db, "SELECT count(*), count(DISTINCT path) FROM files"),
              std::to_string(count) + "|" + std::to_string(count));
    // The file in the killed worker's hands was read again by a new one.
    EXPECT_EQ(One(db, "SELECT count(*) FROM files WHERE status = 'accepted'"), std::to_string(count));
    // The killed worker's scratch folder went with it.
    EXPECT_TRUE(std::filesystem::is_empty(host.temp.path()));
    EXPECT_EQ(One(db,
                  "SELECT count(*) FROM files WHERE creating_software = 'run ' || "
                  "substr(path, length('" +
                      folder + "/file') + 1, length(path) - length('" + folder + "/file') - 4)"),
              std::to_string(count));
}

TEST_F(CatalogTest, AKilledRunKeepsWhatItCommittedAndTheNextRunFinishes) {
    const int count = 800;
    WriteMany(count);
    int status = RunAndInterrupt(host, Catalog({"--thumb-size", "0"}), 400, [&](pid_t parent) {
        std::vector<pid_t> workers = Children(parent);
        kill(parent, SIGKILL);
        for (pid_t w : workers) kill(w, SIGKILL);
    });
    EXPECT_EQ(status, -1);
    int committed = std::stoi(One(db, "SELECT count(*) FROM files"));
    EXPECT_LT(committed, count);
    EXPECT_GT(committed, 0);

    ProgramResult rest = host.Run(Catalog({"--thumb-size", "0"}));
    ASSERT_EQ(rest.exitCode, 0) << rest.err;
    EXPECT_NE(rest.out.find("unchanged  " + std::to_string(committed) + "\n"), std::string::npos) << rest.out;
    EXPECT_EQ(One(db, "SELECT count(*), count(DISTINCT path) FROM files WHERE status = 'accepted'"),
              std::to_string(count) + "|" + std::to_string(count));
}

TEST_F(CatalogTest, ThumbnailsAreStoredAsFreedesktopPngs) {
    WriteMany(2);
    std::string tiffLess = folder + "/file0.eps";
    ProgramResult r = host.Run(Catalog({"--thumb-size", "48"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Plain PostScript has no preview: no BLOB and no error, the row is still complete.
    EXPECT_EQ(
        One(db,
            "SELECT thumbnail IS NULL, thumbnail_error IS NULL, thumbnail_size FROM files WHERE path = '" +
                tiffLess + "'"),
        "1|1|48");
    // Another size asked for: the accepted files are read again.
    ProgramResult again = host.Run(Catalog({"--thumb-size", "64"}));
    EXPECT_NE(again.out.find("Read 2 of 2 files"), std::string::npos) << again.out;
}

// The bundled sample folder, catalogued with two workers, gives the rows kept in samples.golden; any
// change in what the filter reports shows as a change of that file.
TEST_F(CatalogTest, SampleFolderGivesTheGoldenRows) {
    ProgramResult run =
        host.Run({"catalog", ALDRA_SAMPLES_DIR, "--db", db, "--jobs", "2", "--thumb-size", "64"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> rows = Query(
        db,
        "SELECT replace(path, rtrim(path, replace(path, '/', '')), ''), status, format, printf('%.3f', "
        "width), "
        "printf('%.3f', height), h_resolution, v_resolution, kind, creating_software, "
        "replace(categories, char(13), ','), replace(fonts, char(10), ','), replace(colors, char(10), ','), "
        "notes, thumbnail IS NOT NULL, error_code FROM files ORDER BY 1");
    std::string actual;
    for (const std::string& row : rows) actual += row + "\n";
    std::string golden = ReadWhole(std::string(ALDRA_SOURCE_DIR) + "/tests/host/samples.golden");
    EXPECT_EQ(actual, golden) << "the rows now are:\n" << actual;
}

// A disk that fills up during a run: the run stops with one clear line, the catalogue keeps every
// batch it committed, and a run with room again completes it.
TEST_F(CatalogTest, AFullDiskStopsTheRunWithoutLosingCommittedRows) {
    WriteMany(5);
    ASSERT_EQ(host.Run({"catalog", folder, "--db", db, "--jobs", "1", "--thumb-size", "0"}).exitCode, 0);
    WriteMany(400);
    std::error_code ec;
    host.fileSizeLimit = static_cast<long long>(std::filesystem::file_size(db, ec)) + 64 * 1024;
    ProgramResult full = host.Run({"catalog", folder, "--db", db, "--jobs", "1", "--thumb-size", "0"});
    host.fileSizeLimit = -1;
    EXPECT_EQ(full.exitCode, 2) << full.out;
    EXPECT_NE(full.err.find(db), std::string::npos) << full.err;
    EXPECT_EQ(One(db, "PRAGMA integrity_check"), "ok");
    EXPECT_GE(std::stoi(One(db, "SELECT count(*) FROM files")), 5);

    ProgramResult again = host.Run({"catalog", folder, "--db", db, "--jobs", "1", "--thumb-size", "0"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(One(db, "SELECT count(*) FROM files"), "400");
}

}  // namespace
}  // namespace aldra::testing
