// The single-file commands as a user runs them: what they print, their exit status, and what they leave
// on disk.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "host/HostRun.h"

namespace aldra::testing {
namespace {

class ProgramTest : public ::testing::Test {
  protected:
    // Registered beforehand, so that stderr holds only what each test is about.
    void SetUp() override { ASSERT_EQ(host.Run({"register"}).exitCode, 0); }
    // A DOS EPS file, two inches by one, with a grey TIFF preview.
    std::string PreviewEps() {
        TiffPicture picture = MakePicture(40, 20, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 6; });
        return files.Write("preview.eps", DosEpsFile("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n",
                                                     MakeTiff(picture)));
    }
    Host host;
    TempDir files;
};

// Every getter's exact answer once, in order, the information interface's facts behind the
// catalogue's; text from the filter's code page comes out as UTF-8 and escaped, a backslash before
// a letter as it stands.
TEST_F(ProgramTest, InfoRawJsonHasEveryKeyInOrderWithTextAsUtf8) {
    std::string plain =
        files.Write("plain.eps", EpsText("%%Creator: Caf\xE9\t\"Q\" \\\\n \x80\n%%BoundingBox: 0 0 72 144\n"
                                         "%%DocumentFonts: Times-Roman\n%%+ Helvetica"));
    ProgramResult r = host.Run({"info", "--jsonl", "--raw", plain});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "{\"File\":\"" + plain +
            "\",\"Format\":\"Encapsulated PostScript Image\",\"DefaultExtension\":\"eps\",\"Width\":1,"
            "\"Height\":2,\"HResolution\":0,\"VResolution\":0,\"Kind\":0,\"CreatingSoftware\":"
            "\"Caf\xC3\xA9\\t"
            "\\\"Q\\\" \\\\n "
            "\xE2\x82\xAC\",\"MacType\":\"EPSF\",\"MacSignature\":\"8BIM\",\"ImageName\":\"\","
            "\"User\":\"\",\"Categories\":\"\",\"Notes\":\"\",\"PostScriptVersion\":\"3.0\",\"EPSFVersion\":"
            "\"3.0\",\"EPSFType\":1,\"Fonts\":\"Times-Roman\\nHelvetica\",\"Colors\":\"\",\"Links\":\"\","
            "\"OPISystem\":1,\"OPIHiResFileName\":\"\",\"Creator\":\"Caf\xC3\xA9\\t\\\"Q\\\" \\\\n "
            "\xE2\x82\xAC\","
            "\"BoundingBox\":\"0 0 72 144\"}\n");
}

// Exit status 1 for a file the filter does not take, 2 for one that cannot be read; the reason named.
TEST_F(ProgramTest, RefusedMissingAndHeldFilesNameTheFileAndSetTheExitStatus) {
    std::string held = files.Write("held.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    std::string text = files.Write("notes.txt", "just text\n"), missing = files.File("missing.eps");
    int fd = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{held, ": the file is in use by another program"}, 1},
        {{text, ": not a file for this filter"}, 1},
        {{missing, ": No such file or directory"}, 2}};
    for (const auto& [file, exitCode] : cases) {
        ProgramResult r = host.Run({"info", file[0]});
        EXPECT_EQ(r.exitCode, exitCode) << file[1];
        EXPECT_EQ(r.err, "aldra-eps: " + file[0] + file[1] + "\n");
    }
    close(fd);
}

TEST_F(ProgramTest, ConvertNeverReplacesAFileWithoutForce) {
    std::string eps = PreviewEps(), out = files.Write("out.bmp", "keep me");
    EXPECT_EQ(host.Run({"convert", eps, out}).exitCode, 2);
    EXPECT_EQ(ReadWhole(out), "keep me");
    ASSERT_EQ(host.Run({"convert", eps, out, "--force", "--size", "30x20"}).exitCode, 0);
    std::string bmp = ReadWhole(out);
    int32_t size[2] = {};
    std::memcpy(size, bmp.data() + 18, bmp.size() >= 26 ? 8 : 0);
    EXPECT_EQ(bmp.substr(0, 2) + std::to_string(size[0]) + "x" + std::to_string(std::abs(size[1])),
              "BM30x20");
    // A file the filter refuses leaves the target alone even with --force; no scratch file stays behind.
    std::string bare = files.Write("bare.eps", "%!PS-Adobe-3.0 EPSF-3.0\n");
    EXPECT_EQ(host.Run({"convert", bare, out, "--force"}).exitCode, 1);
    EXPECT_EQ(ReadWhole(out), bmp);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(files.path()), {}), 3);
}

TEST_F(ProgramTest, ThumbnailPngCarriesTheFreedesktopChunksAndReplacesItsOutput) {
    std::string eps = PreviewEps(), out = files.Write("thumb.png", "old");
    ASSERT_EQ(host.Run({"thumbnail", "--force", "--size", "32", eps, out}).exitCode, 0);
    std::string png = ReadWhole(out);
    // Two inches by one fit the 32-pixel box by their width.
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x20\0\0\0\x10", 8));
    struct stat info {};
    ASSERT_EQ(stat(eps.c_str(), &info), 0);
    const std::pair<std::string, std::string> chunks[] = {{"Thumb::URI", "file://" + eps},
                                                          {"Thumb::MTime", std::to_string(info.st_mtime)},
                                                          {"Thumb::Size", std::to_string(info.st_size)},
                                                          {"Thumb::Mimetype", "image/x-eps"}};
    for (const auto& [key, value] : chunks)
        EXPECT_NE(png.find("tEXt" + key + '\0' + value), std::string::npos) << key;
    // No preview at all: exit 1, no file.
    std::string plain = files.Write("plain.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    EXPECT_EQ(host.Run({"thumbnail", plain, files.File("none.png")}).exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(files.File("none.png")));
}

// The settings command writes the values the control loads, so the filter's answers follow them.
TEST_F(ProgramTest, SettingsChangeWhatTheFilterRefuses) {
    std::string hiRes = files.Write("pic.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    std::string layout = files.Write("pic.eps.lay", EpsText("%%BoundingBox: 0 0 10 10\n%%HeliosRefID: 1"));
    EXPECT_EQ(host.Run({"info", layout}).err,
              "aldra-eps: " + layout + ": Helios OPI layout files are disabled.\n");
    EXPECT_EQ(host.Run({"settings", "heliosLayoutsOnly", "yes"}).out, "HeliosLayoutsOnly      1\n");
    EXPECT_EQ(host.Run({"info", layout}).exitCode, 0);
    EXPECT_EQ(host.Run({"info", hiRes}).err,
              "aldra-eps: " + hiRes + ": Helios OPI high resolution files are disabled.\n");
    EXPECT_EQ(host.Run({"settings", "HeliosLayoutsOnly", "perhaps"}).exitCode, 2);
    // UTF-8 from the user, stored in the filter's code page.
    EXPECT_EQ(host.Run({"settings", "CCCategory",
                        "B\xC3\xBC"
                        "cher"})
                  .out,
              "CCCategory             B\xC3\xBC"
              "cher\n");
    EXPECT_NE(ReadWhole(host.registry.File("user.reg"))
                  .find("\"CCCategory\"=\"B\xFC"
                        "cher\""),
              std::string::npos);
    EXPECT_EQ(CountLines(host.Run({"settings"}).out), 13u);
}

}  // namespace
}  // namespace aldra::testing
