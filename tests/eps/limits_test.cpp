// What one forged header can make the scan hold: hex blocks made at their final size and capped,
// lists and notes that stop growing.
#include <gtest/gtest.h>

#include <cstring>

#include "base/StringList.h"
#include "eps/AnpaTable.h"
#include "eps/CommentParser.h"
#include "eps/DscScan.h"
#include "eps/Iptc.h"
#include "eps/Photoshop.h"
#include "support/EpsFixtures.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

struct Scan {
    Status status = kErrFormat;
    EpsInfo info;
    ~Scan() {
        if (status != kOk) return;
        DisposeBuffer(info.fonts);
        DisposeBuffer(info.customColors);
        DisposeBuffer(info.files);
    }
};

void ScanFile(const std::string& path, Scan* scan) {
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    scan->status = ParseEpsHeader(&eps, path.c_str(), &scan->info);
    CloseEps(&eps);
}

// ---- Hex blocks -------------------------------------------------------------------------------

// A resolution resource first, then filler up to `bytes`, in Photoshop's hex comment lines.
std::string BigPhotoshopFile(uint32_t bytes, long announced = -1) {
    std::string resources = ImageResource(kResolutionResource, ResolutionInfo(300u << 16, 200u << 16));
    resources += ImageResource(1039, std::string(bytes - resources.size() - 12, '\x5A'));
    return EpsText("%%BoundingBox: 0 0 72 72\n" + PhotoshopBlock(resources, announced) +
                   "\n%%Creator: after");
}

// Copying such a block again every 256 bytes took minutes in the sanitizer build, past the tests'
// time limit.
TEST(HexBlockLimits, AMultiMegabyteBlockIsReadWhole) {
    TempDir dir;
    const uint32_t bytes = 4u << 20;
    const std::string path = dir.Write("big.eps", BigPhotoshopFile(bytes));
    Scan scan;
    TextBuffer* block = nullptr;
    ScanFile(path, &scan);
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    EXPECT_EQ(ReadPhotoshopData(&eps, &block), kOk);
    CloseEps(&eps);
    ASSERT_EQ(scan.status, kOk);
    EXPECT_DOUBLE_EQ(scan.info.hResolution, 300);
    EXPECT_DOUBLE_EQ(scan.info.vResolution, 200);
    EXPECT_EQ(PStrView(scan.info.creator), "after");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetBufferSize(block), bytes);
    EXPECT_EQ(BufferData(block)[bytes - 1], 0x5A);
    DisposeBuffer(block);
}

TEST(HexBlockLimits, ABlockAnnouncedPastTheCapIsRefusedUnreadOrPassedOver) {
    TempDir dir;
    const std::string resources = ImageResource(kResolutionResource, ResolutionInfo(300u << 16, 300u << 16));
    const std::string path =
        dir.Write("forged.eps", EpsText("%%Creator: before\n%%BoundingBox: 0 0 72 72\n" +
                                        PhotoshopBlock(resources, static_cast<long>(kMaxHexBlockBytes) + 1)));
    EpsReader eps;
    ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
    TextBuffer* block = nullptr;
    EXPECT_EQ(ReadPhotoshopData(&eps, &block), kErrMemory);
    EXPECT_EQ(block, nullptr);
    StringList* keywords = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(ReadIptcKeywords(&eps, &keywords, &count), kErrMemory);
    CloseEps(&eps);
    // The header scan passes over it as over a block cut short: the file keeps everything else.
    Scan scan;
    ScanFile(path, &scan);
    ASSERT_EQ(scan.status, kOk);
    EXPECT_EQ(scan.info.hResolution, 0);
    EXPECT_EQ(PStrView(scan.info.creator), "before");
    EXPECT_DOUBLE_EQ(scan.info.widthInches, 1);
}

TEST(HexBlockLimits, TheCollectorKeepsOnlyBlocksThatCanBeComplete) {
    PString line;
    PStrFromC("0102030405", line, sizeof line);
    HexBlock block;
    // A count the rest of the file cannot hold is only counted, however it ends.
    ASSERT_EQ(OpenHexBlock(1000, 1999, true, &block), kOk);
    EXPECT_EQ(block.buffer, nullptr);
    ASSERT_EQ(OpenHexBlock(1000, 2000, true, &block), kOk);
    ASSERT_NE(block.buffer, nullptr);
    TextBuffer* done = CloseHexBlock(&block);
    EXPECT_EQ(done, nullptr);  // nothing came: incomplete
    // Bytes past the announcement make the block incomplete, as appending them did.
    ASSERT_EQ(OpenHexBlock(8, 100, true, &block), kOk);
    AddHexLine(line, &block);
    EXPECT_TRUE(HexBlockWanted(block));
    AddHexLine(line, &block);
    EXPECT_FALSE(HexBlockWanted(block));
    EXPECT_EQ(CloseHexBlock(&block), nullptr);
    // Exactly the announcement gives the bytes in order; a line with a bad digit adds nothing.
    ASSERT_EQ(OpenHexBlock(10, 100, true, &block), kOk);
    AddHexLine(line, &block);
    PString bad;
    PStrFromC("01zz", bad, sizeof bad);
    AddHexLine(bad, &block);
    AddHexLine(line, &block);
    done = CloseHexBlock(&block);
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(GetBufferSize(done), 10u);
    EXPECT_EQ(std::memcmp(BufferData(done), "\x01\x02\x03\x04\x05\x01\x02\x03\x04\x05", 10), 0);
    DisposeBuffer(done);
    // Not kept: counted only.
    ASSERT_EQ(OpenHexBlock(5, 100, false, &block), kOk);
    EXPECT_EQ(block.buffer, nullptr);
    AddHexLine(line, &block);
    EXPECT_FALSE(HexBlockWanted(block));
}

TEST(ListLimits, AForgedFontListStopsAtTheCapAndKeepsItsHead) {
    TempDir dir;
    std::string comments = "%%BoundingBox: 0 0 72 72\n%%DocumentFonts: First\n";
    for (int i = 0; i < 200000; ++i) comments += "%%+ Font" + std::to_string(i) + "\n";
    comments += "%%Creator: after";
    const std::string path = dir.Write("fonts.eps", EpsText(comments));
    Scan scan;
    ScanFile(path, &scan);
    ASSERT_EQ(scan.status, kOk);
    EXPECT_LE(GetBufferSize(scan.info.fonts), kMaxListBytes);
    EXPECT_GT(GetBufferSize(scan.info.fonts), kMaxListBytes - 256);
    EXPECT_EQ(CountEntries(scan.info.fonts), scan.info.fontCount);
    EXPECT_LT(scan.info.fontCount, 200001u);
    EXPECT_EQ(JoinStringList(scan.info.fonts, ',').substr(0, 18), "First,Font0,Font1,");
    EXPECT_EQ(PStrView(scan.info.creator), "after");  // the run is still read to its end
}

std::string ManyDataSets(uint8_t dataSet, int count) {
    std::string record;
    for (int i = 0; i < count; ++i) record += IptcDataSetBytes(2, dataSet, "w" + std::to_string(i));
    return record;
}

TEST(ListLimits, IptcKeywordsAndNotesStopBeforeTheirCaps) {
    const std::string record = ManyDataSets(kIptcKeywordsDataSet, 120000);
    const auto* bytes = reinterpret_cast<const uint8_t*>(record.data());
    StringList* keywords = nullptr;
    ASSERT_EQ(NewBuffer(0, &keywords), kOk);
    uint32_t count = 0;
    ASSERT_EQ(CollectIptcKeywords(bytes, static_cast<uint32_t>(record.size()), keywords, &count), kOk);
    EXPECT_LE(GetBufferSize(keywords), kMaxListBytes);
    EXPECT_EQ(CountEntries(keywords), count);
    EXPECT_GT(count, 10000u);
    DisposeBuffer(keywords);

    TextBuffer* table = nullptr;
    ASSERT_EQ(NewBuffer(0, &table), kOk);
    ASSERT_TRUE(ParseAnpaSettings(table, "2,25,1,1,Keyword"));
    TextBuffer* notes = nullptr;
    ASSERT_EQ(NewBuffer(0, &notes), kOk);
    PString separator;
    PStrFromC(": ", separator, sizeof separator);
    ASSERT_EQ(ComposeIptcNotes(bytes, static_cast<uint32_t>(record.size()), table, separator, notes), kOk);
    const std::string text(reinterpret_cast<const char*>(BufferData(notes)), GetBufferSize(notes));
    EXPECT_LE(text.size(), kMaxNotesBytes);
    EXPECT_EQ(text.substr(0, 24), "Keyword: w0\rKeyword: w1\r");
    // The notes end with a whole line.
    const std::string last = text.substr(text.rfind('\r') + 1);
    EXPECT_EQ(last.rfind("Keyword: w", 0), 0u) << last;
    DisposeBuffer(notes);
    DisposeBuffer(table);
}

}  // namespace
}  // namespace aldra
