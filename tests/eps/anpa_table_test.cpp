// The IPTC data-set table of the settings: its text form read and written again, and walks over a
// table that claims more than it holds.
#include "eps/AnpaTable.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/resources/Resources.h"

namespace aldra {
namespace {

struct Table {
    TextBuffer* buffer = nullptr;
    Table() { EXPECT_EQ(NewBuffer(2, &buffer), kOk); }
    ~Table() { DisposeBuffer(buffer); }
};

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
        Table table;
        EXPECT_EQ(ParseAnpaSettings(table.buffer, c.text), c.whole) << c.text;
        EXPECT_EQ(FormatAnpaSettings(table.buffer), c.formatted);
    }
}

TEST(AnpaSettings, AWalkStopsWhereTheBytesEnd) {
    Table forged;
    ASSERT_TRUE(ParseAnpaSettings(forged.buffer, "2,5,0,1,Name\n2,120,0,1,Caption"));
    const uint16_t claimed = 9;
    std::memcpy(BufferData(forged.buffer), &claimed, sizeof claimed);
    ASSERT_EQ(SetBufferSize(forged.buffer, GetBufferSize(forged.buffer) - 3), kOk);  // the last label cut
    AnpaCursor cursor;
    AnpaEntry entry;
    int count = 0;
    while (NextAnpaEntry(forged.buffer, &cursor, &entry)) ++count;
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(GetAnpaEntry(forged.buffer, 0, &entry));
    EXPECT_FALSE(GetAnpaEntry(forged.buffer, 1, &entry));
    cursor = AnpaCursor{};
    EXPECT_FALSE(NextAnpaEntry(nullptr, &cursor, &entry));
}

}  // namespace
}  // namespace aldra
