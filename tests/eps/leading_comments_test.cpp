// The one walk over the leading comments, on its own and fed by the header scan, over the
// arrangements where the scan reads the lines differently from the walk's own rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "eps/Companions.h"
#include "eps/LeadingComments.h"
#include "eps/Photoshop.h"
#include "eps/Scanned.h"
#include "fixtures/Tiff.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

// "status:keywords of the block / companion / sample" of a walk's result.
std::string Facts(const LeadingComments& c) {
    std::string keywords = "-";
    StringListPtr list;
    uint32_t count = 0;
    if (c.photoshop != nullptr && IptcKeywordsOfBlock(c.photoshop.get(), &list, &count) == kOk)
        keywords = Entries(list.get());
    // The name as written: where it leads is CompanionPathsOfMovedCatalogues's matter.
    char written[256] = "";
    if (c.namesCompanion) PStrToCDropLast(c.companionLine, written);
    std::string companion = written;
    return CodeString(c.photoshopStatus) + ":" + keywords + " / " + companion + " / " +
           (c.colorCentralSample ? "sample" : "-");
}

std::string FromTheWalk(const std::string& path) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return "unopened";
    LeadingComments leading;
    WalkLeadingComments(&eps, kWantAllLeading, &leading);
    CloseEps(&eps);
    std::string facts = Facts(leading);
    DisposeLeadingComments(&leading);
    return facts;
}

// The walk fed by the header scan; a failed scan leaves nothing behind.
std::string FromTheScan(const std::string& path) {
    Scanned s;
    LeadingComments leading;
    ScanFile(path, &s, &leading);
    std::string facts = Facts(leading);
    DisposeLeadingComments(&leading);
    if (s.status == kOk) return facts;
    return facts == CodeString(kErrFormat) + ":- /  / -" ? "failed" : "failed with " + facts;
}

std::string Resources(const std::string& keyword) {
    return ImageResource(1028, IptcDataSetBytes(2, 25, keyword));
}

std::string Block(const std::string& keyword, long announced = -1) {
    return PhotoshopBlock(Resources(keyword), announced);
}

std::string Hex(const std::string& keyword, const char* prefix = "% ") {
    return HexLines(Resources(keyword), prefix);
}

std::string WithEnds(std::string text, const char* eol) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string(eol) : std::string(1, c);
    return out;
}

TEST(LeadingComments, TheWalkAndTheScanFedWalkAgree) {
    const std::string cc = "%%CompFileName: D:\\scans\\hires.tifX";
    const std::string both = " / D:\\scans\\hires.tif / sample";
    const std::string none = " /  / -";
    const std::string format = CodeString(kErrFormat) + ":-" + none;
    const std::string big = PhotoshopBlock(Resources("big") + ImageResource(1033, std::string(40000, 'Z')));
    const struct {
        std::string bytes;
        std::string walk;
        bool scanFails = false;
    } cases[] = {
        {EpsText("%%BoundingBox: 0 0 10 10"), format},
        {EpsText("%%BoundingBox: 0 0 10 10\n" + Block("harbour")), "0:harbour" + none},
        {EpsText(cc + "\n" + Block("a")), "0:a" + both},
        {EpsText(Block("a") + "\n" + cc), "0:a" + both},
        // The scan drops the line that ends a block; the walk reads it.
        {EpsText(Hex("a") + "\n" + cc), "0:a" + both},
        {EpsText("%%BoundingBox: 0 0 1 1\n0 setgray\n" + cc), format},
        {EpsText("%%CompFileName:D:\\x.tif"), format},
        {"%not PostScript\n" + cc + "\n" + Block("a") + "\n" + std::string(40, 'x'), "0:a /  / sample", true},
        // The scan passes over the line behind %LINOCyanPlate: and swallows 9 Bits hex lines.
        {EpsText("%LINOCyanPlate: c.eps\n" + Block("lino")), "0:lino" + none},
        {EpsText("%9BitsRef: 64\n% 00112233\n" + Block("nine") + "\n%%EndNineBits"), "0:nine" + none},
        {EpsText(Block("first") + "\n" + Block("second")), "0:first" + none},
        {EpsText(Block("a") + "\n%ABCDEF"), "0:a" + none},  // lines behind the announced bytes
        {EpsText(Hex("a", "%")), "0:a" + none},
        {EpsText(Hex("a", "%").insert(22, " ")), format},  // a blank inside the digits
        {EpsText("gsave\n" + Block("a")), format},
        {EpsText(Block("a", 5000)), format},
        {EpsText(Block("a", 1L << 30)), CodeString(kErrMemory) + ":-" + none},
        {EpsText("%BeginPhotoshop: 0\n% 00\n%EndPhotoshop"), "0:-" + none},
        {"%!PS-Adobe-3.0 EPSF-3.0\n" + Hex("last"), "0:last" + none, true},
        {DosEpsFile(EpsText(cc + "\n" + Block("dos")), ""), "0:dos" + both},
        {EpsText(big + "\n" + cc), "0:big" + both},
        {WithEnds(EpsText(Block("crlf") + "\n" + cc), "\r\n"), "0:crlf" + both},
        {EpsText("%%Title: " + std::string(600, 't') + "\n" + cc), format},
        {"%!PS-Adobe-3.0 EPSF-3.0 and some more text", CodeString(kErrEof) + ":-" + none},
        {"%!PS\n" + cc, CodeString(kErrEof) + ":- /  / sample", true},
    };
    TempDir dir;
    for (const auto& c : cases) {
        std::string path = dir.Write("f.eps", c.bytes);
        EXPECT_EQ(FromTheWalk(path), c.walk) << c.bytes.substr(0, 80);
        EXPECT_EQ(FromTheScan(path), c.scanFails ? "failed" : c.walk) << c.bytes.substr(0, 80);
    }
}

// Catalogues move between machines: the written path (above), then with Unix separators, then the
// file of that name beside the sample.
TEST(LeadingComments, CompanionPathsOfMovedCatalogues) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("hires"));
    const std::string moved = dir.Write("hires/big.tif", "tiff");
    const std::string beside = dir.Write("near.tif", "tiff");
    const std::string sample = dir.File("s.eps");
    const std::pair<std::string, std::string> cases[] = {
        {dir.path() + "\\hires\\big.tifX", moved},
        {"Server:Images:near.tif ", beside},
    };
    for (const auto& [rest, expected] : cases) {
        PString line;
        PStrFromView(rest, line, sizeof line);
        EXPECT_EQ(CompanionPathFromLine(line, sample.c_str()), expected);
    }
}

}  // namespace
}  // namespace aldra
