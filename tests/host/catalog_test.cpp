// Catalogue runs as a user starts them, including runs whose processes hang, crash or are killed. ctest
// runs them twice: into an SQLite file, and into a database on the tests' PostgreSQL server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "fixtures/Eps.h"
#include "fixtures/Epsi.h"
#include "fixtures/MacFork.h"
#include "host/HostRun.h"
#include "host/PostgresServer.h"
#include "host/Query.h"

namespace aldra::testing {
namespace {

// The pids of a process's children.
std::vector<pid_t> Children(pid_t parent) {
    std::vector<pid_t> children;
    std::ifstream in("/proc/" + std::to_string(parent) + "/task/" + std::to_string(parent) + "/children");
    for (pid_t child; in >> child;) children.push_back(child);
    return children;
}

class CatalogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(folder + "/sub");
        if (!OnServer()) return;
        if (std::string why = TestDatabase::Missing(kCatalogServerVariable); !why.empty())
            GTEST_SKIP() << why;
        UseNewServerDatabase();
    }
    static bool OnServer() { return CatalogOnServer(); }
    void UseNewServerDatabase() { db = NewServerCatalogue(&server); }
    void WriteMany(int count) {
        for (int i = 0; i < count; ++i) {
            std::ofstream(folder + "/file" + std::to_string(i) + ".eps")
                << EpsText("%%Creator: run " + std::to_string(i) + "\n%%BoundingBox: 0 0 72 72");
        }
    }
    // Files with a preview each, so that each has a thumbnail.
    void WriteManyWithPreviews(int count) {
        TiffPicture grey{8, 8, 8, 1, std::vector<uint8_t>(64, 0x80)};
        const std::string file = EpsiFile(EpsiPreviewSection(grey));
        for (int i = 0; i < count; ++i)
            std::ofstream(folder + "/file" + std::to_string(i) + ".eps") << file << "% file " << i << "\n";
    }
    std::vector<std::string> Catalog(std::vector<std::string> extra = {"--jobs", "2"}) {
        std::vector<std::string> args = {"catalog", folder, "--db", db};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    Host host;
    TempDir files;
    std::string folder = files.File("pictures"), db = files.File("catalog.sqlite");
    std::unique_ptr<TestDatabase> server;
};

TEST_F(CatalogTest, SecondRunReadsNothingAndVanishedFilesLoseTheirRows) {
    std::string a = folder + "/a.eps", b = folder + "/sub/b.eps";
    std::ofstream(a) << EpsText("%%Creator: first\n%%BoundingBox: 0 0 144 72\n%%Title: Caf\xE9");
    std::ofstream(b) << EpsText("%%Creator: second\n%%BoundingBox: 0 0 72 72");
    std::ofstream(folder + "/readme.txt") << "not a picture\n";
    ProgramResult first = host.Run(Catalog());
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(Query(db, "SELECT status, creating_software, width, height FROM files ORDER BY path"),
              "accepted|first|2.0|1.0\nother|NULL|NULL|NULL\naccepted|second|1.0|1.0");
    EXPECT_EQ(Query(db,
                    "SELECT json_extract(document_facts, '$.Title'), json_extract(document_facts, "
                    "'$.BoundingBox') FROM files ORDER BY path"),
              "Caf\xC3\xA9|0 0 144 72\nNULL|NULL\nNULL|0 0 72 72");

    // Nothing changed: no file is read.
    ProgramResult second = host.Run(Catalog());
    EXPECT_EQ(second.out.rfind("Read 0 of 0 files", 0), 0u) << second.out;

    // One file changes, one vanishes: exactly those two rows change.
    std::ofstream(a) << EpsText("%%Creator: first, edited\n%%BoundingBox: 0 0 144 72");
    std::filesystem::remove(b);
    ProgramResult third = host.Run(Catalog());
    EXPECT_NE(third.out.find("removed   " + b), std::string::npos) << third.out;
    EXPECT_NE(third.out.find("Read 1 of 1 files"), std::string::npos) << third.out;
    EXPECT_EQ(Query(db, "SELECT creating_software FROM files ORDER BY path"), "first, edited\nNULL");

    // Another thumbnail size: the accepted file is read again, the other one is not.
    EXPECT_NE(host.Run(Catalog({"--jobs", "2", "--thumb-size", "64"})).out.find("Read 1 of 1 files"),
              std::string::npos);
}

// Forks unpacked beside their files are part of those files: no rows of their own, old ones go, the
// file keeps the picture of its fork (the archive's, past a companion that holds none), and a changed
// fork makes its file be read again.
TEST_F(CatalogTest, ForkCompanionsAreNoFilesOfTheirOwn) {
    std::string a = folder + "/a.eps", fork = folder + "/._a.eps";
    std::ofstream(fork) << "fork";
    std::ofstream(folder + "/._orphan.eps") << "no file beside it";
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    std::ofstream(a) << EpsText("%%Creator: mac\n%%BoundingBox: 0 0 72 72");
    std::filesystem::create_directories(folder + "/__MACOSX");
    const PictRaster black{2, 2, 1, false, 0, {1, 1, 1, 1}, {}};
    const std::string pict =
        PictBuilder::Version1({0, 0, 2, 2}).Raster(0x90, black, {0, 0, 2, 2}, {0, 0, 2, 2}).End();
    std::ofstream(folder + "/__MACOSX/._a.eps") << MakeAppleDouble(MakeResourceFork({{"PICT", 256, pict}}));
    ProgramResult second = host.Run(Catalog());
    EXPECT_NE(second.out.find("removed   " + fork), std::string::npos) << second.out;
    EXPECT_EQ(
        Query(db,
              "SELECT replace(path, '" + folder +
                  "/', '') || ' ' || "
                  "(SELECT count(*) FROM thumbnails t WHERE t.file_id = f.id) FROM files f ORDER BY path"),
        "._orphan.eps 0\na.eps 1");

    for (const std::string& changed : {fork, folder + "/__MACOSX/._a.eps"}) {
        SCOPED_TRACE(changed);
        std::filesystem::last_write_time(
            changed, std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
        EXPECT_NE(host.Run(Catalog()).out.find("Read 1 of 1 files"), std::string::npos);
        EXPECT_EQ(host.Run(Catalog()).out.rfind("Read 0 of 0 files", 0), 0u);
    }
}

// A run that cannot do its work stops with status 2 and touches nothing: neither the rows of a folder
// it cannot walk nor a database that is not a catalogue.
TEST_F(CatalogTest, RunsThatCannotWorkLeaveEverythingAlone) {
    WriteMany(3);
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    std::filesystem::rename(folder, files.File("other"));
    EXPECT_EQ(host.Run(Catalog()).exitCode, 2);
    EXPECT_EQ(Query(db, "SELECT count(*) FROM files"), "3");
    std::filesystem::rename(files.File("other"), folder);
    const char* tables = "SELECT name FROM sqlite_master";
    if (OnServer()) {
        UseNewServerDatabase();
        Query(db, "CREATE TABLE mine(x int)");
        tables = "SELECT table_name FROM information_schema.tables WHERE table_schema = 'public'";
    } else {
        std::filesystem::remove(db);
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
        sqlite3_exec(handle, "CREATE TABLE mine(x);", nullptr, nullptr, nullptr);
        sqlite3_close(handle);
    }
    EXPECT_EQ(host.Run(Catalog()).exitCode, 2);
    EXPECT_EQ(Query(db, tables), "mine");
}

// A worker that stops answering is killed after the time-out and its file is recorded as failed, not
// tried again (it would hang the next worker too); a worker that dies has its file tried again by a
// new one. Either way every file gets one row and no scratch folder is left.
TEST_F(CatalogTest, HungWorkersTimeOutAndCrashedWorkersAreRetried) {
    const std::pair<int, const char*> cases[] = {{SIGSTOP, "1"}, {SIGKILL, "0"}};
    const int count = 300;
    WriteMany(count);
    for (const auto& [signal, failed] : cases) {
        if (OnServer())
            UseNewServerDatabase();
        else
            std::filesystem::remove(db);
        auto started = std::chrono::steady_clock::now();
        pid_t run = host.Start(Catalog({"--jobs", "1", "--timeout", "1", "--thumb-size", "0"}));
        std::vector<pid_t> workers;
        siginfo_t ended{};
        while ((workers = Children(run)).empty() &&
               waitid(P_PID, static_cast<id_t>(run), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               ended.si_pid == 0)
            std::this_thread::yield();
        ASSERT_FALSE(workers.empty()) << "the run ended before a worker was seen: " << host.Wait(run).out;
        kill(workers[0], signal);
        ProgramResult r = host.Wait(run);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(signal == SIGSTOP));
        EXPECT_EQ(
            Query(db, "SELECT count(DISTINCT path), count(*) FILTER (WHERE status = 'failed') FROM files"),
            std::to_string(count) + "|" + failed)
            << signal;
        EXPECT_TRUE(std::filesystem::is_empty(host.temp.path()));
        // Neither end says anything lasting about the file: the next run tries it again.
        EXPECT_EQ(Query(db, "SELECT count(*) FROM files WHERE retry = 1"), failed) << signal;
    }
}

// A disk that fills up during a run: the run stops naming the catalogue, keeps every batch it
// committed, and a run with room again completes it.
TEST_F(CatalogTest, AFullDiskStopsTheRunWithoutLosingCommittedRows) {
    if (OnServer()) GTEST_SKIP() << "the server's disk is the server's";
    WriteMany(5);
    ASSERT_EQ(host.Run(Catalog({"--jobs", "1", "--thumb-size", "0"})).exitCode, 0);
    WriteMany(400);
    host.fileSizeLimit = static_cast<long long>(std::filesystem::file_size(db)) + 64 * 1024;
    ProgramResult full = host.Run(Catalog({"--jobs", "1", "--thumb-size", "0"}));
    host.fileSizeLimit = -1;
    EXPECT_EQ(full.exitCode, 2) << full.out;
    EXPECT_NE(full.err.find(db), std::string::npos) << full.err;
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok");
    EXPECT_GE(std::stoi(Query(db, "SELECT count(*) FROM files")), 5);
    EXPECT_EQ(host.Run(Catalog({"--jobs", "1", "--thumb-size", "0"})).exitCode, 0);
    EXPECT_EQ(Query(db, "SELECT count(*) FROM files"), "400");
}

// Two machines mount one share at different places; with --root both name its files as the share
// does, so the second machine finds every row there already and removes only what is gone.
TEST_F(CatalogTest, MachinesMountingAShareElsewhereAgreeOnEveryRow) {
    namespace fs = std::filesystem;
    WriteMany(3);
    std::string elsewhere = files.File("mnt/art");
    fs::create_directories(elsewhere);
    fs::copy(folder, elsewhere, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        fs::last_write_time(elsewhere + "/" + fs::relative(entry.path(), folder).string(),
                            fs::last_write_time(entry.path()));
    ASSERT_EQ(host.Run(Catalog({"--root", folder + "=//server/art"})).exitCode, 0);
    ProgramResult second =
        host.Run({"catalog", elsewhere, "--db", db, "--root", elsewhere + "=//server/art/"});
    EXPECT_EQ(second.out.rfind("Read 0 of 0 files", 0), 0u) << second.out << second.err;
    fs::remove(elsewhere + "/file1.eps");
    ProgramResult third = host.Run({"catalog", elsewhere, "--db", db, "--root", elsewhere + "=//server/art"});
    EXPECT_NE(third.out.find("removed   " + elsewhere + "/file1.eps"), std::string::npos) << third.out;
    EXPECT_EQ(Query(db, "SELECT path FROM files ORDER BY path"),
              "//server/art/file0.eps\n//server/art/file2.eps");
    EXPECT_EQ(host.Run(Catalog({"--root", "no-such-folder=//server/art"})).exitCode, 2);
}

// Four runs over one folder at once, one of them killed midway and started again: every file ends
// with one row and its thumbnail, and no file was read by two runs that both lived.
TEST_F(CatalogTest, ConcurrentRunsShareTheWorkAndAKilledOneIsFinishedByItsRerun) {
    if (!OnServer()) GTEST_SKIP() << "runs share the work of a catalogue on a server";
    const int count = 300;
    WriteManyWithPreviews(count);
    const std::vector<std::string> args = Catalog({"--jobs", "1", "--thumb-size", "32"});
    std::vector<std::unique_ptr<Host>> runs;
    std::vector<pid_t> pids;
    for (int i = 0; i < 4; ++i) {
        runs.push_back(std::make_unique<Host>());
        pids.push_back(runs.back()->Start(args));
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::stoi("0" + Query(db, "SELECT count(*) FROM files WHERE true")) < count / 5 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pids[1], SIGKILL);
    int read = 0;
    auto readBy = [&](const ProgramResult& r) {
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        // The summary's first line, after the files' lines if the run read any.
        const std::string out = "\n" + r.out;
        size_t at = out.rfind("\nRead ");
        return at == std::string::npos ? count : std::stoi(out.substr(at + 6));
    };
    for (int i : {0, 2, 3}) read += readBy(runs[i]->Wait(pids[i]));
    runs[1]->Wait(pids[1]);
    read += readBy(runs[1]->Run(args));
    EXPECT_LE(read, count);
    EXPECT_EQ(
        Query(db,
              "SELECT count(*), count(DISTINCT path), (SELECT count(DISTINCT file_id) FROM thumbnails), "
              "(SELECT count(*) FROM file_claims) FROM files"),
        std::to_string(count) + "|" + std::to_string(count) + "|" + std::to_string(count) + "|0");
}

}  // namespace
}  // namespace aldra::testing
