// What the world does to files while the filter works on them: they vanish or shrink after being
// attached, another program holds them, the output folder runs out of room. Each time the filter
// answers, and no half-written output stays behind.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "base/File.h"
#include "control/ControlFixture.h"
#include "platform/gdi/Gdi.h"
#include "support/EpsFixtures.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using namespace testing;

// Two inches by one, with a 60 x 30 RGB preview.
std::string PreviewFile() {
    TiffPicture picture =
        MakePicture(60, 30, 8, 3, [](uint32_t x, uint32_t y, uint32_t s) { return x * 4 + y + s; });
    TiffOptions options;
    options.photometric = 2;
    options.rowsPerStrip = 4;
    return DosEpsFile("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 144 72\n%%EndComments\n",
                      MakeTiff(picture, options));
}

class FaultTest : public ControlTest {
  protected:
    void SetUp() override {
        ControlTest::SetUp();
        path = files.Write("preview.eps", PreviewFile());
        out = output.File("out.bmp");
    }
    bool Thumbnail() {
        Answer answer = Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(true)});
        return answer.hr == S_OK && answer.value.vt == VT_DISPATCH && answer.value.pdispVal != nullptr;
    }
    Answer Convert(int32_t width, int32_t height) {
        return Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(width), MakeI4(height)});
    }
    TempDir output;
    std::string path, out;
};

TEST_F(FaultTest, AFileThatVanishesOrShrinksAfterAttachingGivesNoPictureAndNoOutput) {
    ASSERT_EQ(Attach(path).hr, S_OK);
    std::filesystem::resize_file(path, 200);  // inside the PostScript header: the preview is gone
    EXPECT_FALSE(Thumbnail());
    Convert(40, 20);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(Call("InfoGetWidth").hr, S_OK);  // facts read at attaching stay

    std::filesystem::remove(path);
    EXPECT_FALSE(Thumbnail());
    Convert(40, 20);
    EXPECT_FALSE(std::filesystem::exists(out));

    std::ofstream(path, std::ios::binary) << PreviewFile();  // back again: attaching works as before
    ASSERT_EQ(Attach(path).hr, S_OK);
    EXPECT_TRUE(Thumbnail());
}

TEST_F(FaultTest, AFileAnotherProcessHoldsIsRefusedUntilItLetsGo) {
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t holder = fork();
    if (holder == 0) {
        FileHandle held;
        char ok = FileOpen(path.c_str(), kFileRead, &held) == kOk;
        (void)!write(ready[1], &ok, 1);
        char go;
        (void)!read(release[0], &go, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_TRUE(ok);
    Answer refused = Attach(path);
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    (void)!write(release[1], "x", 1);
    waitpid(holder, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
    EXPECT_EQ(Attach(path).hr, S_OK);
}

// A full disk, as the process's file size limit makes it: the conversion fails and its half-written
// file is deleted. Run in a child, so that the limit stays there.
TEST_F(FaultTest, AConversionThatRunsOutOfRoomLeavesNoFile) {
    ASSERT_EQ(Attach(path).hr, S_OK);
    pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        Answer answer = Convert(400, 200);  // about 240 KB of pixels
        bool failed = answer.hr != S_OK || !answer.Bool();
        _exit(failed && !std::filesystem::exists(out) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(out));
    Answer fine = Convert(400, 200);  // with room again it works
    EXPECT_EQ(fine.hr, S_OK);
    EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(FaultTest, AnOutputFolderThatCannotBeWrittenIsReportedAndLeftAlone) {
    ASSERT_EQ(Attach(path).hr, S_OK);
    out = files.File("preview.eps") + "/inside.bmp";  // a file where a folder should be
    Answer answer = Convert(40, 20);
    EXPECT_TRUE(answer.hr != S_OK || !answer.Bool());
    EXPECT_EQ(std::filesystem::file_size(path), PreviewFile().size());
    if (geteuid() == 0) return;  // permissions do not stop root
    std::filesystem::permissions(output.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    out = output.File("out.bmp");
    Answer denied = Convert(40, 20);
    EXPECT_TRUE(denied.hr != S_OK || !denied.Bool());
    std::filesystem::permissions(output.path(), std::filesystem::perms::owner_all);
    EXPECT_FALSE(std::filesystem::exists(out));
}

// ---- Bitmaps the drawing layer cannot make ------------------------------------------------

class ConversionLimits : public ControlTest {};

TEST_F(ConversionLimits, ABitmapTheDrawingLayerCannotMakeIsRefusedAsOutOfMemory) {
    TiffOptions rgb;
    rgb.photometric = 2;
    const std::string tiff = MakeTiff(MakePicture(8, 4, 8, 3, Busy), rgb);
    const std::string path = files.Write(
        "p.eps",
        DosEpsFile(EpsText("%%BoundingBox: 0 0 144 72\n%%DocumentProcessColors: Cyan Magenta Yellow"), tiff));
    ASSERT_EQ(Attach(path).hr, S_OK);
    const std::string out = files.File("out.bmp");
    auto convert = [&](int32_t w, int32_t h) {
        return Call("ConvertToSize", {Str(out), Str("BMP"), MakeI4(w), MakeI4(h)});
    };
    for (auto [w, h] : {std::pair{kMaxDibSide + 1, 1}, {1, kMaxDibSide + 1}, {20000, 20000}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        Answer refused = convert(w, h);
        EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(refused.code, kErrMemory);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    // Up to the limits a conversion is made as before.
    Answer made = convert(40, 20);
    EXPECT_EQ(made.hr, S_OK);
    EXPECT_TRUE(made.Bool());
    EXPECT_TRUE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace aldra
