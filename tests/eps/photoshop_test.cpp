// Photoshop resource blocks: the keywords and the notes a block gives by the settings' data-set table.
#include <gtest/gtest.h>

#include <string>

#include "eps/AnpaTable.h"
#include "eps/Photoshop.h"
#include "eps/Scanned.h"
#include "platform/resources/Resources.h"

namespace aldra {
namespace {

using namespace testing;

const std::string kDefaultTable = "default";

// "keywords / notes" of a block's bytes, the notes by the given table.
std::string IptcOf(const std::string& bytes, const std::string& table) {
    BufferPtr block, anpa, notes;
    EXPECT_EQ(NewBuffer(0, &block), kOk);
    EXPECT_EQ(NewBuffer(0, &anpa), kOk);
    EXPECT_EQ(AppendBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), block.get()), kOk);
    ParseAnpaSettings(anpa.get(), table == kDefaultTable ? ResourceText(252) : table);
    PString separator;
    PStrFromC(": ", separator, sizeof separator);
    StringListPtr keywords;
    uint32_t count = 0;
    std::string out =
        IptcKeywordsOfBlock(block.get(), &keywords, &count) == kOk ? Entries(keywords.get()) : "-";
    if (keywords != nullptr) {
        EXPECT_EQ(CountEntries(keywords.get()), count);
    }
    out +=
        " / " +
        (IptcNotesOfBlock(block.get(), anpa.get(), separator, &notes) == kOk ? BufferText(notes.get()) : "-");
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
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IptcOf(Iptc(c.record), c.table), c.expected) << c.table;
    }
    EXPECT_EQ(IptcOf(ImageResource(1005, ResolutionInfo(1, 1)), kDefaultTable), "- / -");
}

// The data-set table of the settings, read up to its first malformed line and written again.
TEST(AnpaSettings, TextIsReadUpToTheFirstMalformedLine) {
    const struct {
        std::string text;
        bool whole;
        std::string formatted;
    } cases[] = {
        {ResourceText(252), true, ResourceText(252)},
        {"300,5,0,1,First,Second", true, "44,5,0,1,Second"},  // low bits; the label after the last comma
        {"2,25,0,1,Keywords\n2,x,0,1,Broken\n2,120,0,1,Caption", false, "2,25,0,1,Keywords"},
        {"2,25,0", false, ""},
        {"2,25,0,1", false, ""},
        {"2,5,0,0," + std::string(300, 'L'), true, "2,5,0,0," + std::string(255, 'L')},
    };
    for (const auto& c : cases) {
        BufferPtr table;
        ASSERT_EQ(NewBuffer(2, &table), kOk);
        EXPECT_EQ(ParseAnpaSettings(table.get(), c.text), c.whole) << c.text;
        EXPECT_EQ(FormatAnpaSettings(table.get()), c.formatted);
    }
}

}  // namespace
}  // namespace aldra
