// What a catalogue keeps about its files beyond their facts: why a file has no thumbnail, where a moved
// file went, which plates belong to which DCS image, what pruning removes, and what a catalogue of
// an older release keeps when it is upgraded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "host/HostRun.h"
#include "host/Query.h"

namespace aldra::testing {
namespace {

namespace fs = std::filesystem;

class CatalogRows : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(folder); }
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
    // As root, the program runs as nobody, for whom permissions count; everything it uses is handed over.
    void RunAsSomeoneElse() {
        constexpr uid_t kNobody = 65534;
        if (geteuid() != 0) return;
        host.uid = static_cast<int>(kNobody);
        for (const TempDir* dir : {&files, &host.registry, &host.scratch, &host.temp}) {
            lchown(dir->path().c_str(), kNobody, kNobody);
            for (const auto& entry : fs::recursive_directory_iterator(dir->path()))
                lchown(entry.path().c_str(), kNobody, kNobody);
        }
    }
    Host host;
    TempDir files;
    std::string folder = files.File("pictures"), db = files.File("catalog.sqlite");
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
                  "/', ''), group_concat(t.size), f.thumbnail_error "
                  "FROM files f LEFT JOIN thumbnails t ON t.file_id = f.id GROUP BY f.id ORDER BY f.path"),
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
    RunAsSomeoneElse();
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

}  // namespace
}  // namespace aldra::testing
