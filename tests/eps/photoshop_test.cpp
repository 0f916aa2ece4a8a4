// Photoshop resource blocks: the keywords and the notes a block gives, and the walk over the
// resources that must never read past what it was given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eps/AnpaTable.h"
#include "eps/Photoshop.h"
#include "eps/Scanned.h"
#include "platform/resources/Resources.h"
#include "support/EpsFixtures.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kDefaultTable = "default";

// "keywords / notes" of a block's bytes, the notes by the given table.
std::string IptcOf(const std::string& bytes, const std::string& table) {
    TextBuffer* block = nullptr;
    TextBuffer* anpa = nullptr;
    NewBuffer(0, &block);
    NewBuffer(0, &anpa);
    AppendBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), block);
    ParseAnpaSettings(anpa, table == kDefaultTable ? ResourceText(252) : table);
    PString separator;
    PStrFromC(": ", separator, sizeof separator);
    StringList* keywords = nullptr;
    TextBuffer* notes = nullptr;
    uint32_t count = 0;
    std::string out = IptcKeywordsOfBlock(block, &keywords, &count) == kOk ? Entries(keywords) : "-";
    if (keywords != nullptr) EXPECT_EQ(CountEntries(keywords), count);
    out += " / " + (IptcNotesOfBlock(block, anpa, separator, &notes) == kOk ? BufferText(notes) : "-");
    DisposeBuffer(keywords);
    DisposeBuffer(notes);
    DisposeBuffer(anpa);
    DisposeBuffer(block);
    return out;
}

std::string Iptc(const std::string& record) {
    return ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) + ImageResource(1028, record, "IPTC");
}

TEST(PhotoshopBlock, KeywordsAndNotesOfARecord) {
    const std::string caption(70000, 'c');
    const struct {
        std::string record;
        std::string table;
        std::string expected;
    } cases[] = {
        {IptcDataSetBytes(2, 0, "\0\2") + IptcDataSetBytes(2, 25, "harbour") +
             IptcDataSetBytes(2, 120, "Boats at dawn") + IptcDataSetBytes(2, 25, "boats"),
         kDefaultTable, "harbour|boats / Caption: Boats at dawn"},
        // The order of the record, not of the table; a type above 4 gives the label alone.
        {IptcDataSetBytes(2, 120, "cap") + IptcDataSetBytes(2, 105, "head") +
             IptcDataSetBytes(2, 55, "2026") + IptcDataSetBytes(2, 105, "again"),
         "2,105,0,1,Headline\n2,120,0,1,Caption\n2,55,5,1,Date",
         "- / Caption: cap\rHeadline: head\rDate: \rHeadline: again"},
        {IptcDataSetBytes(2, 120, "cap"), "2,120,0,0,Unused\n2,120,0,1,First\n2,120,0,1,Second",
         "- / First: cap"},
        {IptcDataSetBytes(2, 120, "cap"), "2,105,0,0,Headline", "- / -"},
        {IptcDataSetBytes(2, 25, std::string(300, 'k')), kDefaultTable, std::string(255, 'k') + " / -"},
        {IptcDataSetBytes(2, 120, caption, true), kDefaultTable, "- / Caption: " + caption},
        {"x" + IptcDataSetBytes(2, 25, "k"), kDefaultTable, "- / -"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IptcOf(Iptc(c.record), c.table), c.expected) << c.table;
    }
    EXPECT_EQ(IptcOf(ImageResource(1005, ResolutionInfo(1, 1)), kDefaultTable), "- / -");
}

TEST(ImageResources, WalkChecksEveryClaimedLength) {
    std::string block =
        ImageResource(1000, "odd", "name") + ImageResource(1005, ResolutionInfo(72u << 16, 150u << 16, 2));
    const auto* bytes = reinterpret_cast<const uint8_t*>(block.data());
    int32_t h = 0, v = 0;
    // Units say pixels per centimetre; the values are still taken as they stand.
    ASSERT_EQ(ReadPhotoshopResolution(bytes, static_cast<uint32_t>(block.size()), &h, &v), kOk);
    EXPECT_EQ(h, 72 << 16);
    EXPECT_EQ(v, 150 << 16);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(FindImageResource(bytes, static_cast<uint32_t>(block.size()), 1000, &data, &size), kOk);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), "odd");
    // Every cut of the block leaves the resource behind the cut unreachable, never read past the end.
    for (uint32_t cut = 0; cut < block.size(); ++cut) {
        std::vector<uint8_t> head(bytes, bytes + cut);
        EXPECT_EQ(ReadPhotoshopResolution(head.data(), cut, &h, &v), kErrFormat) << cut;
    }
    std::string huge = "8BIM" + BigEndian16(1005) + std::string(2, '\0') + BigEndian32(0xFFFFFFF0) + "x";
    std::string wrongSignature = "8BIN" + block.substr(4);
    std::string shortResolution = ImageResource(1005, ResolutionInfo(1, 1).substr(0, 15));
    for (const std::string& bad : {huge, wrongSignature, shortResolution}) {
        EXPECT_EQ(ReadPhotoshopResolution(reinterpret_cast<const uint8_t*>(bad.data()),
                                          static_cast<uint32_t>(bad.size()), &h, &v),
                  kErrFormat);
    }
}

}  // namespace
}  // namespace aldra
