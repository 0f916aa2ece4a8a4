// The one walk over the leading comments against the three probes it stands in for: the Photoshop
// block (ReadPhotoshopData), the companion line (FindCompanionFile) and the sample test
// (IsColorCentralSample), each on its own reader, and the same walk fed by the header scan. The
// files are the arrangements where the probes and the scan read different lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/TextBuffer.h"
#include "eps/Companions.h"
#include "eps/DscScan.h"
#include "eps/LeadingComments.h"
#include "eps/Photoshop.h"
#include "support/EpsFixtures.h"
#include "support/TempDir.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using namespace testing;

// What a file's leading comments give, in a form that compares as a whole.
struct Facts {
    Status photoshopStatus = kErrFormat;
    std::string photoshop;
    bool namesCompanion = false;
    std::string companion;
    bool sample = false;
    bool operator==(const Facts&) const = default;
};

void PrintTo(const Facts& f, std::ostream* os) {
    *os << "{photoshop " << f.photoshopStatus << " (" << f.photoshop.size() << " bytes), companion "
        << f.namesCompanion << " '" << f.companion << "', sample " << f.sample << "}";
}

std::string BlockBytes(const TextBuffer* block) {
    return std::string(reinterpret_cast<const char*>(BufferData(block)), GetBufferSize(block));
}

Facts FactsOf(const LeadingComments& leading, const std::string& path) {
    Facts f;
    f.photoshopStatus = leading.photoshopStatus;
    if (leading.photoshop != nullptr) f.photoshop = BlockBytes(leading.photoshop);
    f.namesCompanion = leading.namesCompanion;
    if (leading.namesCompanion) f.companion = CompanionPathFromLine(leading.companionLine, path.c_str());
    f.sample = leading.colorCentralSample;
    return f;
}

Facts FromTheProbes(const std::string& path) {
    Facts f;
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) == kOk) {
        TextBuffer* block = nullptr;
        f.photoshopStatus = ReadPhotoshopData(&eps, &block);
        if (block != nullptr) f.photoshop = BlockBytes(block);
        DisposeBuffer(block);
        CloseEps(&eps);
    }
    f.namesCompanion = FindCompanionFile(path.c_str(), &f.companion);
    f.sample = IsColorCentralSample(path.c_str());
    return f;
}

Facts FromTheWalk(const std::string& path, uint32_t wants = kWantAllLeading) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return {};
    LeadingComments leading;
    WalkLeadingComments(&eps, wants, &leading);
    CloseEps(&eps);
    Facts f = FactsOf(leading, path);
    DisposeLeadingComments(&leading);
    return f;
}

// The walk fed by the header scan; *scanned receives the scan's own result.
Facts FromTheScan(const std::string& path, Status* scanned) {
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return {};
    EpsInfo info;
    LeadingComments leading;
    *scanned = ParseEpsHeader(&eps, path.c_str(), &info, &leading);
    CloseEps(&eps);
    DisposeBuffer(info.fonts);
    DisposeBuffer(info.customColors);
    DisposeBuffer(info.files);
    Facts f = FactsOf(leading, path);
    DisposeLeadingComments(&leading);
    return f;
}

std::string Resources(const std::string& keyword) {
    return ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
           ImageResource(1028, IptcDataSetBytes(2, 25, keyword));
}

std::string Block(const std::string& keyword, long announced = -1) {
    return PhotoshopBlock(Resources(keyword), announced);
}

// The hex lines without the "%EndPhotoshop" line behind them.
std::string BareBlock(const std::string& keyword) {
    std::string r = Resources(keyword);
    return "%BeginPhotoshop: " + std::to_string(r.size()) + "\n" + HexCommentLines(r);
}

std::string WithEnds(std::string text, const char* eol) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string(eol) : std::string(1, c);
    return out;
}

struct Case {
    const char* name;
    std::string bytes;
};

std::vector<Case> Arrangements() {
    const std::string cc = "%%CompFileName: D:\\scans\\hires.tifX";
    const std::string big = PhotoshopBlock(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                                           ImageResource(1028, IptcDataSetBytes(2, 25, "big")) +
                                           ImageResource(1033, std::string(40000, '\x5A')));
    return {
        {"plain header", EpsText("%%BoundingBox: 0 0 10 10")},
        {"a block", EpsText("%%BoundingBox: 0 0 10 10\n" + Block("harbour"))},
        {"the sample line before the block", EpsText(cc + "\n" + Block("a"))},
        {"the sample line after the block", EpsText(Block("a") + "\n" + cc)},
        // The scan drops the line that ends a block; the probes read it.
        {"the sample line right behind the hex lines", EpsText(BareBlock("a") + "\n" + cc)},
        {"the sample line behind code", EpsText("%%BoundingBox: 0 0 1 1\n0 setgray\n" + cc)},
        {"no blank behind the keyword", EpsText("%%CompFileName:D:\\x.tif")},
        {"no PostScript first line",
         "%not PostScript\n" + cc + "\n" + Block("a") + "\n" + std::string(40, 'x')},
        // The scan passes over the line behind %LINOCyanPlate: and swallows 9 Bits hex lines.
        {"a block behind an ICS plate line", EpsText("%LINOCyanPlate: c.eps\n" + Block("lino"))},
        {"a block inside a 9 Bits block",
         EpsText("%9BitsRef: 64\n% 00112233\n" + Block("nine") + "\n%%EndNineBits")},
        {"two blocks", EpsText(Block("first") + "\n" + Block("second"))},
        {"a block announced longer than its lines", EpsText(Block("a", 5000))},
        {"a block announced past the cap", EpsText(Block("a", 1L << 30))},
        {"a block announced empty", EpsText("%BeginPhotoshop: 0\n% 00\n%EndPhotoshop")},
        {"a block that ends the file", "%!PS-Adobe-3.0 EPSF-3.0\n" + BareBlock("last")},
        {"a block behind a DOS EPS header", DosEpsFile(EpsText(cc + "\n" + Block("dos")), "")},
        {"comments past the first window", EpsText(big + "\n" + cc)},
        {"CR line ends", WithEnds(EpsText(cc + "\n" + Block("cr")), "\r")},
        {"CR LF line ends", WithEnds(EpsText(Block("crlf") + "\n" + cc), "\r\n")},
        {"a comment longer than a line", EpsText("%%Title: " + std::string(600, 't') + "\n" + cc)},
        {"only the first line", "%!PS-Adobe-3.0 EPSF-3.0 and some more text"},
        {"shorter than a DOS EPS header", "%!PS\n" + cc},
    };
}

TEST(LeadingComments, OneWalkGivesWhatEachProbeGives) {
    TempDir dir;
    for (const Case& c : Arrangements()) {
        SCOPED_TRACE(c.name);
        std::string path = dir.Write("f.eps", c.bytes);
        const Facts probes = FromTheProbes(path);
        EXPECT_EQ(FromTheWalk(path), probes);
        Status scanned = kOk;
        const Facts fed = FromTheScan(path, &scanned);
        if (scanned == kOk) {
            EXPECT_EQ(fed, probes);
        } else {
            EXPECT_EQ(fed, Facts{});  // a failed scan leaves nothing behind
        }
    }
}

TEST(LeadingComments, TheArrangementsReachEveryAnswer) {
    // Guards the table above: a walk that agreed with probes that always fail would prove nothing.
    TempDir dir;
    int blocks = 0, companions = 0, samples = 0, scansWithBlocks = 0;
    for (const Case& c : Arrangements()) {
        std::string path = dir.Write("f.eps", c.bytes);
        Facts f = FromTheProbes(path);
        blocks += f.photoshopStatus == kOk;
        companions += f.namesCompanion;
        samples += f.sample;
        Status scanned = kOk;
        scansWithBlocks += FromTheScan(path, &scanned).photoshopStatus == kOk && scanned == kOk;
    }
    EXPECT_GE(blocks, 10);
    EXPECT_GE(companions, 6);
    EXPECT_GE(samples, 7);
    EXPECT_GE(scansWithBlocks, 8);
}

TEST(LeadingComments, OnlyTheFactsAskedForAreSettled) {
    TempDir dir;
    std::string path = dir.Write("f.eps", EpsText("%%CompFileName: D:\\x.tifX\n" + Block("k")));
    Facts all = FromTheWalk(path);
    ASSERT_EQ(all.photoshopStatus, kOk);
    ASSERT_TRUE(all.namesCompanion && all.sample);
    Facts photoshop = FromTheWalk(path, kWantPhotoshop);
    EXPECT_EQ(photoshop.photoshop, all.photoshop);
    EXPECT_FALSE(photoshop.namesCompanion || photoshop.sample);
    Facts companion = FromTheWalk(path, kWantCompanion);
    EXPECT_EQ(companion.photoshopStatus, kErrFormat);
    EXPECT_TRUE(companion.photoshop.empty());
    EXPECT_EQ(companion.companion, all.companion);
    EXPECT_FALSE(companion.sample);
}

}  // namespace
}  // namespace aldra
