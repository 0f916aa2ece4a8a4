// The file-system probes for a file's relatives: DCS plates beside their main file, and Helios
// layouts beside their high-resolution file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/PString.h"
#include "eps/Companions.h"
#include "eps/DcsPlates.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::TempDir;

std::string Header(const std::string& comments) {
    return "%!PS-Adobe-3.0 EPSF-3.0\n" + comments + "\n%%EndComments\ngsave\ngrestore\n%%EOF\n";
}

TEST(DcsPlates, APlateIsKnownByTheMainFileThatNamesIt) {
    const struct {
        const char* plate;
        const char* main;
        std::string mainText;
        bool isPlate;
    } cases[] = {
        {"scan.Y", "scan.eps", Header("%%CyanPlate: scan.C\n%%YellowPlate: scan.Y"), true},
        {"scan.Y", "scan", Header("%%YellowPlate: Disk:Folder:scan.Y"), true},
        {"pic.K", "pic.Main", Header("%LINOBlackPlate: C:\\sep\\pic.K"), true},
        {"scan.Y", "scan.eps", Header("%%YellowPlate: myscan.Y\n%%CyanPlate: scan.C"), false},
        // Plate comments count only among the leading comments.
        {"scan.Y", "scan.eps", Header("%%Title: x\nshowpage\n%%YellowPlate: scan.Y"), false},
        {"scan.Y", "other.eps", Header("%%YellowPlate: scan.Y"), false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.Write(c.main, c.mainText);
        EXPECT_EQ(IsDcsPlate(dir.Write(c.plate, Header("")).c_str()), c.isPlate)
            << c.main << " " << c.mainText;
        EXPECT_FALSE(IsDcsPlate(dir.File(c.main).c_str()));
    }
}

TEST(DcsPlates, PlatesAreFoundByNameInColourOrder) {
    TempDir dir;
    std::string plate;
    EXPECT_FALSE(FindDcsPlate(dir.File("Photo.EPS").c_str(), &plate));
    dir.Write("Photo.K", "");
    dir.Write("Photo.Y", "");
    for (const char* main : {"Photo.EPS", "Photo.main", "Photo"}) {
        ASSERT_TRUE(FindDcsPlate(dir.File(main).c_str(), &plate)) << main;
        EXPECT_EQ(plate, dir.File("Photo.Y")) << main;
    }
    dir.Write("Photo.M", "");
    ASSERT_TRUE(FindDcsPlate(dir.File("Photo.eps").c_str(), &plate));
    EXPECT_EQ(plate, dir.File("Photo.M"));
    EXPECT_FALSE(FindDcsPlate(dir.File("Photo.tif").c_str(), &plate));
    dir.Write("Photo.tif.C", "");
    ASSERT_TRUE(FindDcsPlate(dir.File("Photo.tif").c_str(), &plate));
    EXPECT_EQ(plate, dir.File("Photo.tif.C"));
    EXPECT_FALSE(FindDcsPlate(dir.File(".eps").c_str(), &plate));  // no main-file name to shorten
}

TEST(HeliosLayouts, LayoutsFolderAndExtensionArrangements) {
    TempDir dir;
    PString lay, upper, none = {0};
    PStrFromC(".lay", lay, sizeof lay);
    PStrFromC(".LAY", upper, sizeof upper);
    std::filesystem::create_directories(dir.File("jobs/layouts"));
    std::filesystem::create_directories(dir.File("jobs/Layouts"));
    std::string layout = dir.Write("jobs/layouts/ad.eps", Header(""));
    std::string wrongCase = dir.Write("jobs/Layouts/ad.eps", Header(""));
    std::string suffixed = dir.Write("jobs/pic.eps.lay", Header(""));
    EXPECT_FALSE(IsHeliosLayout(layout.c_str(), lay));  // no high-resolution file yet
    EXPECT_FALSE(IsHeliosLayout(suffixed.c_str(), lay));
    std::string hiRes = dir.Write("jobs/ad.eps", Header(""));
    std::string picture = dir.Write("jobs/pic.eps", Header(""));
    EXPECT_TRUE(IsHeliosLayout(layout.c_str(), lay));
    EXPECT_FALSE(IsHeliosLayout(wrongCase.c_str(), lay));
    EXPECT_TRUE(HasHeliosLayout(hiRes.c_str(), lay));
    EXPECT_TRUE(IsHeliosLayout(suffixed.c_str(), lay));
    EXPECT_TRUE(HasHeliosLayout(picture.c_str(), lay));
    EXPECT_FALSE(IsHeliosLayout(picture.c_str(), lay));
    EXPECT_FALSE(IsHeliosLayout(suffixed.c_str(), upper));
    EXPECT_FALSE(IsHeliosLayout(picture.c_str(), none) || HasHeliosLayout(picture.c_str(), none));
    EXPECT_FALSE(IsHeliosLayout(dir.Write("jobs/.lay", "").c_str(), lay));
}

}  // namespace
}  // namespace aldra
