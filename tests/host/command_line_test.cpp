// The command line as people used to getopt, file managers and shell pipes write it, and the registry
// as the program leaves it: through the real program.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "host/HostRun.h"

namespace aldra::testing {
namespace {

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host.cwd = files.path();
        TiffPicture picture = MakePicture(40, 20, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 6; });
        eps = files.Write("-preview.eps", DosEpsFile("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n",
                                                     MakeTiff(picture)));
    }
    // The width a PNG's header gives, or what the output starts with when it is no PNG.
    static std::string PngWidth(const std::string& png) {
        if (png.compare(0, 4, "\x89PNG") != 0) return png.substr(0, 2);
        return std::to_string(static_cast<uint8_t>(png[18]) * 256 + static_cast<uint8_t>(png[19]));
    }
    Host host;
    TempDir files;
    std::string eps;  // two inches by one, named like an option
};

TEST_F(CommandLineTest, OptionsAreReadAsGetoptReadsThem) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"thumbnail", "-s", "36", eps, "-"}, "36"},
        {{"thumbnail", eps, "-s32", "-"}, "32"},
        {{"thumbnail", "--size=30", "--force", eps, "-"}, "30"},
        {{"thumbnail", "-s", "24", "--", "-preview.eps", "-"}, "24"},
        {{"convert", "--format", "bmp", eps, "-"}, "BM"},
    };
    for (const auto& [args, width] : rows) {
        ProgramResult r = host.Run(args);
        EXPECT_EQ(r.exitCode, 0) << args[1] << r.err;
        EXPECT_EQ(PngWidth(r.out), width) << args[1];
    }
    ProgramResult version = host.Run({"--version"});
    EXPECT_EQ(version.out.rfind("aldra-eps 1.0.0\nfilter: Aldra EPS Filter 1.0, /", 0), 0u) << version.out;
    for (const char* line : {"libaldra-eps.so\n", "\nlibjpeg", "\nlibpng 1.", "\nSQLite 3."})
        EXPECT_NE(version.out.find(line), std::string::npos) << line;
    EXPECT_EQ(host.Run({"thumbnail", "-h"}).out.rfind("usage: aldra-eps thumbnail FILE OUT [-s|--size N]", 0),
              0u);
}

// Every mistake is one line on stderr, nothing on stdout.
TEST_F(CommandLineTest, MistakesAreOneLineOnStderr) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"thumbnail", "--size", "-5", eps, "-"},
         "thumbnail: --size wants a number of pixels from 1 to 4096, got '-5'"},
        {{"thumbnail", eps, "-", "-s"}, "thumbnail: --size needs a value (see aldra-eps thumbnail --help)"},
        {{"thumbnail", "-x", eps, "-"}, "thumbnail: unknown option -x (see aldra-eps thumbnail --help)"},
        {{"info", eps, "--force"}, "info: unknown option --force (see aldra-eps info --help)"},
        {{"frobnicate"}, "unknown command 'frobnicate' (aldra-eps --help lists them)"},
        {{"thumbnail", "file://server/a.eps", "-"},
         "thumbnail: file://server/a.eps: not a local file (only file:///path and file://localhost/path are "
         "read)"},
        {{"convert", "file:///a%2.eps", "-"}, "convert: file:///a%2.eps: broken percent escape in the URI"},
    };
    for (const auto& [args, message] : rows) {
        ProgramResult r = host.Run(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_EQ(r.err, "aldra-eps: " + message + "\n");
        EXPECT_EQ(r.out, "");
    }
}

// File managers pass `%u`; the picture for standard output leaves nothing behind in TMPDIR.
TEST_F(CommandLineTest, FileUrisAreReadAndStandardOutputIsWritten) {
    files.Write("a b%\xC3\xA9.eps", ReadWhole(eps));
    for (const char* authority : {"", "localhost"}) {
        std::string uri = std::string("file://") + authority + files.path() + "/a%20b%25%C3%a9.eps";
        ProgramResult r = host.Run({"thumbnail", "-s", "32", uri, "-"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(PngWidth(r.out), "32");
        EXPECT_NE(r.out.find("Thumb::URI"), std::string::npos);
    }
    EXPECT_EQ(PngWidth(host.Run({"convert", "file://" + eps, "-", "-s", "30x20"}).out), "30");
    EXPECT_TRUE(std::filesystem::is_empty(host.temp.path()));
}

// `info` as exiftool users read it: one JSON array, JSON lines or CSV, fields chosen by either name,
// folders walked by extension, a file that fails named once on stderr and kept in the records.
TEST_F(CommandLineTest, InfoPrintsRecordsInTheFormAskedFor) {
    ASSERT_EQ(host.Run({"register"}).exitCode, 0);
    files.Write("fonts.ai", EpsText("%%BoundingBox: 0 0 72 36\n%%DocumentFonts: Times-Roman\n%%+ Helvetica"));
    std::filesystem::create_directories(files.File("sub/__MACOSX"));
    files.Write("sub/A.EPS", ReadWhole(eps));
    files.Write("sub/._A.EPS", ReadWhole(eps));
    files.Write("sub/caf\xE9.eps", ReadWhole(eps));
    files.Write("sub/damaged.epsf", "%!PS-Adobe-3.0 EPSF-3.0\n");
    files.Write("sub/__MACOSX/x.eps", ReadWhole(eps));
    files.Write("sub/notes.txt", "text");
    const std::string missing = "aldra-eps: missing.eps: No such file or directory\n";
    const std::string damaged = "aldra-eps: sub/damaged.epsf: the file cannot be read as its format\n";
    struct Row {
        std::vector<std::string> args;
        std::string out, err;
        int exitCode;
    };
    const Row rows[] = {
        {{"info", "--json", "-f", "width_in,width_pt,Width,kind_name,fonts,opi_system_name", "fonts.ai",
          "missing.eps"},
         "[\n{\"file\":\"fonts.ai\",\"width_in\":1,\"width_pt\":72,\"kind_name\":\"one-bit\",\"fonts\":"
         "[\"Times-Roman\",\"Helvetica\"],\"opi_system_name\":\"none\"},\n{\"file\":\"missing.eps\","
         "\"error\":"
         "{\"code\":2008,\"message\":\"No such file or directory\"}}\n]\n",
         missing,
         2},
        {{"info", "--jsonl", "--raw", "-f", "Width,fonts,bounding_box", "fonts.ai"},
         "{\"File\":\"fonts.ai\",\"Width\":1,\"Fonts\":\"Times-Roman\\nHelvetica\",\"BoundingBox\":\"0 0 72 "
         "36\"}\n",
         "",
         0},
        {{"info", "-r", "--csv", "-f", "height_pt,epsf_type_name", "sub", "missing.eps"},
         "file,height_pt,epsf_type_name,error\r\nsub/A.EPS,72,EPS,\r\nsub/caf\\xe9.eps,72,EPS,\r\n"
         "sub/damaged.epsf,,,the file cannot be read as its format\r\nmissing.eps,,,No such file or "
         "directory\r\n",
         damaged + missing,
         2},
        {{"info", "-r", "--ext", "ai", "--json", "-f", "kind", "."},
         "[\n{\"file\":\"./fonts.ai\",\"kind\":0}\n]\n",
         "",
         0},
        {{"info", "--jsonl", "-f", "width_in", "sub/caf\xE9.eps"},
         "{\"file\":\"sub/caf\\\\xe9.eps\",\"file_bytes\":\"7375622f636166e92e657073\",\"width_in\":2}\n",
         "",
         0},
        {{"info", "-f", "width_pt,title", "missing.eps", "fonts.ai"},
         "File: fonts.ai\nwidth_pt: 72 pt\nTitle: \n",
         missing,
         2},
        {{"info", "sub"}, "", "aldra-eps: sub: is a folder (-r reads the files below it)\n", 1},
        {{"info", "--json", "--csv", "fonts.ai"},
         "",
         "aldra-eps: info: --json, --jsonl and --csv exclude each other (see aldra-eps info --help)\n",
         2},
        {{"info", "--raw", "-f", "kind_name", "fonts.ai"},
         "",
         "aldra-eps: info: the field 'kind_name' is not a getter's answer (--raw gives only those) (see "
         "aldra-eps info --help)\n",
         2},
    };
    for (const Row& row : rows) {
        ProgramResult r = host.Run(row.args);
        EXPECT_EQ(r.out, row.out) << row.args.back();
        EXPECT_EQ(r.err, row.err) << row.args.back();
        EXPECT_EQ(r.exitCode, row.exitCode) << row.args.back();
    }
    ProgramResult unknown = host.Run({"info", "-f", "width,bogus", "fonts.ai"});
    EXPECT_EQ(unknown.err.rfind("aldra-eps: info: unknown field 'bogus' (the fields are format,", 0), 0u)
        << unknown.err;
}

// The output's name says its format, and the box is a maximum: a preview of 40 x 20 pixels is not
// blown up unless asked to be.
TEST_F(CommandLineTest, ThumbnailFormatFollowsTheNameAndSmallPreviewsStaySmall) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"thumbnail", "-s", "256", eps, "-"}, "40"},
        {{"thumbnail", "-s", "256", "--upscale", eps, "-"}, "256"},
        {{"thumbnail", "-s", "16", eps, "-"}, "16"},
        {{"thumbnail", "-s", "256", eps, "bare"}, "40"},
        {{"thumbnail", "-s", "256", eps, "small.BMP"}, "BM"},
        {{"thumbnail", "-s", "256", eps, "small.jpg"}, "\xFF\xD8"},
        {{"thumbnail", eps, "x.webp"},
         "x.webp: this program writes no WebP files (it has no WebP library); name it .png, .bmp or .jpg"},
        {{"thumbnail", eps, "x.txt"},
         "x.txt: the format of '.txt' is not one this program writes; name it .png, .bmp or .jpg"},
    };
    for (const auto& [args, expected] : rows) {
        ProgramResult r = host.Run(args);
        std::string out = args.back() == "-" ? r.out : ReadWhole(files.File(args.back()));
        if (r.exitCode == 2) {
            EXPECT_EQ(r.err, "aldra-eps: thumbnail: " + expected + "\n");
            EXPECT_FALSE(std::filesystem::exists(files.File(args.back())));
        } else {
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(PngWidth(out), expected) << args.back();
        }
    }
}

// First use registers and says so; `unregister` sticks; another install's registration is never used.
TEST_F(CommandLineTest, RegistrationIsMadeOnceAndUndoneForGood) {
    ProgramResult first = host.Run({"info", eps});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.err.rfind("aldra-eps: registered the filter module ", 0), 0u) << first.err;
    EXPECT_EQ(CountLines(first.err), 1u);
    EXPECT_EQ(host.Run({"info", eps}).err, "");
    ASSERT_EQ(host.Run({"unregister"}).exitCode, 0);
    ProgramResult after = host.Run({"info", eps});
    EXPECT_EQ(after.exitCode, 0);
    EXPECT_EQ(after.err, "");
    EXPECT_EQ(ReadWhole(host.registry.File("classes.reg")).find("InprocServer32"), std::string::npos);

    std::string version = host.Run({"--version"}).out;
    size_t comma = version.find(", /"), end = version.find('\n', comma);
    ASSERT_NE(comma, std::string::npos) << version;
    std::string other = files.File("other-install.so");
    std::filesystem::copy_file(version.substr(comma + 2, end - comma - 2), other);
    ASSERT_EQ(host.Run({"register", other}).exitCode, 0);
    std::filesystem::remove(other);
    // Also for a user who never registered through this program: the other registration stays.
    std::filesystem::remove(host.registry.File("user.reg"));
    ProgramResult own = host.Run({"info", eps});
    EXPECT_EQ(own.exitCode, 0);
    EXPECT_EQ(own.err, "");
    EXPECT_NE(ReadWhole(host.registry.File("classes.reg")).find("other-install.so"), std::string::npos);
}

}  // namespace
}  // namespace aldra::testing
