// The single-file commands as a user runs them: what they print, their exit status, and what they leave
// on disk.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cstring>

#include "host/HostRun.h"
#include "support/EpsFixtures.h"
#include "support/TiffFixtures.h"

namespace aldra::testing {
namespace {

// Photoshop writes its resolution before the IPTC record; the caption contains a Windows-1252 euro sign.
std::string PhotoshopEps() {
    std::string iptc = IptcDataSetBytes(2, 25, "sea") + IptcDataSetBytes(2, 25, "sky") +
                       IptcDataSetBytes(2, 120, "A caption \x80 5");
    return EpsText("%%Creator: Adobe Photoshop Version 7.0\n%%BoundingBox: 0 0 144 72\n" +
                   PhotoshopBlock(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                                  ImageResource(1028, iptc)));
}

// A DOS EPS file, two inches by one, with a grey TIFF preview.
std::string PreviewEps() {
    TiffPicture picture = MakePicture(40, 20, 8, 1, [](uint32_t x, uint32_t, uint32_t) { return x * 6; });
    return DosEpsFile("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n%%EndComments\n",
                      MakeTiff(picture));
}

// The text chunks of a PNG file, in order.
std::vector<std::pair<std::string, std::string>> PngText(const std::string& png) {
    std::vector<std::pair<std::string, std::string>> chunks;
    size_t i = 8;
    while (i + 12 <= png.size()) {
        uint32_t n = static_cast<uint32_t>(static_cast<uint8_t>(png[i])) << 24 |
                     static_cast<uint32_t>(static_cast<uint8_t>(png[i + 1])) << 16 |
                     static_cast<uint32_t>(static_cast<uint8_t>(png[i + 2])) << 8 |
                     static_cast<uint8_t>(png[i + 3]);
        if (png.compare(i + 4, 4, "tEXt") == 0) {
            std::string data = png.substr(i + 8, n);
            size_t zero = data.find('\0');
            chunks.emplace_back(data.substr(0, zero), data.substr(zero + 1));
        }
        i += 12 + n;
    }
    return chunks;
}

class ProgramTest : public ::testing::Test {
  protected:
    Host host;
    TempDir files;
};

TEST_F(ProgramTest, InfoJsonHasEveryKeyInOrderWithTextAsUtf8) {
    std::string plain =
        files.Write("plain.eps", EpsText("%%Creator: Caf\xE9 \"Q\" \x80\n%%BoundingBox: 0 0 72 144\n"
                                         "%%DocumentFonts: Times-Roman\n%%+ Helvetica"));
    std::string photoshop = files.Write("photoshop.eps", PhotoshopEps());
    ProgramResult r = host.Run({"info", "--json", plain, photoshop});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(CountLines(r.out), 2u) << r.out;
    std::string first = r.out.substr(0, r.out.find('\n'));
    std::string second = r.out.substr(first.size() + 1);

    // Every key, once, in the documented order.
    const char* keys[] = {"File",
                          "Format",
                          "DefaultExtension",
                          "Width",
                          "Height",
                          "HResolution",
                          "VResolution",
                          "Kind",
                          "CreatingSoftware",
                          "MacType",
                          "MacSignature",
                          "ImageName",
                          "User",
                          "Categories",
                          "Notes",
                          "PostScriptVersion",
                          "EPSFVersion",
                          "EPSFType",
                          "Fonts",
                          "Colors",
                          "Links",
                          "OPISystem",
                          "OPIHiResFileName"};
    size_t at = 0;
    for (const char* key : keys) {
        size_t found = first.find("\"" + std::string(key) + "\":", at);
        ASSERT_NE(found, std::string::npos) << key << " in " << first;
        at = found + 1;
    }
    EXPECT_EQ(first.front(), '{');
    EXPECT_EQ(first.back(), '}');
    EXPECT_NE(first.find("\"File\":\"" + plain + "\""), std::string::npos);
    EXPECT_NE(first.find("\"Format\":\"Encapsulated PostScript Image\""), std::string::npos);
    EXPECT_NE(first.find("\"CreatingSoftware\":\"Caf\xC3\xA9 \\\"Q\\\" \xE2\x82\xAC\""), std::string::npos)
        << first;
    EXPECT_NE(first.find("\"Width\":1,\"Height\":2,"), std::string::npos) << first;
    EXPECT_NE(first.find("\"Fonts\":\"Times-Roman\\nHelvetica\""), std::string::npos) << first;
    EXPECT_NE(first.find("\"EPSFType\":1,"), std::string::npos);

    EXPECT_NE(second.find("\"HResolution\":72,\"VResolution\":72,"), std::string::npos) << second;
    EXPECT_NE(second.find("\"Categories\":\"sea\\rsky\""), std::string::npos) << second;
    EXPECT_NE(second.find("\"Notes\":\"Caption: A caption \xE2\x82\xAC 5\""), std::string::npos) << second;
}

TEST_F(ProgramTest, RefusedAndMissingFilesNameTheFileAndSetTheExitStatus) {
    // A Helios layout beside its high-resolution file is refused by the default settings.
    files.Write("pic.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    std::string layout = files.Write("pic.eps.lay", EpsText("%%BoundingBox: 0 0 10 10\n%%HeliosRefID: 1"));
    std::string text = files.Write("notes.txt", "just text\n");
    std::string missing = files.File("missing.eps");

    ProgramResult refused = host.Run({"info", "--json", layout});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out,
              "{\"File\":" + std::string("\"") + layout +
                  "\",\"Error\":{\"Code\":2,\"Message\":\"Helios OPI layout files are disabled.\"}}\n");
    EXPECT_EQ(refused.err, "aldra-eps: " + layout + ": Helios OPI layout files are disabled.\n");

    ProgramResult other = host.Run({"info", text});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(CountLines(other.err), 1u);
    EXPECT_NE(other.err.find(text), std::string::npos);

    // A file that cannot be read is a system error and outweighs a refusal.
    ProgramResult gone = host.Run({"info", layout, missing});
    EXPECT_EQ(gone.exitCode, 2);
    EXPECT_EQ(CountLines(gone.err), 2u);
    EXPECT_NE(gone.err.find(missing + ": No such file or directory"), std::string::npos) << gone.err;

    // A file another program holds is named as such, not as a damaged file.
    std::string held = files.Write("held.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    int fd = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    ProgramResult busy = host.Run({"info", held});
    close(fd);
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err, "aldra-eps: " + held + ": the file is in use by another program\n");
}

TEST_F(ProgramTest, UsageErrorsAndHelp) {
    EXPECT_EQ(host.Run({}).exitCode, 2);
    EXPECT_EQ(host.Run({"catalogue"}).exitCode, 2);
    EXPECT_EQ(host.Run({"info"}).exitCode, 2);
    EXPECT_EQ(host.Run({"info", "--jsn", "x.eps"}).exitCode, 2);
    EXPECT_EQ(host.Run({"convert", "only-one.eps"}).exitCode, 2);
    EXPECT_EQ(host.Run({"catalog", files.path(), "--jobs"}).exitCode, 2);
    EXPECT_EQ(host.Run({"catalog", files.path(), "--jobs", "zero"}).exitCode, 2);
    EXPECT_EQ(host.Run({"thumbnail", "a.eps", "b.png", "--prefer", "best"}).exitCode, 2);
    for (const char* command :
         {"register", "unregister", "formats", "info", "thumbnail", "convert", "catalog", "settings"}) {
        ProgramResult help = host.Run({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: aldra-eps ") + command, 0), 0u) << help.out;
    }
}

TEST_F(ProgramTest, RegistersItselfOnFirstUseAndUnregistersOnRequest) {
    ProgramResult formats = host.Run({"formats"});
    ASSERT_EQ(formats.exitCode, 0) << formats.err;
    EXPECT_NE(formats.out.find(".eps"), std::string::npos);
    EXPECT_NE(formats.out.find("Illustrator Drawing"), std::string::npos);
    EXPECT_NE(ReadWhole(host.registry.File("classes.reg")).find("IsAldraFilter"), std::string::npos);

    ProgramResult gone = host.Run({"unregister"});
    EXPECT_EQ(gone.exitCode, 0) << gone.err;
    EXPECT_EQ(ReadWhole(host.registry.File("classes.reg")).find("IsAldraFilter"), std::string::npos);
    EXPECT_EQ(host.Run({"unregister"}).out, "no filter is registered\n");
}

TEST_F(ProgramTest, ConvertNeverReplacesAFileWithoutForce) {
    std::string eps = files.Write("preview.eps", PreviewEps());
    std::string out = files.Write("out.bmp", "keep me");
    ProgramResult refused = host.Run({"convert", eps, out});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find(out), std::string::npos);
    EXPECT_EQ(ReadWhole(out), "keep me");

    ProgramResult forced = host.Run({"convert", eps, out, "--force", "--size", "30x20"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    std::string bmp = ReadWhole(out);
    ASSERT_GE(bmp.size(), 26u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    int32_t width, height;
    std::memcpy(&width, bmp.data() + 18, 4);
    std::memcpy(&height, bmp.data() + 22, 4);
    EXPECT_EQ(width, 30);
    EXPECT_EQ(std::abs(height), 20);

    // A file the filter refuses leaves the target alone even with --force; no scratch files stay behind.
    std::string bare = files.Write("bare.eps", "%!PS-Adobe-3.0 EPSF-3.0\n");
    EXPECT_EQ(host.Run({"convert", bare, out, "--force"}).exitCode, 1);
    EXPECT_EQ(ReadWhole(out), bmp);
    size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(files.path()))
        entries += !entry.path().empty();
    EXPECT_EQ(entries, 3u);
}

TEST_F(ProgramTest, ThumbnailPngCarriesTheFreedesktopChunks) {
    std::string eps = files.Write("preview.eps", PreviewEps());
    std::string out = files.File("thumb.png");
    ProgramResult r = host.Run({"thumbnail", "--size", "64", eps, out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string png = ReadWhole(out);
    ASSERT_EQ(png.substr(1, 3), "PNG");
    // Two inches by one fit the 64-pixel box by their width.
    EXPECT_EQ(static_cast<uint8_t>(png[19]), 64);
    EXPECT_EQ(static_cast<uint8_t>(png[23]), 32);
    struct stat info {};
    ASSERT_EQ(stat(eps.c_str(), &info), 0);
    auto chunks = PngText(png);
    ASSERT_EQ(chunks.size(), 5u);
    EXPECT_EQ(chunks[0], std::make_pair(std::string("Thumb::URI"), "file://" + eps));
    EXPECT_EQ(chunks[1], std::make_pair(std::string("Thumb::MTime"), std::to_string(info.st_mtime)));
    EXPECT_EQ(chunks[2], std::make_pair(std::string("Thumb::Size"), std::to_string(info.st_size)));
    EXPECT_EQ(chunks[3], std::make_pair(std::string("Thumb::Mimetype"), std::string("image/x-eps")));
    EXPECT_EQ(chunks[4].first, "Software");

    // The file manager's output already exists from an earlier run: it is replaced.
    EXPECT_EQ(host.Run({"thumbnail", "--size", "32", eps, out}).exitCode, 0);
    EXPECT_EQ(static_cast<uint8_t>(ReadWhole(out)[19]), 32);

    // No preview at all: exit 1, no file.
    std::string plain = files.Write("plain.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    ProgramResult none = host.Run({"thumbnail", plain, files.File("none.png")});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find(plain), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(files.File("none.png")));
}

// The settings command writes the values the control loads, so the filter's answers follow them.
TEST_F(ProgramTest, SettingsChangeWhatTheFilterRefuses) {
    std::string hiRes = files.Write("pic.eps", EpsText("%%BoundingBox: 0 0 10 10"));
    std::string layout = files.Write("pic.eps.lay", EpsText("%%BoundingBox: 0 0 10 10\n%%HeliosRefID: 1"));
    EXPECT_EQ(host.Run({"info", layout}).exitCode, 1);
    EXPECT_EQ(host.Run({"info", hiRes}).exitCode, 0);

    ProgramResult set = host.Run({"settings", "heliosLayoutsOnly", "yes"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.out, "HeliosLayoutsOnly      1\n");
    EXPECT_EQ(host.Run({"info", layout}).exitCode, 0);
    ProgramResult refused = host.Run({"info", hiRes});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Helios OPI high resolution files are disabled."), std::string::npos);

    EXPECT_EQ(host.Run({"settings", "HeliosLayoutsOnly", "perhaps"}).exitCode, 2);
    EXPECT_EQ(host.Run({"settings", "MaxText", "-1"}).exitCode, 2);
    EXPECT_EQ(host.Run({"settings", "NoSuchThing"}).exitCode, 2);
    EXPECT_EQ(host.Run({"settings", "CCCategory", std::string(256, 'x')}).exitCode, 2);
    ProgramResult category = host.Run({"settings", "CCCategory",
                                       "B\xC3\xBC"
                                       "cher"});
    EXPECT_EQ(category.out,
              "CCCategory             B\xC3\xBC"
              "cher\n");
    // Stored in the filter's code page.
    EXPECT_NE(ReadWhole(host.registry.File("user.reg"))
                  .find("\"CCCategory\"=\"B\xFC"
                        "cher\""),
              std::string::npos);
    ProgramResult all = host.Run({"settings"});
    EXPECT_EQ(CountLines(all.out), 12u);
}

}  // namespace
}  // namespace aldra::testing
