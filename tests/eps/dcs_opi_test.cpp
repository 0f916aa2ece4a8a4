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

bool HasPlate(const TempDir& dir, const char* mainName, std::string* plate) {
    return FindDcsPlate(dir.File(mainName).c_str(), plate);
}

TEST(DcsPlates, PlateIsKnownByTheMainFileThatNamesIt) {
    TempDir dir;
    std::string plate = dir.Write("scan.Y", Header("%ImageData: 10 10 8 1 0 1 1 \"x\""));
    dir.Write("scan.eps", Header("%%CyanPlate: scan.C\n%%YellowPlate: scan.Y"));
    EXPECT_TRUE(IsDcsPlate(plate.c_str()));
    EXPECT_FALSE(IsDcsPlate(dir.File("scan.eps").c_str()));
    EXPECT_FALSE(IsDcsPlate(dir.Write("notes.txt", Header("%%Title: notes")).c_str()));

    TempDir mac;
    std::string macPlate = mac.Write("scan.Y", Header(""));
    mac.Write("scan", Header("%%YellowPlate: Disk:Folder:scan.Y"));
    EXPECT_TRUE(IsDcsPlate(macPlate.c_str()));

    TempDir named;
    std::string namedPlate = named.Write("pic.K", Header(""));
    named.Write("pic.Main", Header("%LINOBlackPlate: C:\\sep\\pic.K"));
    EXPECT_TRUE(IsDcsPlate(namedPlate.c_str()));

    TempDir other;
    std::string otherPlate = other.Write("scan.Y", Header(""));
    other.Write("scan.eps", Header("%%YellowPlate: myscan.Y\n%%CyanPlate: scan.C"));
    EXPECT_FALSE(IsDcsPlate(otherPlate.c_str()));
    // Plate comments count only among the leading comments.
    other.Write("scan.eps", Header("%%Title: x\nshowpage\n%%YellowPlate: scan.Y"));
    EXPECT_FALSE(IsDcsPlate(otherPlate.c_str()));

    TempDir lonely;
    EXPECT_FALSE(IsDcsPlate(lonely.Write("scan.Y", Header("")).c_str()));
}

TEST(DcsPlates, PlatesAreFoundByNameInColourOrder) {
    TempDir dir;
    std::string plate;
    EXPECT_FALSE(HasPlate(dir, "Photo.EPS", &plate));
    dir.Write("Photo.K", "");
    dir.Write("Photo.Y", "");
    for (const char* main : {"Photo.EPS", "Photo.main", "Photo"}) {
        ASSERT_TRUE(HasPlate(dir, main, &plate)) << main;
        EXPECT_EQ(plate, dir.File("Photo.Y")) << main;
    }
    dir.Write("Photo.M", "");
    ASSERT_TRUE(HasPlate(dir, "Photo.eps", &plate));
    EXPECT_EQ(plate, dir.File("Photo.M"));
    EXPECT_FALSE(HasPlate(dir, "Photo.tif", &plate));
    dir.Write("Photo.tif.C", "");
    ASSERT_TRUE(HasPlate(dir, "Photo.tif", &plate));
    EXPECT_EQ(plate, dir.File("Photo.tif.C"));
    // ".eps" alone is no main-file name to shorten.
    EXPECT_FALSE(HasPlate(dir, ".eps", &plate));
}

TEST(DcsPlates, PlateGivesResolutionAgainstTheMainFileSize) {
    TempDir dir;
    EpsInfo info;
    info.widthInches = 2;
    info.heightInches = 4;
    EXPECT_EQ(
        ScanPlateForImageData(dir.Write("a.C", Header("%ImageData: 600 600 8 1 0 1 1 \"x\"")).c_str(), &info),
        kOk);
    EXPECT_DOUBLE_EQ(info.hResolution, 300);
    EXPECT_DOUBLE_EQ(info.vResolution, 150);
    EXPECT_EQ(info.colorMode, kColour);

    EpsInfo missing;
    EXPECT_NE(ScanPlateForImageData(dir.File("none.C").c_str(), &missing), kOk);
    EXPECT_EQ(missing.colorMode, kOneBit);

    std::string late = "%!PS-Adobe-3.0\n";
    for (int i = 0; i < 21; ++i) late += "0 setgray\n";
    late += "%ImageData: 600 600 8 1 0 1 1 \"x\"\n";
    EpsInfo tooLate;
    tooLate.widthInches = 1;
    EXPECT_EQ(ScanPlateForImageData(dir.Write("b.C", late).c_str(), &tooLate), kOk);
    EXPECT_EQ(tooLate.hResolution, 0);
    EXPECT_EQ(tooLate.colorMode, kOneBit);
}

TEST(HeliosLayouts, LayoutsFolderAndExtensionArrangements) {
    TempDir dir;
    PString lay;
    PStrFromC(".lay", lay, sizeof lay);
    std::filesystem::create_directories(dir.File("jobs/layouts"));
    std::filesystem::create_directories(dir.File("jobs/Layouts"));
    std::string layout = dir.Write("jobs/layouts/ad.eps", Header(""));
    std::string wrongCase = dir.Write("jobs/Layouts/ad.eps", Header(""));
    EXPECT_FALSE(IsHeliosLayout(layout.c_str(), lay));
    std::string hiRes = dir.Write("jobs/ad.eps", Header(""));
    EXPECT_TRUE(IsHeliosLayout(layout.c_str(), lay));
    EXPECT_FALSE(IsHeliosLayout(wrongCase.c_str(), lay));
    EXPECT_TRUE(HasHeliosLayout(hiRes.c_str(), lay));

    std::string suffixed = dir.Write("jobs/pic.eps.lay", Header(""));
    EXPECT_FALSE(IsHeliosLayout(suffixed.c_str(), lay));
    std::string picture = dir.Write("jobs/pic.eps", Header(""));
    EXPECT_TRUE(IsHeliosLayout(suffixed.c_str(), lay));
    EXPECT_TRUE(HasHeliosLayout(picture.c_str(), lay));
    EXPECT_FALSE(IsHeliosLayout(picture.c_str(), lay));
    PString upper;
    PStrFromC(".LAY", upper, sizeof upper);
    EXPECT_FALSE(IsHeliosLayout(suffixed.c_str(), upper));
    PString none = {0};
    EXPECT_FALSE(IsHeliosLayout(picture.c_str(), none));
    EXPECT_FALSE(HasHeliosLayout(picture.c_str(), none));
    EXPECT_FALSE(IsHeliosLayout(dir.Write("jobs/.lay", "").c_str(), lay));
}

TEST(HeliosLayouts, RefusalFollowsTheSettings) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("layouts"));
    std::string layout = dir.Write("layouts/ad.eps", Header(""));
    std::string hiRes = dir.Write("ad.eps", Header(""));
    OpiOptions options;
    EXPECT_EQ(CatalogueRefusal(layout.c_str(), options), 0u);
    options.heliosAware = true;
    EXPECT_EQ(CatalogueRefusal(layout.c_str(), options), kRefuseHeliosLayout);
    EXPECT_EQ(CatalogueRefusal(hiRes.c_str(), options), 0u);
    options.heliosLayoutsOnly = true;
    EXPECT_EQ(CatalogueRefusal(layout.c_str(), options), 0u);
    EXPECT_EQ(CatalogueRefusal(hiRes.c_str(), options), kRefuseHeliosHiRes);

    std::string plate = dir.Write("sep.C", Header(""));
    dir.Write("sep.eps", Header("%%CyanPlate: sep.C"));
    EXPECT_EQ(CatalogueRefusal(plate.c_str(), OpiOptions{}), kRefuseDcsPlate);
}

TEST(ColorCentral, SampleNamesItsHighResolutionFile) {
    TempDir dir;
    std::string hiRes;
    std::string sample = dir.Write("pic.eps", Header("%%Title: s\n%%CompFileName: D:\\hires\\pic.tifX"));
    EXPECT_TRUE(IsColorCentralSample(sample.c_str()));
    ASSERT_TRUE(FindCompanionFile(sample.c_str(), &hiRes));
    EXPECT_EQ(hiRes, "D:\\hires\\pic.tif");

    // Moved catalogues: the DOS path with Unix separators, then the file beside the sample.
    std::filesystem::create_directories(dir.File("hires"));
    std::string moved = dir.Write("hires/big.tif", "tiff");
    std::string dosPath = dir.path() + "\\hires\\big.tifX";
    std::string sample2 = dir.Write("s2.eps", Header("%%CompFileName: " + dosPath));
    ASSERT_TRUE(FindCompanionFile(sample2.c_str(), &hiRes));
    EXPECT_EQ(hiRes, moved);
    std::string beside = dir.Write("near.tif", "tiff");
    std::string sample3 = dir.Write("s3.eps", Header("%%CompFileName: Server:Images:near.tif "));
    ASSERT_TRUE(FindCompanionFile(sample3.c_str(), &hiRes));
    EXPECT_EQ(hiRes, beside);

    std::string noSpace = dir.Write("s4.eps", Header("%%CompFileName:D:\\x.tif"));
    EXPECT_FALSE(IsColorCentralSample(noSpace.c_str()));
    EXPECT_FALSE(FindCompanionFile(noSpace.c_str(), &hiRes));
    std::string afterCode =
        dir.Write("s5.eps", "%!PS-Adobe-3.0\n0 setgray\n%%CompFileName: D:\\x.tifX\n%%EOF\n");
    EXPECT_FALSE(IsColorCentralSample(afterCode.c_str()));
    EXPECT_FALSE(FindCompanionFile(afterCode.c_str(), &hiRes));
    // Only the companion lookup insists on a PostScript first line.
    std::string noSignature = dir.Write("s6.eps", "%not postscript at all\n%%CompFileName: D:\\x.tifX\n");
    EXPECT_TRUE(IsColorCentralSample(noSignature.c_str()));
    EXPECT_FALSE(FindCompanionFile(noSignature.c_str(), &hiRes));
    EXPECT_FALSE(IsColorCentralSample(dir.File("absent.eps").c_str()));
}

}  // namespace
}  // namespace aldra
