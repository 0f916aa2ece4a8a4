// Real files from other programs, attached as a host would attach them. The expected facts were
// taken by reading each file's own comments: the size is that of the last bounding box (the
// high-resolution one where the file has it), the resolution the %ImageData pixels over that size,
// the creator the last "%%Creator:" token, fonts and colours every list line as written ("(atend)"
// included).
// The corpus lives beside the project and is not ours to ship, so these tests skip without it.
#include <algorithm>
#include <filesystem>
#include <vector>

#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "support/FileBytes.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kCorpus = std::string(ALDRA_SOURCE_DIR) + "/../shared/corpus";

struct Expected {
    const char* file;
    double widthPoints, heightPoints;
    double hResolution, vResolution;  // 0 where the file gives no picture size
    int kind;                         // 0 one-bit, 1 greyscale, 2 colour
    const char* creator;
    const char* fonts;
    const char* colors;
};

// clang-format off
const Expected kFiles[] = {
    {"exiv2/eps-flat_coreldraw-x5-lev2.eps", 455 - 137, 594 - 332, 0, 0, 0, "CorelDRAW X5", "", ""},
    {"exiv2/eps-flat_inkscape-epsi.eps", 100, 100, 0, 0, 0, "inkscape 0.46", "", ""},
    {"exiv2/eps-flat_oodraw_ai-8-lev3.eps", 411.6992 - 199, 481 - 311.0195, 0, 0, 2, "Adobe Illustrator(R) 8.0", "", "[Registration]"},
    {"exiv2/eps-flat_photoshop-cs5-binary.eps", 11.1, 14.1, 37 / (11.1 / 72), 47 / (14.1 / 72), 2,
     "Adobe Photoshop Version 12.0.2x20101122 [20101122.r.1204 2010/11/22:02:00:00 cutoff; r branch]", "", ""},
    {"exiv2/eps-flat_photoshop-e9-win-doseps.eps", 453.6, 340.08, 1890 / (453.6 / 72), 1417 / (340.08 / 72), 2, "", "", ""},
    {"exiv2/eps-flat_oodraw-lev1.eps", 539, 785, 0, 0, 0, "Sun Microsystems, Inc.", "", ""},
    {"drewnoakes/VENUS.EPS", 360, 180, 0, 0, 0, "HiJaak 2.1", "", ""},
    {"drewnoakes/mathematica.eps", 288, 177.938, 0, 0, 0, "Mathematica Macintosh 3.0", "atend", ""},
    {"artifexsoftware/golfer.eps", 570, 695, 0, 0, 0, "Adobe Illustrator(TM) 1.0b2-", "Helvetica-Bold", ""},
    {"artifexsoftware/state.eps", 912, 257, 0, 0, 0, "fig2dev Version 3.2 Patchlevel 3d", "", ""},
    {"apache/barcode.eps", 135.6548, 42.525, 0, 0, 0, "Barcode4J (http://barcode4j.krysalis.org)", "", ""},
    {"apache/logo.eps", 76, 76, 0, 0, 0, "GIMP PostScript file plugin V 1.12 by Peter Kirchgessner", "", ""},
    {"pillow/pil_sample_cmyk.eps", 100, 100, 72, 72, 2, "PIL 0.1 EpsEncode", "", ""},
    {"pillow/1.eps", 72, 48.24, 100, 67 / (48.24 / 72), 0, "Adobe Photoshop Version 23.2.2 20220304.r.325 49bf0ec", "", ""},
    {"matplotlib/empty.eps", 576, 432, 0, 0, 0, "", "", ""},
};
// clang-format on

class CorpusTest : public ControlTest {
  protected:
    void SetUp() override {
        if (!std::filesystem::is_directory(kCorpus)) GTEST_SKIP() << "no corpus at " << kCorpus;
        ControlTest::SetUp();
    }
    std::string Text(const char* property) {
        return Invoke(control, property, {}, DISPATCH_PROPERTYGET).Text();
    }
};

TEST_F(CorpusTest, FactsAgreeWithTheFilesOwnComments) {
    for (const Expected& e : kFiles) {
        SCOPED_TRACE(e.file);
        std::string path = kCorpus + "/" + e.file;
        std::string bytes = ReadFile(path);
        ASSERT_FALSE(bytes.empty());
        Answer attached = TestAndAttach(path, bytes);
        ASSERT_EQ(attached.hr, S_OK) << attached.code;
        // Single precision on the way out, so a few millionths of an inch either way.
        EXPECT_NEAR(Call("InfoGetWidth").Float(), e.widthPoints / 72, 1e-4);
        EXPECT_NEAR(Call("InfoGetHeight").Float(), e.heightPoints / 72, 1e-4);
        EXPECT_NEAR(Call("InfoGetHResolution").Float(), e.hResolution, 1e-2);
        EXPECT_NEAR(Call("InfoGetVResolution").Float(), e.vResolution, 1e-2);
        EXPECT_EQ(Call("InfoGetKind").Long(), e.kind);
        if (*e.creator) {
            EXPECT_EQ(Call("InfoGetCreatingSoftware").Text(), e.creator);
        }
        EXPECT_EQ(Text("Fonts"), e.fonts);
        EXPECT_EQ(Text("Colors"), e.colors);
    }
}

// ExifTool's sample carries a full IPTC record but no resolution resource, which the header scan
// requires of a Photoshop block: the attach is refused, while the keywords and the caption are
// there for whoever reads them.
TEST_F(CorpusTest, IptcOfAPhotoshopBlockWithoutResolution) {
    std::string path = kCorpus + "/exiftool/PostScript.eps";
    Answer attached = TestAndAttach(path, ReadFile(path));
    EXPECT_EQ(attached.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(attached.code, 2020);
    EXPECT_EQ(Call("InfoGetCategories").Text(), "ExifTool\rTest\rXMP");
    EXPECT_EQ(Call("InfoGetNotes").Text(), "Caption: A witty caption");
}

// ---- Thumbnails ------------------------------------------------------------------------------

// The pictures a file keeps beside its PostScript, found by looking at its bytes rather than by
// asking the filter.
struct StoredPictures {
    bool tiff = false;       // a DOS EPS header with a TIFF section
    bool imageData = false;  // Photoshop's and other programs' own picture of the document
    bool ai7 = false;        // Illustrator's thumbnail comment
    bool Any() const { return tiff || imageData || ai7; }
};

StoredPictures PicturesIn(const std::string& bytes) {
    StoredPictures p;
    // C5 D0 D3 C6, then the TIFF offset at byte 20.
    p.tiff = bytes.size() >= 30 && bytes.compare(0, 4, "\xC5\xD0\xD3\xC6") == 0 &&
             (bytes[20] | bytes[21] | bytes[22] | bytes[23]) != 0;
    p.imageData = bytes.find("%ImageData:") != std::string::npos;
    p.ai7 = bytes.find("%AI7_Thumbnail:") != std::string::npos;
    return p;
}

// A picture of one colour is what a decoder gives that drew nothing into its white target, or drew
// every row from the same wrong bytes.
size_t Colours(const Pixels& p) {
    std::vector<uint32_t> sorted = p.rgb;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

// Every file the filter accepts goes through both preferences. Each file that keeps a picture must
// give a thumbnail for both (the preferred chain, then the other); any thumbnail, from whatever
// file, must show more than one colour and fit the box. The thumbnails are kept as PNG files under
// the build folder for a person to look at, the rendered one too where it differs. Illustrator
// drawings without a thumbnail of their own get one only once their artwork is drawn.
TEST_F(CorpusTest, FilesThatKeepAPictureGiveThumbnails) {
    // Emptied first, so that what it holds is what this run gave.
    const std::string out = std::string(ALDRA_BINARY_DIR) + "/corpus-thumbnails";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus))
        if (entry.is_regular_file()) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());

    // Which producers' files keep pictures, by a word of the filter's creator field, and how many of
    // them the corpus holds at least.
    struct Family {
        const char* creator;
        int least;
        int withPicture = 0;
    } families[] = {{"Photoshop", 5}, {"Illustrator", 6}};
    int dosPreviews = 0, thumbnails = 0;
    for (const std::filesystem::path& path : paths) {
        std::string bytes = ReadFile(path.string());
        SCOPED_TRACE(path.string());
        if (TestAndAttach(path.string(), bytes).hr != S_OK) continue;
        const StoredPictures held = PicturesIn(bytes);
        const std::string creator = Call("InfoGetCreatingSoftware").Text();
        const std::string name = path.parent_path().filename().string() + "-" + path.stem().string();
        Pixels shown[2];
        for (bool stored : {true, false}) {
            Answer answer = Call("GetThumbnail", {MakeI4(256), MakeI4(256), MakeBool(stored)});
            ASSERT_EQ(answer.hr, S_OK);
            IPicture* picture = PictureOf(answer);
            EXPECT_TRUE(picture != nullptr || !held.Any()) << (stored ? "stored" : "rendered");
            if (picture == nullptr) continue;
            Pixels& p = shown[stored];
            p = ReadPixels(picture);
            EXPECT_TRUE(p.width > 0 && p.height > 0 && p.width <= 256 && p.height <= 256)
                << p.width << " x " << p.height;
            EXPECT_GT(Colours(p), 1u) << (stored ? "stored" : "rendered");
            if (stored || p.rgb != shown[true].rgb) {
                std::string png = out + "/" + name + (stored ? "" : ".rendered") + ".png";
                EXPECT_EQ(picture->SaveAsPng(png.c_str(), {}), kOk);
            }
            picture->Release();
        }
        bool given = shown[true].present;
        thumbnails += given;
        dosPreviews += held.tiff && given;
        for (Family& f : families)
            f.withPicture += held.Any() && creator.find(f.creator) != std::string::npos;
    }
    EXPECT_GE(dosPreviews, 5);
    // What the corpus held when these tests were written; fewer means files went missing.
    EXPECT_GE(thumbnails, 15);
    for (const Family& f : families) EXPECT_GE(f.withPicture, f.least) << f.creator;
}

// Whatever a file holds, the host's whole conversation with the filter ends in an answer.
TEST_F(CorpusTest, EveryFileGoesThroughTheHostsCallsWithoutHarm) {
    const char* getters[] = {"InfoGetWidth",       "InfoGetHeight", "InfoGetHResolution",
                             "InfoGetVResolution", "InfoGetKind",   "InfoGetCreatingSoftware",
                             "InfoGetImageName",   "InfoGetUser",   "InfoGetCategories",
                             "InfoGetNotes"};
    const char* properties[] = {
        "PostScriptVersion", "EPSFVersion",     "EPSFType", "Fonts", "Colors", "Links",
        "OPISystem",         "OPIHiResFileName"};
    int attached = 0, files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpus)) {
        if (!entry.is_regular_file()) continue;
        std::string path = entry.path().string();
        SCOPED_TRACE(path);
        ++files;
        Answer answer = TestAndAttach(path, ReadFile(path).substr(0, 512));
        EXPECT_TRUE(answer.hr == S_OK || answer.hr == DISP_E_EXCEPTION) << std::hex << answer.hr;
        if (answer.hr != S_OK) continue;
        ++attached;
        for (const char* getter : getters) EXPECT_EQ(Call(getter).hr, S_OK) << getter;
        for (const char* property : properties)
            EXPECT_EQ(Invoke(control, property, {}, DISPATCH_PROPERTYGET).hr, S_OK) << property;
    }
    EXPECT_GT(files, 10);
    EXPECT_GT(attached, files / 2);
}

}  // namespace
}  // namespace aldra
