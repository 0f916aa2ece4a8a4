// What a catalogue keeps about its files beyond their facts: why a file has no thumbnail, where a moved
// file went, which plates belong to which DCS image, what pruning removes, what a catalogue of an older
// release keeps when it is upgraded, and how it answers the questions people ask it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "host/HostRun.h"
#include "host/PostgresServer.h"
#include "host/Query.h"

namespace aldra::testing {
namespace {

namespace fs = std::filesystem;

class CatalogRows : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder);
        if (!CatalogOnServer()) return;
        if (std::string why = TestDatabase::Missing(kCatalogServerVariable); !why.empty())
            GTEST_SKIP() << why;
        db = NewServerCatalogue(&server);
    }
    std::vector<std::string> Catalog(std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {"catalog", folder, "--db", db, "--jobs", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    std::string Plain(const std::string& name, const std::string& comments = "") {
        return files.Write("pictures/" + name, EpsText(comments + "%%BoundingBox: 0 0 144 72"));
    }
    // A DOS EPS file with a grey TIFF preview.
    std::string WithPreview(const std::string& name) {
        TiffPicture picture = MakePicture(40, 20, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 6; });
        return files.Write(
            "pictures/" + name,
            DosEpsFile("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n", MakeTiff(picture)));
    }
    std::string Rows() const {
        return Query(db, "SELECT replace(path, '" + files.path() + "/', '') FROM files ORDER BY path");
    }
    Host host;
    TempDir files;
    std::string folder = files.File("pictures"), db = files.File("catalog.sqlite");
    std::unique_ptr<TestDatabase> server;
};

// A file without a preview keeps the reason, which the summary counts; thumbnails are kept by size.
TEST_F(CatalogRows, ThumbnailsAreKeptBySizeAndTheirAbsenceExplained) {
    WithPreview("preview.eps");
    Plain("plain.eps");
    ProgramResult r = host.Run(Catalog());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("  accepted   2 (1 with thumbnails)\n"
                         "         1  without a thumbnail: the filter has no thumbnail for this file\n"),
              std::string::npos)
        << r.out;
    ASSERT_EQ(host.Run(Catalog({"--thumb-size", "64"})).exitCode, 0);
    EXPECT_EQ(
        Query(db,
              "SELECT replace(f.path, '" + folder +
                  "/', ''), (SELECT group_concat(size) FROM (SELECT size FROM thumbnails t WHERE t.file_id = "
                  "f.id ORDER BY size) s), f.thumbnail_error FROM files f ORDER BY f.path"),
        "plain.eps|NULL|the filter has no thumbnail for this file\npreview.eps|64,256|NULL");
}

// A renamed file keeps its inode; a file copied with its time keeps its size, time and head. Either way
// its row follows it, with its number, lists and first catalogue time, and it is not read again. An
// edited file, or one that only shares size and time, is another file.
TEST_F(CatalogRows, MovedFilesKeepTheirRows) {
    fs::create_directories(folder + "/sub");
    Plain("renamed.eps", "%%DocumentFonts: Helvetica\n");
    Plain("copied.eps", "%%Creator: cccc\n");
    Plain("edited.eps", "%%Creator: eeee\n");
    Plain("lookalike.eps", "%%Creator: llll\n");
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    const std::string keptRows =
        "SELECT id, first_catalogued_at FROM files WHERE path LIKE '%copied.eps' OR path LIKE '%renamed.eps' "
        "ORDER BY path";
    std::string before = Query(db, keptRows);

    fs::rename(folder + "/renamed.eps", folder + "/sub/renamed.eps");
    // Copies made while the first still exists, so that no inode is handed on.
    fs::last_write_time(Plain("sub/copied.eps", "%%Creator: cccc\n"),
                        fs::last_write_time(folder + "/copied.eps"));
    fs::last_write_time(Plain("sub/lookalike.eps", "%%Creator: LLLL\n"),
                        fs::last_write_time(folder + "/lookalike.eps"));
    for (const char* name : {"copied.eps", "lookalike.eps"}) fs::remove(folder + "/" + name);
    fs::rename(folder + "/edited.eps", folder + "/sub/edited.eps");
    std::ofstream(folder + "/sub/edited.eps", std::ios::app) << "%%EOF\n";

    ProgramResult r = host.Run(Catalog());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Read 2 of 2 files"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  moved      2\n  removed    2\n"), std::string::npos) << r.out;
    EXPECT_EQ(Query(db, keptRows), before);
    EXPECT_EQ(Query(db, "SELECT replace(m.to_path, '" + folder +
                            "/', ''), l.fonts, f.creating_software FROM file_moves m "
                            "JOIN file_lists l ON l.file_id = m.file_id JOIN files f ON f.id = m.file_id "
                            "ORDER BY m.to_path"),
              "sub/copied.eps|NULL|cccc\nsub/renamed.eps|Helvetica|");
    EXPECT_EQ(Query(db, "SELECT creating_software FROM files WHERE path LIKE '%sub/%' ORDER BY path"),
              "cccc\neeee\nLLLL\n");
}

// The run compares each folder with its own rows: rows below folders that vanished whole still go, a
// file moved up into a folder walked earlier keeps its row, and a folder whose name holds the pattern
// characters of SQL finds its rows (else its file would be read on every run).
TEST_F(CatalogRows, EveryFolderOfTheTreeIsComparedWithItsOwnRows) {
    for (const char* sub : {"a/b/c", "empty", "gone/deeper", "odd%_\\name", "z"})
        fs::create_directories(folder + "/" + sub);
    for (const char* name :
         {"a/b/c/deep.eps", "gone/g.eps", "gone/deeper/h.eps", "odd%_\\name/o.eps", "z/late.eps", "top.eps"})
        Plain(name, std::string("%%Title: ") + name + "\n");
    // A folder named twice, once inside another, is walked once.
    ProgramResult first = host.Run({"catalog", folder, folder + "/a", "--db", db, "--jobs", "1"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find("Read 6 of 6 files"), std::string::npos) << first.out;
    const std::string movedRow = "SELECT id FROM files WHERE path LIKE '%late.eps'";
    std::string before = Query(db, movedRow);

    fs::remove_all(folder + "/gone");
    fs::rename(folder + "/z/late.eps", folder + "/late.eps");
    ProgramResult r = host.Run(Catalog());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Read 0 of 0 files"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  unchanged  3\n  moved      1\n  removed    2\n"), std::string::npos) << r.out;
    EXPECT_EQ(Query(db, movedRow), before);
    EXPECT_EQ(Rows(),
              "pictures/a/b/c/deep.eps\npictures/late.eps\npictures/odd%_\\name/o.eps\npictures/top.eps");
}

// The filter refuses the plates of a DCS image; their rows point at the main file's.
TEST_F(CatalogRows, DcsPlatesAreLinkedToTheirMainFile) {
    Plain("scan.eps",
          "%%CyanPlate: scan.C\n%%MagentaPlate: scan.M\n%%YellowPlate: scan.Y\n%%BlackPlate: scan.K\n");
    for (const char* plate : {"scan.C", "scan.M", "scan.Y", "scan.K", "other.C"}) Plain(plate);
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    EXPECT_EQ(Query(db, "SELECT replace(main_path, '" + folder + "/', ''), replace(plate_path, '" + folder +
                            "/', '') FROM dcs_plates ORDER BY plate_path"),
              "scan.eps|scan.C\nscan.eps|scan.K\nscan.eps|scan.M\nscan.eps|scan.Y");
}

// Pruning removes the rows of files that are gone under the folders named, even a folder gone as a
// whole, and nothing else: not other folders' rows, not the rows under a folder that cannot be read.
TEST_F(CatalogRows, PruneRemovesOnlyVanishedFilesUnderTheFoldersNamed) {
    std::string other = files.File("other");
    fs::create_directories(folder + "/locked");
    fs::create_directories(other);
    Plain("gone.eps");
    Plain("kept.eps");
    Plain("locked/hidden.eps");
    files.Write("other/gone.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    RunAsSomeoneElse(&host, files);
    ASSERT_EQ(host.Run({"catalog", folder, other, "--db", db, "--jobs", "1"}).exitCode, 0);
    fs::remove(folder + "/gone.eps");
    fs::remove(other + "/gone.eps");
    chmod((folder + "/locked").c_str(), 0);
    ProgramResult r = host.Run({"catalog", "--prune", folder, "--db", db});
    chmod((folder + "/locked").c_str(), 0755);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Pruned 1 rows of vanished files under 1 folders"), std::string::npos) << r.out;
    EXPECT_EQ(Rows(), "other/gone.eps\npictures/kept.eps\npictures/locked/hidden.eps");
    fs::remove_all(other);
    EXPECT_EQ(host.Run({"catalog", "--prune", other + "/", "--db", db}).exitCode, 0);
    EXPECT_EQ(Rows(), "pictures/kept.eps\npictures/locked/hidden.eps");
}

// The catalogue as the release before this one wrote it.
constexpr const char* kSchema3 = R"sql(
CREATE TABLE files (path TEXT PRIMARY KEY NOT NULL, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,
    status TEXT NOT NULL CHECK (status IN ('accepted', 'refused', 'other', 'failed')), error_code INTEGER,
    error_message TEXT, format TEXT, default_extension TEXT, width REAL, height REAL, h_resolution REAL,
    v_resolution REAL, kind INTEGER, creating_software TEXT, mac_type TEXT, mac_signature TEXT, image_name TEXT,
    user TEXT, categories TEXT, notes TEXT, postscript_version TEXT, epsf_version TEXT, epsf_type INTEGER,
    fonts TEXT, colors TEXT, links TEXT, opi_system INTEGER, opi_hires_file_name TEXT,
    thumbnail_size INTEGER NOT NULL DEFAULT 0, thumbnail BLOB, thumbnail_error TEXT, catalogued_at INTEGER NOT NULL,
    retry INTEGER NOT NULL DEFAULT 0, document_facts TEXT);
CREATE INDEX files_status ON files(status);
PRAGMA user_version = 3;
)sql";

// A catalogue of the last release is upgraded in place by the next run: every row keeps its facts, lists,
// thumbnail and state, and no unchanged file is read again.
TEST_F(CatalogRows, ACatalogueOfTheLastReleaseIsMigratedWithNothingLost) {
    if (CatalogOnServer()) GTEST_SKIP() << "released catalogues were SQLite files";
    std::string a = Plain("a.eps"), b = Plain("b.eps", "%%Creator: b\n");
    auto stamp = [](const std::string& path) {
        struct stat info {};
        stat(path.c_str(), &info);
        return std::to_string(info.st_size) + ", " +
               std::to_string(info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec);
    };
    std::string rows =
        "INSERT INTO files (path, size, mtime_ns, status, format, width, creating_software, user, "
        "categories, "
        "fonts, colors, links, epsf_type, thumbnail_size, thumbnail, catalogued_at, document_facts) VALUES "
        "('" +
        a + "', " + stamp(a) +
        ", 'accepted', 'EPS', 2.0, 'Illustrator', 'me', 'red' || char(13) || 'blue', 'Helvetica' || char(10) "
        "|| "
        "'Times-Roman', 'Black' || char(10), 'logo.tif', 1, 256, x'89504E47', 1700000000, "
        "'{\"Title\":\"A\"}');"
        "INSERT INTO files (path, size, mtime_ns, status, error_code, error_message, thumbnail_size, "
        "thumbnail_error, catalogued_at) VALUES ('" +
        b + "', " + stamp(b) +
        ", 'refused', 2, 'a plate', 256, NULL, 1700000001);"
        "INSERT INTO files (path, size, mtime_ns, status, error_code, error_message, retry, catalogued_at) "
        "VALUES ('/elsewhere/c.eps', 1, 2, 'failed', 2000, 'timed out', 1, 1700000002);";
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, (kSchema3 + rows).c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(handle);
    sqlite3_close(handle);

    ProgramResult r = host.Run(Catalog());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Read 0 of 0 files"), std::string::npos) << r.out;
    EXPECT_EQ(Query(db, "PRAGMA user_version"), "4");
    EXPECT_EQ(
        Query(
            db,
            "SELECT replace(f.path, '" + folder +
                "/', ''), status, error_message, width, creating_software, user_name, epsf_type, "
                "retry, first_catalogued_at, catalogued_at, document_facts, replace(keywords, char(10), "
                "'+'), replace(fonts, char(10), '+'), colors, placed_files, f.device <> 0, f.head_hash <> 0 "
                "FROM files f JOIN file_lists l ON l.file_id = f.id ORDER BY f.path"),
        "/elsewhere/c.eps|failed|timed "
        "out|NULL|NULL|NULL|NULL|1|1700000002|1700000002|NULL|NULL|NULL|NULL|NULL|0|0\n"
        "a.eps|accepted|NULL|2.0|Illustrator|me|1|0|1700000000|1700000000|{\"Title\":\"A\"}|red+blue|"
        "Helvetica+Times-Roman|Black|logo.tif|1|1\n"
        "b.eps|refused|a plate|NULL|NULL|NULL|NULL|0|1700000001|1700000001|NULL|NULL|NULL|NULL|NULL|1|1");
    EXPECT_EQ(Query(db, "SELECT size, hex(png) FROM thumbnails"), "256|89504E47");
    EXPECT_EQ(Query(db, "PRAGMA foreign_key_check"), "");
}

std::string Relative(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find(folder + "/")) != std::string::npos;) text.erase(at, folder.size() + 1);
    return text;
}

void SetTime(const std::string& path, time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST_F(CatalogRows, QueryAnswersEachQuestionAloneAndTogether) {
    SetTime(Plain("fonts.eps",
                  "%%Creator: Adobe Illustrator(R) 8.0\n%%DocumentFonts: Helvetica\n%%+ Times-Roman\n"),
            978307200);  // 2001-01-01
    Plain("keyword.eps", "%%Creator: Photo 100%\n" +
                             PhotoshopBlock(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                                            ImageResource(1028, IptcDataSetBytes(2, 25, "Harbour"))));
    WithPreview("preview.eps");
    ASSERT_EQ(host.Run(Catalog()).exitCode, 0);
    const struct {
        std::vector<std::string> ask;
        const char* answer;
        int exitCode;
    } cases[] = {
        {{"--font", "Times-Roman"}, "fonts.eps\n", 0},
        {{"--font", "times-roman"}, "", 1},  // a font's name is exact
        {{"--keyword", "HARBOUR"}, "keyword.eps\n", 0},
        {{"--creator", "illustrator"}, "fonts.eps\n", 0},
        {{"--creator", "100%"}, "keyword.eps\n", 0},
        {{"--creator", "Photo_1"}, "", 1},  // the creator's text is no pattern
        {{"--since", "2020-01-01"}, "keyword.eps\npreview.eps\n", 0},
        {{"--since", "@978307200"}, "fonts.eps\nkeyword.eps\npreview.eps\n", 0},
        {{"--no-preview", "--font", "Helvetica"},
         "fonts.eps\tthe filter has no thumbnail for this file\n",
         0},
        {{"--since", "2020-13-01"}, "", 2},
        {{"--since", "@99999999999999"}, "", 2},  // beyond what nanoseconds hold
        {{"--db", files.File("none.sqlite"), "--font", "Helvetica"}, "", 2},
        {{}, "", 2},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"query", "--db", db};
        args.insert(args.end(), c.ask.begin(), c.ask.end());
        ProgramResult r = host.Run(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.ask.size() << r.err;
        EXPECT_EQ(Relative(r.out, folder), c.answer) << (c.ask.empty() ? "" : c.ask[0] + " " + c.ask.back());
    }
}

// The catalogue of the shared corpus answers each question with the files that SQL finds.
TEST_F(CatalogRows, TheCorpusCatalogueAnswersEveryQuestion) {
    const std::string corpus = ALDRA_CORPUS_DIR;
    if (!fs::exists(corpus)) GTEST_SKIP() << "no corpus";
    ASSERT_LE(host.Run({"catalog", corpus, "--db", db, "--jobs", "2"}).exitCode, 1);
    auto first = [&](const std::string& sql) { return Query(db, sql + " LIMIT 1"); };
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--font", first("SELECT value FROM file_fonts GROUP BY value ORDER BY count(*) DESC, value")},
         "SELECT DISTINCT f.path FROM files f JOIN file_fonts l ON l.file_id = f.id WHERE l.value = ?"},
        {{"--keyword", first("SELECT value FROM file_keywords ORDER BY value")},
         "SELECT DISTINCT f.path FROM files f JOIN file_keywords l ON l.file_id = f.id WHERE lower(l.value) "
         "= lower(?)"},
        {{"--creator",
          first("SELECT creating_software FROM files WHERE creating_software <> '' GROUP BY 1 ORDER BY "
                "count(*) DESC, 1")},
         "SELECT path FROM files WHERE instr(lower(creating_software), lower(?)) > 0"},
        {{"--no-preview"}, "SELECT path FROM files_without_thumbnail"},
        {{"--since", "@" + first("SELECT max(mtime_ns) / 1000000000 FROM files")},
         "SELECT path FROM files WHERE mtime_ns >= 1000000000 * CAST(? AS BIGINT)"},
    };
    for (const auto& [ask, sql] : cases) {
        std::string value = ask.size() > 1 ? ask[1] : "";
        ASSERT_FALSE(ask.size() > 1 && value.empty()) << ask[0] << ": the corpus has no such value";
        std::string quoted = "'";
        for (char c : value.substr(value.rfind('@', 0) == 0 ? 1 : 0))
            quoted += c == '\'' ? "''" : std::string(1, c);
        quoted += "'";
        std::string asked = sql;
        if (size_t at = asked.find('?'); at != std::string::npos) asked.replace(at, 1, quoted);
        std::string expected = Query(db, asked + " ORDER BY path");
        std::vector<std::string> args = {"query", "--db", db};
        args.insert(args.end(), ask.begin(), ask.end());
        ProgramResult r = host.Run(args);
        EXPECT_EQ(r.exitCode, 0) << ask[0] << r.err;
        std::string paths;
        std::istringstream lines(r.out);
        for (std::string line; std::getline(lines, line);)
            paths += (paths.empty() ? "" : "\n") + line.substr(0, line.find('\t'));
        EXPECT_EQ(paths, expected) << ask[0];
    }
}

}  // namespace
}  // namespace aldra::testing
