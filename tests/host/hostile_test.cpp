// The program against hostile files, full disks and odd file systems, by the kind of harm: rows lost
// or a failure told as success (Loss), a command that never ends (Hang), a file replaced that was not
// to be (Overwrite), a file read that nobody named (Confinement), a file's text driving the terminal
// (Terminal).
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <thread>

#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "host/HostRun.h"
#include "host/Query.h"

namespace aldra::testing {
namespace {

namespace fs = std::filesystem;

std::string IptcBlock(const std::string& keyword) {
    return PhotoshopBlock(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                          ImageResource(1028, IptcDataSetBytes(2, 25, keyword)));
}

struct Timed {
    ProgramResult result;
    double seconds = 0;
};

// The program, killed if it has not ended after five seconds.
Timed RunTimed(const Host& host, const std::vector<std::string>& args) {
    auto start = std::chrono::steady_clock::now();
    pid_t pid = host.Start(args);
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Timed timed;
    timed.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timed.result = host.Wait(pid);
    return timed;
}

// A small tmpfs for the test's life, where the test may mount one.
struct SmallDisk {
    SmallDisk() { mounted = mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=1m") == 0; }
    ~SmallDisk() {
        if (mounted) umount2(dir.path().c_str(), MNT_DETACH);
    }
    TempDir dir;
    bool mounted = false;
};

class Hostile : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(folder); }
    std::vector<std::string> Catalog() const { return {"catalog", folder, "--db", db, "--jobs", "1"}; }
    std::string Picture(const std::string& name) {
        return files.Write("pictures/" + name, EpsText("%%BoundingBox: 0 0 144 72"));
    }
    // A DOS EPS file, two inches by one, with a grey TIFF preview.
    std::string PreviewEps() {
        TiffPicture picture = MakePicture(40, 20, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 6; });
        return files.Write("preview.eps", DosEpsFile("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n",
                                                     MakeTiff(picture)));
    }
    // The catalogue run while a peer connection, having run `sql`, holds the write lock for a second.
    ProgramResult RunWhileAPeerWrites(const std::string& sql) {
        sqlite3* peer = nullptr;
        sqlite3_open(db.c_str(), &peer);
        EXPECT_EQ(sqlite3_exec(peer, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(peer);
        pid_t run = host.Start(Catalog());
        std::this_thread::sleep_for(std::chrono::seconds(1));
        EXPECT_EQ(sqlite3_exec(peer, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(peer);
        return host.Wait(run);
    }
    Host host;
    TempDir files;
    std::string folder = files.File("pictures"), db = files.File("catalog.sqlite");
};

using Loss = Hostile;
using Hang = Hostile;
using Overwrite = Hostile;
using Confinement = Hostile;
using Terminal = Hostile;

TEST_F(Loss, AFailedLastCommitFailsTheRunNamingTheCatalogueAndKeepsTheRowsBefore) {
    SmallDisk disk;
    if (!disk.mounted) GTEST_SKIP() << "mounting a small file system needs root";
    db = disk.dir.File("catalog.sqlite");
    for (const char* name : {"a.eps", "b.eps", "c.eps"}) Picture(name);
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    for (const char* name : {"d.eps", "e.eps", "f.eps"}) Picture(name);
    struct statvfs room {};
    statvfs(disk.dir.path().c_str(), &room);
    // Room left for SQLite's shared-memory index (eight pages), none for the log.
    disk.dir.Write("filler", std::string((room.f_bavail - 9) * room.f_frsize, 'x'));
    ProgramResult full = host.Run(Catalog());
    fs::remove(disk.dir.File("filler"));
    EXPECT_EQ(full.exitCode, 2) << full.out;
    EXPECT_NE(full.err.find("aldra-eps: " + db + ": "), std::string::npos) << full.err;
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Query(db, "SELECT count(*) FROM files"), "3");
}

// A folder that cannot be listed keeps its rows; a path too long to open (made through folder
// descriptors, the only way to make one) is not skipped in silence. Both are reported and counted.
TEST_F(Loss, UnlistableFoldersAndOverlongPathsAreReportedCountedAndKeepTheirRows) {
    fs::create_directories(folder + "/sub");
    Picture("a.eps");
    Picture("sub/b.eps");
    RunAsSomeoneElse(&host, files);
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const std::string name(200, 'd');
    for (size_t length = folder.size(); length <= PATH_MAX; length += name.size() + 1) {
        mkdirat(fd, name.c_str(), 0755);
        int sub = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = sub;
    }
    close(openat(fd, "deep.eps", O_WRONLY | O_CREAT, 0644));
    close(fd);
    chmod((folder + "/sub").c_str(), 0);
    ProgramResult r = host.Run(Catalog());
    chmod((folder + "/sub").c_str(), 0755);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(folder + "/sub: cannot list the folder"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("deep.eps: the path is longer than the system allows"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("  failed     2\n"), std::string::npos) << r.out;
    EXPECT_EQ(Query(db, "SELECT count(*) FROM files"), "2");
    EXPECT_EQ(std::system(("rm -rf " + folder + "/" + name).c_str()), 0);
}

TEST_F(Loss, AFileBusyInAnotherProgramIsTriedAgainByTheNextRun) {
    int fd = open(Picture("a.eps").c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);  // another program writing it
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    EXPECT_EQ(Query(db, "SELECT status, error_message, retry FROM files"),
              "refused|the file is in use by another program|1");
    close(fd);
    EXPECT_NE(host.Run(Catalog()).out.find("Read 1 of 1"), std::string::npos);
    EXPECT_EQ(Query(db, "SELECT status, retry FROM files"), "accepted|0");
}

// A peer run creates the schema while this one waits for the write lock; this one then finds it made.
TEST_F(Loss, TwoFirstRunsOnANewCatalogueBothSucceed) {
    std::string model = files.File("model.sqlite");
    ASSERT_EQ(host.Run({"catalog", files.path() + "/pictures", "--db", model}).exitCode, 0);
    std::string schema =
        Query(model,
              "SELECT group_concat(sql, ';') FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE "
              "'sqlite%'");
    std::string version = Query(model, "PRAGMA user_version");
    Picture("a.eps");
    // A write-ahead catalogue without tables yet, as a first run makes it before its schema.
    ProgramResult r =
        RunWhileAPeerWrites("PRAGMA journal_mode = WAL; CREATE TABLE t(x); DROP TABLE t; BEGIN IMMEDIATE; " +
                            schema + "; PRAGMA user_version = " + version + ";");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Query(db, "SELECT count(*) FROM files"), "1");
}

// A peer run takes a moved file's row over while this one, having seen the row under its old path,
// waits for the write lock: the move is noted once, by the run whose update took the row.
TEST_F(Loss, TwoRunsFindingTheSameMoveNoteItOnce) {
    Picture("old.eps");
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    fs::rename(folder + "/old.eps", folder + "/new.eps");
    ProgramResult r = RunWhileAPeerWrites(
        "BEGIN IMMEDIATE; INSERT INTO file_moves SELECT id, path, replace(path, 'old.eps', 'new.eps'), 0 "
        "FROM files; UPDATE files SET path = replace(path, 'old.eps', 'new.eps');");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Query(db, "SELECT count(*) FROM file_moves") + Query(db, "SELECT count(*) FROM files"), "11");
}

TEST_F(Loss, AReadOnlyOrDamagedCatalogueIsRefusedClearlyAndLeftAlone) {
    Picture("a.eps");
    RunAsSomeoneElse(&host, files);
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    for (mode_t mode : {0644, 0444}) {  // a reader leaves nothing behind, whether it may write or not
        chmod(db.c_str(), mode);
        EXPECT_EQ(host.Run({"query", "--db", db, "--creator", "x"}).exitCode, 1);
        EXPECT_FALSE(fs::exists(db + "-wal") || fs::exists(db + "-shm")) << mode;
    }
    ProgramResult readOnly = host.Run(Catalog());
    EXPECT_EQ(readOnly.exitCode, 2);
    EXPECT_NE(readOnly.err.find(db + ": the catalogue is read-only"), std::string::npos) << readOnly.err;
    EXPECT_FALSE(fs::exists(db + "-wal") || fs::exists(db + "-shm"));
    chmod(db.c_str(), 0644);
    // An index page that is no b-tree page: nothing the unchanged run reads, yet the catalogue is damaged.
    long page = std::stol(Query(db, "PRAGMA page_size"));
    long root = std::stol(Query(db, "SELECT rootpage FROM sqlite_master WHERE name = 'files_by_status'"));
    fs::remove(db + "-wal");  // what this process's reading left, which the program could not open
    fs::remove(db + "-shm");
    {
        std::fstream file(db, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp((root - 1) * page);
        file.put('\x01');
    }
    ProgramResult damaged = host.Run(Catalog());
    EXPECT_EQ(damaged.exitCode, 2);
    EXPECT_NE(damaged.err.find(db + ": the catalogue is damaged"), std::string::npos) << damaged.err;
}

TEST_F(Hang, AFifoOrAFileOthersReadEndsWithinASecondWhereverItIsOpened) {
    std::string pipe = files.File("pipe.eps");
    for (const char* name : {"pipe.eps", "hires.eps", "scan.C"})
        ASSERT_EQ(mkfifo(files.File(name).c_str(), 0644), 0);
    std::string sample =
        files.Write("sample.eps", EpsText("%%CompFileName: hires.eps \n" + IptcBlock("sample")));
    std::string scan = files.Write("scan.eps", EpsText("%%BoundingBox: 0 0 10 10\n%%CyanPlate: scan.C"));
    int reading = open(Picture("read.eps").c_str(), O_RDONLY);  // as a catalogue worker reads it
    ASSERT_EQ(flock(reading, LOCK_SH), 0);
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"info", pipe}, 2},                                          // named on the command line
        {{"thumbnail", pipe, files.File("pipe.png")}, 2},             // the same for a thumbnail
        {{"info", sample}, 0},                                        // a companion named in the file's text
        {{"info", scan}, 0},                                          // a DCS plate beside its main file
        {{"thumbnail", "--force", scan, files.File("pipe.eps")}, 2},  // as the output
        {{"catalog", folder, "--db", pipe}, 2},                       // as the catalogue
        {{"catalog", files.path(), "--db", files.File("c.sqlite")}, 0},  // all of them in a folder
        {{"info", folder + "/read.eps"}, 0},                             // a file another reader has
    };
    // Within a second of what the same command takes on a plain file on this machine now.
    const double plain = RunTimed(host, {"info", files.Write("plain.eps", EpsText(""))}).seconds;
    for (const auto& [args, exitCode] : cases) {
        Timed t = RunTimed(host, args);
        EXPECT_LT(t.seconds, plain + 1.0) << args[1];
        EXPECT_EQ(t.result.exitCode, exitCode) << args[1] << t.result.err;
    }
    close(reading);
}

// A DOS EPS file whose TIFF section claims 2.5 GB, in a sparse file of 16 GB: no output needs more
// than its PostScript text and the section's start, so the conversion ends as soon as a small one.
TEST_F(Hang, AConversionReadsNoMoreOfAHugeFileThanItNeeds) {
    const std::string ps = EpsText("%%BoundingBox: 0 0 144 72");
    const uint32_t header[] = {0xC6D3D0C5u, 30, static_cast<uint32_t>(ps.size()),
                               0,           0,  static_cast<uint32_t>(30 + ps.size()),
                               2500000000u};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    std::string huge = files.Write("huge.eps", bytes + "\xff\xff" + ps + "II*\0\x08\0\0\0");
    ASSERT_EQ(truncate(huge.c_str(), off_t{16} << 30), 0);
    const double plain = RunTimed(host, {"convert", PreviewEps(), files.File("plain.bmp")}).seconds;
    Timed t = RunTimed(host, {"convert", huge, files.File("huge.bmp")});
    EXPECT_EQ(t.result.exitCode, 1) << t.result.err;
    EXPECT_LT(t.seconds, plain + 0.5);
}

TEST_F(Overwrite, ThumbnailReplacesOnlyARegularFileItWasToldToAndNeverItsInput) {
    std::string eps = PreviewEps(), input = ReadWhole(eps);
    std::string kept = files.Write("kept.png", "keep"), linked = files.Write("linked.png", "linked");
    std::string link = files.File("link.png"), device = files.File("null"), fifo = files.File("fifo.png");
    ASSERT_EQ(symlink(linked.c_str(), link.c_str()) | mkfifo(fifo.c_str(), 0644), 0);
    std::vector<std::vector<std::string>> refused = {{"thumbnail", eps, kept},
                                                     {"thumbnail", "--force", eps, eps},
                                                     {"thumbnail", "--force", eps, link},
                                                     {"thumbnail", "--force", eps, fifo},
                                                     {"convert", "--force", "--format", "bmp", eps, eps}};
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        refused.push_back({"thumbnail", "--force", eps, device});
    for (const std::vector<std::string>& args : refused)
        EXPECT_EQ(RunTimed(host, args).result.exitCode, 2) << args.back();
    struct stat info {};
    EXPECT_TRUE(lstat(device.c_str(), &info) != 0 || S_ISCHR(info.st_mode));
    EXPECT_TRUE(lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadWhole(kept) + ReadWhole(linked), "keeplinked");
    EXPECT_EQ(ReadWhole(eps), input);
    ASSERT_EQ(host.Run({"thumbnail", "--force", eps, kept}).exitCode, 0);
    EXPECT_EQ(ReadWhole(kept).substr(1, 3), "PNG");
    for (const auto& entry : fs::directory_iterator(files.path()))
        EXPECT_NE(entry.path().filename().string().rfind(".aldra-eps-", 0), 0u) << entry.path();
}

TEST_F(Overwrite, ConvertWritesTheFormatItsNameOrFormatSaysAndNoOther) {
    std::string eps = PreviewEps();
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {"x.bmp", {}, "BM"},
        {"x.PNG", {}, "\x89PNG"},
        {"x.out", {"--format", "png"}, "\x89PNG"},
        {"x.JPEG", {}, "\xFF\xD8\xFF"},
        {"x.webp", {}, ""}};
    for (const auto& [name, extra, signature] : cases) {
        std::vector<std::string> args = {"convert", eps, files.File(name)};
        args.insert(args.end(), extra.begin(), extra.end());
        EXPECT_EQ(host.Run(args).exitCode, signature.empty() ? 2 : 0) << name;
        EXPECT_EQ(ReadWhole(files.File(name)).substr(0, signature.size()), signature) << name;
    }
    EXPECT_FALSE(fs::exists(files.File("x.webp")));
    // The PNG has the bitmap's size (192 x 96 pixels: two inches by one at 96 per inch).
    EXPECT_EQ(ReadWhole(files.File("x.PNG")).substr(16, 8) + ReadWhole(files.File("x.bmp")).substr(18, 8),
              std::string("\0\0\0\xc0\0\0\0\x60\xc0\0\0\0\x60\0\0\0", 16));
}

TEST_F(Overwrite, ScratchFoldersOfKilledRunsAreRemovedByTheNextRun) {
    pid_t ended = fork();  // a pid no process has: a child that has ended and been reaped
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string dead = std::to_string(ended) + "-a1b2c3", alive = std::to_string(getpid()) + "-a1b2c3";
    const std::string stale[] = {host.temp.File("aldra-eps-worker-" + dead),
                                 files.File(".aldra-eps-" + dead)};
    for (const std::string& path : stale)
        fs::create_directories(path), std::ofstream(path + "/thumbnail.png") << "half";
    // Left alone: a live run's, a link named as a dead run's, and (as root) another user's.
    const std::string kept[] = {host.temp.File("aldra-eps-worker-" + alive),
                                host.temp.File("aldra-eps-worker-" + std::to_string(ended) + "-link00"),
                                files.File(".aldra-eps-" + std::to_string(ended) + "-other0")};
    fs::create_directories(kept[0]);
    fs::create_directories(files.File("elsewhere")), files.Write("elsewhere/x", "x");
    fs::create_directory_symlink(files.File("elsewhere"), kept[1]);
    fs::create_directories(kept[2]);
    if (chown(kept[2].c_str(), 65534, 65534) != 0) fs::remove(kept[2]);
    Picture("a.eps");
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    ASSERT_EQ(host.Run({"thumbnail", PreviewEps(), files.File("out.png")}).exitCode, 0);
    for (const std::string& path : stale) EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(kept[0]) && fs::is_symlink(kept[1]) && fs::exists(files.File("elsewhere/x")));
    EXPECT_EQ(fs::exists(kept[2]), geteuid() == 0);
}

// Each written name: outside the sample's folder, climbing out of it, a link leading out, and below it;
// then outside again, with the setting that allows it.
TEST_F(Confinement, ACompanionIsReadOnlyInTheFilesFolderAndBelowUnlessAllowed) {
    files.Write("outside.eps", EpsText(IptcBlock("secret")));
    fs::create_directories(folder + "/hires");
    files.Write("pictures/hires/inside.eps", EpsText(IptcBlock("inside")));
    symlink(files.File("outside.eps").c_str(), (folder + "/link.eps").c_str());
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"0", files.File("outside.eps"), ""},
        {"0", "..\\outside.eps", ""},
        {"0", "link.eps", ""},
        {"0", "hires/inside.eps", "inside\\r"},
        {"1", files.File("outside.eps"), "secret\\r"}};
    for (const auto& [anywhere, written, keywords] : cases) {
        ASSERT_EQ(host.Run({"settings", "CCHiResAnywhere", anywhere}).exitCode, 0);
        std::string sample =
            files.Write("pictures/sample.eps", EpsText("%%CompFileName: " + written + "X\n"));
        ProgramResult r = host.Run({"info", "--jsonl", "--raw", sample});
        EXPECT_NE(r.out.find(std::string("\"Categories\":\"") + keywords + "Color Central Sample File\""),
                  std::string::npos)
            << written << r.out;
    }
}

TEST_F(Terminal, TextEscapesControlCharactersAndJsonKeepsEveryByte) {
    std::string ink =
        files.Write("ink\x1b[2J.eps", EpsText("%%Creator: \x1b]0;owned\x07 ink\n%%BoundingBox: 0 0 9 9"));
    ProgramResult text = host.Run({"info", ink});
    EXPECT_EQ(text.out.find_first_of("\x1b\x07"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("File: " + files.path() + "/ink\\x1b[2J.eps\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("CreatingSoftware: \\x1b]0;owned\\x07 ink\n"), std::string::npos) << text.out;
    ProgramResult json = host.Run({"info", "--jsonl", "--raw", ink});
    EXPECT_NE(json.out.find("\"CreatingSoftware\":\"\\u001b]0;owned\\u0007 ink\""), std::string::npos)
        << json.out;
    // A name that is not UTF-8: escaped in messages, given byte for byte in JSON.
    std::string latin = files.Write("caf\xE9\x1b.eps", "");
    ProgramResult refused = host.Run({"info", "--jsonl", "--raw", latin});
    EXPECT_NE(refused.err.find("caf\\xe9\\x1b.eps: "), std::string::npos) << refused.err;
    std::string hex;
    for (unsigned char c : latin) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
    EXPECT_NE(refused.out.find("\"FileBytes\":\"" + hex + "\""), std::string::npos) << refused.out;
}

// query gives a path byte for byte to a pipe (for xargs) and with its control characters shown to a
// terminal.
TEST_F(Terminal, QueryGivesANameWholeToAPipeAndEscapedToATerminal) {
    files.Write("pictures/ink\x1b[2J.eps", EpsText("%%Creator: ink\n%%BoundingBox: 0 0 9 9"));
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    const std::vector<std::string> query = {"query", "--db", db, "--creator", "ink"};
    EXPECT_EQ(host.Run(query).out, folder + "/ink\x1b[2J.eps\n");
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    host.output = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    EXPECT_EQ(host.Run(query).exitCode, 0);
    close(host.output);
    char shown[4096];
    ssize_t got = read(terminal, shown, sizeof shown);
    close(terminal);
    EXPECT_EQ(std::string(shown, got > 0 ? static_cast<size_t>(got) : 0), folder + "/ink\\x1b[2J.eps\r\n");
}

}  // namespace
}  // namespace aldra::testing
