// The header scan, one file per case: the comments of the case and the one field of the record
// that they decide.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "eps/DscScan.h"
#include "eps/Scanned.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

std::string Pair(double a, double b) {
    char text[64];
    std::snprintf(text, sizeof text, "%gx%g", a, b);
    return text;
}

std::string OneField(const EpsInfo& info, const std::string& name) {
    if (name == "versions")
        return PStrToString(info.postScriptVersion) + "/" + PStrToString(info.epsfVersion);
    if (name == "box") return Pair(info.widthInches * 72, info.heightInches * 72);
    if (name == "res") return Pair(info.hResolution, info.vResolution);
    if (name == "creator") return PStrToString(info.creator);
    if (name == "mode") return std::to_string(info.colorMode);
    if (name == "dcs") return std::to_string(info.dcsKind);
    if (name == "opi") return std::to_string(info.opiSystem) + ":" + PStrToString(info.opiHiResFileName);
    if (name == "fonts") return Entries(info.fonts.get()) + "#" + std::to_string(info.fontCount);
    if (name == "colors")
        return Entries(info.customColors.get()) + "#" + std::to_string(info.customColorCount);
    return Entries(info.files.get()) + "#" + std::to_string(info.fileCount);
}

// The fields named by "a,b" as "valueA,valueB".
std::string Field(const EpsInfo& info, const std::string& names) {
    size_t comma = names.find(',');
    if (comma == std::string::npos) return OneField(info, names);
    return OneField(info, names.substr(0, comma)) + "," + Field(info, names.substr(comma + 1));
}

struct Case {
    std::string text;
    const char* field;
    const char* expected;
};

std::string CodeLines(int n, const char* between = "") {
    std::string text;
    for (int i = 0; i < n; ++i) text += std::string("0 0 moveto\n") + between;
    return text;
}

// Unit 2 says pixels per centimetre; the values are still taken as pixels per inch.
std::string Resolution(uint32_t h, uint32_t v) {
    return ImageResource(1000, "odd", "name") + ImageResource(1005, ResolutionInfo(h << 16, v << 16, 2));
}

std::vector<Case> Cases() {
    const std::string keywords = ImageResource(1028, IptcDataSetBytes(2, 25, "kw"));
    const std::string resolution = Resolution(300, 200);
    return {
        {EpsText(""), "versions", "3.0/3.0"},
        {"%!PS-Adobe-2.0\n%%Creator: someone who writes code\n%%EOF\n", "versions", "2.0/"},
        {"%!PS-Adobe-3.0  EPSF-3.0\n%%Creator: two spaces are not one\n", "versions", "3.0/"},
        {"%!PS-Adobe-2.01 EPSF-10.0\n%%Creator: x\n", "versions", "2.01/10.0"},
        {EpsText("%%BoundingBox: 0 0 612 792\n%%HiResBoundingBox: 0 0 612.5 792"), "box", "612.5x792"},
        {EpsText("%%HiResBoundingBox: 0 0 612.5 792\n%%BoundingBox: 10 20 82 164"), "box", "72x144"},
        {EpsText("%%BoundingBox: (atend)"), "box", "0x0"},
        // A short file: the scan reaches the trailer, whose box then counts.
        {"%!PS-Adobe-3.0\n%%BoundingBox: (atend)\nshowpage\n%%Trailer\n%%BoundingBox: 0 0 36 36\n", "box",
         "36x36"},
        {EpsText("%%Creator: First App\n%%Creator: (Second App 2.0)\n%%Creator:\n%%Creator: ()"), "creator",
         "Second App 2.0"},
        {EpsText("%%DocumentProcessColors: Cyan Magenta Yellow Black"), "mode", "2"},
        {EpsText("%%DocumentProcessColors:  yellow MAGENTA cyan"), "mode", "2"},
        {EpsText("%%DocumentProcessColors: Cyan Magenta\n%%+ Yellow"), "mode", "0"},
        {EpsText("%%ColorUsage: Color"), "mode", "2"},
        {EpsText("%%ColorUsage: color"), "mode", "0"},
        {EpsText("%%DocumentPreview: PC_ColorTIFF"), "mode", "1"},
        {EpsText("%AI3_DocumentPreview: Macintosh_ColorPic"), "mode", "1"},
        {EpsText("%%DocumentPreview: Macintosh_Picture"), "mode", "0"},
        {EpsText("%%DocumentFonts: Times-Roman Helvetica\n%%+ Courier\n%%Creator: after the run"),
         "fonts,creator", "Times-Roman Helvetica|Courier#2,after the run"},
        {EpsText("%%DocumentCustomColors: (Pantone 300 CV)\n%%+\n"
                 "%%CMYKProcessColor: 0.1 0.2 0.3 0.4 (Spot Blue)\n%%+ 1 0 0 0 Cyan Tint"),
         "colors", "Pantone 300 CV||Spot Blue|Cyan Tint#4"},
        {EpsText("%%DocumentFiles: (atend)\n%%+ (Disk:Images:pic.tif)"), "files",
         "atend|Disk:Images:pic.tif#2"},
        {EpsText("%ALDImageFileName:   Server:Images:pic.tif"), "opi", "2:Server:Images:pic.tif"},
        {EpsText("%%HeliosRefID: 1234"), "opi", "3:"},
        {EpsText("%%HeliosIncludeEPS: (Vol:hires:pic.eps) extra"), "opi", "3:Vol:hires:pic.eps"},
        {EpsText("%%CompFileName:  D:\\hires\\pic.tif"), "opi", "4:D:\\hires\\pic.tif"},
        {EpsText("%%FSSampleHiResBinPath: Server:Bin:"), "opi", "5:Server:Bin:case.eps"},
        {EpsText("%%For: 4Sight LinoPrint"), "opi", "6:"},
        {EpsText("%%IPTSourceType: tiff"), "opi", "7:"},
        {EpsText("%9BitsRef: 4\n%0A0B\n%0C0D\n%%Creator: examined after the block"), "opi,creator",
         "8:,examined after the block"},
        {EpsText("%%CompFileName: hires.tif\n%%FSSampleHiResBinPath: Bin:"), "opi", "4:Bin:case.eps"},
        {EpsText("%%FSSampleHiResBinPath: Bin:\n%%CompFileName: hires.tif"), "opi", "4:hires.tif"},
        {EpsText("%LINOCyanPlate: lino.C\n%%Creator: skipped unseen"), "dcs,creator", "3,"},
        {"%!PS-Adobe-3.0\n" + CodeLines(20) + "%%Creator: late\n", "creator", "late"},
        {"%!PS-Adobe-3.0\n" + CodeLines(21) + "%%Creator: too late\n", "creator", ""},
        {"%!PS-Adobe-3.0\n" + CodeLines(10) + "%%DocumentFonts: a\n%%+ b\n" + CodeLines(11) + "%%Creator: x",
         "creator", ""},
        {EpsText("%ImageData: 300 200 8 3 0 1 1 \"beginimage\"\n%%BoundingBox: 0 0 72 72"), "res,mode",
         "0x0,2"},
        {EpsText("%%BoundingBox: 0 0 72 72\n%ImageData: 144 72 1 1 0 1 1 \"b\""), "res,mode", "144x72,0"},
        // Photoshop writes its hex lines as "% 3842..."; without the blank they read as well.
        {EpsText(PhotoshopBlock(resolution) + "\n%%Creator: after"), "res,creator", "300x200,after"},
        // Decoded into one buffer of the announced size: copying it again at every line took minutes.
        {EpsText(PhotoshopBlock(resolution + ImageResource(1039, std::string(4 << 20, 'Z')))), "res",
         "300x200"},
        {EpsText(HexLines(resolution, "%")), "res", "300x200"},
        {EpsText(HexLines(resolution, "% ") + "\n%%Creator: ends the block"), "creator", ""},
        {EpsText(PhotoshopBlock(resolution, 30)), "res", "0x0"},
        // Without a resolution resource the block leaves the resolution to the other comments.
        {EpsText("%%BoundingBox: 0 0 72 72\n%ImageData: 144 72 8 3 1 1 2 \"b\"\n" + PhotoshopBlock(keywords) +
                 "\n%%Creator: read on"),
         "res,creator", "144x72,read on"},
    };
}

TEST(ParseEpsHeader, EachCommentSetsItsField) {
    TempDir dir;
    for (const Case& c : Cases()) {
        Scanned s;
        ScanFile(dir.Write("case.eps", c.text), &s);
        ASSERT_EQ(s.status, kOk) << c.text;
        EXPECT_EQ(Field(s.info, c.field), c.expected) << c.text;
    }
}

TEST(ParseEpsHeader, UnusableFilesFail) {
    TempDir dir;
    const std::pair<std::string, Status> cases[] = {
        {"%!PS\n%%Creator: padding padding padding\n", kErrFormat},
        {" %!PS-Adobe-3.0\n%%Creator: padding padding\n", kErrFormat},
        {"%!ps-adobe-3.0\n%%Creator: padding padding\n", kErrFormat},
        {EpsText(PhotoshopBlock(ImageResource(1005, ResolutionInfo(1, 1).substr(0, 15)))), kErrFormat},
        {"%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: cut short\n%%DocumentFonts: Courier\n", kErrEof},
        {"%!PS-Adobe-3.0\n%BeginPhotoshop: 40\n%38424D", kErrEof},
        {"%!PS-Adobe-3.0\n%LINOCyanPlate: x.C", kErrEof},
    };
    for (const auto& [text, status] : cases) {
        Scanned s;
        ScanFile(dir.Write("bad.eps", text), &s);
        EXPECT_EQ(s.status, status) << text.substr(0, 80);
        EXPECT_EQ(s.info.fonts, nullptr);  // a failed scan frees its lists
    }
}

// The plate's %ImageData counts only among its leading comments, 20 lines of code at the most.
TEST(ParseEpsHeader, DcsMainFileTakesResolutionFromItsPlate) {
    TempDir dir;
    const std::string imageData = "%ImageData: 600 150 8 1 0 1 1 \"beginimage\"\n";
    std::string main = dir.Write("pict.eps", EpsText("%%BoundingBox: 0 0 144 72\n%%CyanPlate: pict.C"));
    std::string late = dir.Write("late.eps", EpsText("%%BoundingBox: 0 0 144 72\n%LINOCyanPlate: late.C"));
    dir.Write("late.C", "%!PS-Adobe-3.0\n" + CodeLines(21) + imageData);
    const std::pair<std::string, const char*> cases[] = {{main, "2,0x0,0"}, {late, "3,0x0,0"}};
    for (const auto& [path, expected] : cases) {
        Scanned s;
        ScanFile(path, &s);
        EXPECT_EQ(Field(s.info, "dcs,res,mode"), expected);
    }
    dir.Write("pict.M", "%!PS-Adobe-3.0\n" + CodeLines(20) + imageData);
    Scanned withPlate;
    ScanFile(main, &withPlate);
    EXPECT_EQ(Field(withPlate.info, "res,mode"), "300x150,2");
}

}  // namespace
}  // namespace aldra
