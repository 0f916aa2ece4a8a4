// What a catalogue keeps about its files beyond their facts: why a file has no thumbnail, where a moved
// file went, which plates belong to which DCS image, what pruning removes, and what a catalogue of
// an older release keeps when it is upgraded.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

}  // namespace
}  // namespace aldra::testing
