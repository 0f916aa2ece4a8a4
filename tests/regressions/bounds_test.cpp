// The limits and fixes the fuzzing led to: hex blocks made at their final size and capped, lists and
// notes that stop growing, registry types and depths that survive a rewrite, and conversions to
// bitmaps the drawing layer cannot make. Times are limits far above the linear cost and far below
// what the old quadratic growth took, so that a return of the copying shows without a stopwatch.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/StringList.h"
#include "control/ControlFixture.h"
#include "eps/AnpaTable.h"
#include "eps/CommentParser.h"
#include "eps/DscScan.h"
#include "eps/Iptc.h"
#include "eps/Photoshop.h"
#include "platform/gdi/Gdi.h"
#include "platform/registry/Hive.h"
#include "platform/registry/Registry.h"
#include "preview/TiffPreview.h"
#include "support/EpsFixtures.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using namespace testing;

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

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

TEST(HexBlockLimits, AMultiMegabyteBlockIsReadInOnePass) {
    TempDir dir;
    const uint32_t bytes = 4u << 20;
    const std::string path = dir.Write("big.eps", BigPhotoshopFile(bytes));
    Scan scan;
    TextBuffer* block = nullptr;
    const double seconds = SecondsOf([&] {
        ScanFile(path, &scan);
        EpsReader eps;
        ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
        EXPECT_EQ(ReadPhotoshopData(&eps, &block), kOk);
        CloseEps(&eps);
    });
    ASSERT_EQ(scan.status, kOk);
    EXPECT_DOUBLE_EQ(scan.info.hResolution, 300);
    EXPECT_DOUBLE_EQ(scan.info.vResolution, 200);
    EXPECT_EQ(PStrView(scan.info.creator), "after");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetBufferSize(block), bytes);
    EXPECT_EQ(BufferData(block)[bytes - 1], 0x5A);
    DisposeBuffer(block);
    EXPECT_LT(seconds, 10);  // copying the block per 256 bytes took minutes in the sanitizer build
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

// ---- Lists and notes --------------------------------------------------------------------------

TEST(ListLimits, AForgedFontListStopsAtTheCapAndKeepsItsHead) {
    TempDir dir;
    std::string comments = "%%BoundingBox: 0 0 72 72\n%%DocumentFonts: First\n";
    for (int i = 0; i < 200000; ++i) comments += "%%+ Font" + std::to_string(i) + "\n";
    comments += "%%Creator: after";
    const std::string path = dir.Write("fonts.eps", EpsText(comments));
    Scan scan;
    const double seconds = SecondsOf([&] { ScanFile(path, &scan); });
    ASSERT_EQ(scan.status, kOk);
    EXPECT_LE(GetBufferSize(scan.info.fonts), kMaxListBytes);
    EXPECT_GT(GetBufferSize(scan.info.fonts), kMaxListBytes - 256);
    EXPECT_EQ(CountEntries(scan.info.fonts), scan.info.fontCount);
    EXPECT_LT(scan.info.fontCount, 200001u);
    EXPECT_EQ(JoinStringList(scan.info.fonts, ',').substr(0, 18), "First,Font0,Font1,");
    EXPECT_EQ(PStrView(scan.info.creator), "after");  // the run is still read to its end
    EXPECT_LT(seconds, 20);
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

// ---- TIFF pictures ------------------------------------------------------------------------------

Status DecodeWithSize(uint32_t width, uint32_t height, uint32_t bits, uint32_t samples,
                      uint32_t photometric = 1) {
    // A few real rows; the size tags claim the rest, which a short strip leaves blank.
    TiffOptions o;
    o.photometric = photometric;
    o.extraTags = {{256, kLong, {width}}, {257, kLong, {height}}};
    const std::string tiff = MakeTiff(MakePicture(16, 2, bits, samples, Busy), o);
    return DecodeTiffImage(reinterpret_cast<const uint8_t*>(tiff.data()), static_cast<uint32_t>(tiff.size()),
                           nullptr);
}

TEST(TiffLimits, PixelsAreCountedAsWellAsBytes) {
    // One bit and two samples a pixel keep the raster small while every pixel costs its own work: a
    // 200-byte file claiming half a billion of them took seconds in the release build.
    EXPECT_EQ(DecodeWithSize(1u << 29, 1, 1, 2), kErrMemory);
    EXPECT_EQ(DecodeWithSize(static_cast<uint32_t>(kMaxTiffPixels) + 1, 1, 1, 1), kErrMemory);
    EXPECT_EQ(DecodeWithSize(8192, 4097, 8, 1), kErrMemory);
    // A full-size preview of a 72 ppi photograph still decodes, RGB at four bytes a pixel included.
    EXPECT_EQ(DecodeWithSize(6000, 5000, 8, 1), kOk);
    EXPECT_EQ(DecodeWithSize(6000, 5000, 8, 3, 2), kOk);
}

// ---- Registry ---------------------------------------------------------------------------------

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

TEST(HiveFixes, TypesAboveNineAreWrittenInHexAndKeepTheirType) {
    // A REG_QWORD (11) and a type regedit shows as hex(19): both must survive the rewrite that any
    // change to the hive makes.
    Hive hive;
    ASSERT_TRUE(
        ParseHive("REGEDIT4\n\n[HKEY_CURRENT_USER\\S]\n\"q\"=hex(b):01,00,00,00,00,00,00,00\n"
                  "\"t\"=hex(19):32,2c\n",
                  kRoot, &hive));
    const std::string written = FormatHive(hive, kRoot);
    EXPECT_NE(written.find("\"q\"=hex(b):01,00"), std::string::npos) << written;
    EXPECT_NE(written.find("\"t\"=hex(19):32,2c"), std::string::npos) << written;
    Hive again;
    ASSERT_TRUE(ParseHive(written, kRoot, &again));
    HiveKey* key = FindKey(&again, "S");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(FindValue(key, "q")->type, 11u);
    EXPECT_EQ(FindValue(key, "t")->type, 0x19u);
}

std::string DeepPath(size_t levels) {
    std::string path = "k";
    for (size_t i = 1; i < levels; ++i) path += "\\k";
    return path;
}

TEST(HiveFixes, KeysDeeperThanARegistryTreeAreRefused) {
    Hive hive;
    EXPECT_TRUE(ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(kMaxKeyDepth) + "]\n", kRoot, &hive));
    EXPECT_EQ(hive.keys.size(), kMaxKeyDepth + 1);
    // One level more is a hive no Windows tool writes; thirty thousand used to overflow the stack.
    EXPECT_FALSE(
        ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(kMaxKeyDepth + 1) + "]\n", kRoot, &hive));
    EXPECT_FALSE(ParseHive("REGEDIT4\n[HKEY_CURRENT_USER\\" + DeepPath(30000) + "]\n", kRoot, &hive));
    Hive fresh;
    EXPECT_EQ(CreateKey(&fresh, DeepPath(kMaxKeyDepth + 1), nullptr), nullptr);
    EXPECT_EQ(fresh.keys.size(), 1u);
    EXPECT_NE(CreateKey(&fresh, DeepPath(kMaxKeyDepth), nullptr), nullptr);
}

TEST(HiveFixes, AHiveOfManyDeepKeysParsesInOnePass) {
    // 64 KB of sections, each 400 levels deep under its own first name: 32,000 keys, each of which
    // CreateKey used to look for among all the keys before it.
    std::string text = "REGEDIT4\n";
    int sections = 0;
    for (; text.size() < 65000; ++sections)
        text += "[HKEY_CURRENT_USER\\s" + std::to_string(sections) + "\\" + DeepPath(399) + "]\n";
    Hive hive;
    bool parsed = false;
    const double seconds = SecondsOf([&] { parsed = ParseHive(text, kRoot, &hive); });
    ASSERT_TRUE(parsed);
    EXPECT_EQ(hive.keys.size(), static_cast<size_t>(sections) * 400 + 1);
    EXPECT_EQ(hive.keys[400].path, "s0\\" + DeepPath(399));  // creation order: each key after its parent
    EXPECT_EQ(hive.keys[401].path, "s1");
    EXPECT_LT(seconds, 10);
}

TEST(HiveFixes, RegCreateKeyExRefusesATooDeepKeyAndLeavesTheFile) {
    TempDir folder;
    setenv("ALDRA_REGISTRY_DIR", folder.path().c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Kept", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string hivePath = HiveFilePath(HKEY_CURRENT_USER);
    std::ifstream before(hivePath);
    std::stringstream kept;
    kept << before.rdbuf();
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, DeepPath(kMaxKeyDepth + 1).c_str(), 0, nullptr, 0,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    std::ifstream after(hivePath);
    std::stringstream now;
    now << after.rdbuf();
    EXPECT_EQ(now.str(), kept.str());
    unsetenv("ALDRA_REGISTRY_DIR");
}

// ---- Conversions ------------------------------------------------------------------------------

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
