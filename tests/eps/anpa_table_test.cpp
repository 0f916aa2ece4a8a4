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

TEST(AnpaSettings, SingleLineLayout) {
    Table table;
    ASSERT_TRUE(ParseAnpaSettings(table.buffer, "2,120,0,1,Caption"));
    ASSERT_EQ(GetBufferSize(table.buffer), 14u);  // count 2 + header 5 + "Caption" 7
    EXPECT_EQ(AnpaEntryCount(table.buffer), 1);
    AnpaEntry entry;
    ASSERT_TRUE(GetAnpaEntry(table.buffer, 0, &entry));
    EXPECT_EQ(entry.record, 2);
    EXPECT_EQ(entry.dataSet, 120);
    EXPECT_EQ(entry.type, 0);
    EXPECT_EQ(entry.addToNotes, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry.label + 1), entry.label[0]), "Caption");
    EXPECT_FALSE(GetAnpaEntry(table.buffer, 1, &entry));
}

TEST(AnpaSettings, LowBitsLastCommaAndMalformedLines) {
    Table table;
    ASSERT_TRUE(ParseAnpaSettings(table.buffer, "300,5,0,1,First,Second"));
    AnpaEntry entry;
    ASSERT_TRUE(GetAnpaEntry(table.buffer, 0, &entry));
    EXPECT_EQ(entry.record, 44);  // 300 & 0xFF
    EXPECT_EQ(FormatAnpaSettings(table.buffer), "44,5,0,1,Second");

    // A malformed line ends parsing; what came before stays with its count.
    EXPECT_FALSE(ParseAnpaSettings(table.buffer, "2,25,0,1,Keywords\n2,x,0,1,Broken\n2,120,0,1,Caption"));
    EXPECT_EQ(AnpaEntryCount(table.buffer), 1);
    EXPECT_EQ(FormatAnpaSettings(table.buffer), "2,25,0,1,Keywords");
    // Three numbers only, or no comma after the fourth.
    EXPECT_FALSE(ParseAnpaSettings(table.buffer, "2,25,0"));
    EXPECT_FALSE(ParseAnpaSettings(table.buffer, "2,25,0,1"));
    EXPECT_EQ(AnpaEntryCount(table.buffer), 0);
}

TEST(AnpaSettings, DefaultTableRoundTripsAndSelectsOnlyTheCaption) {
    const std::string defaults = ResourceText(252);
    Table table;
    ASSERT_TRUE(ParseAnpaSettings(table.buffer, defaults));
    EXPECT_EQ(AnpaEntryCount(table.buffer), 21);
    EXPECT_EQ(FormatAnpaSettings(table.buffer), defaults);
    int selected = 0;
    for (uint16_t i = 0; i < 21; ++i) {
        AnpaEntry entry;
        ASSERT_TRUE(GetAnpaEntry(table.buffer, i, &entry));
        if (entry.addToNotes) {
            ++selected;
            EXPECT_EQ(entry.dataSet, 120);
        }
    }
    EXPECT_EQ(selected, 1);
    // Formatting restores the lock state it found.
    LockBuffer(table.buffer, true);
    FormatAnpaSettings(table.buffer);
    EXPECT_TRUE(LockBuffer(table.buffer, false));
}

TEST(AnpaSettings, LabelsAreCutTo255Characters) {
    Table table;
    ASSERT_TRUE(ParseAnpaSettings(table.buffer, "2,5,0,0," + std::string(300, 'L')));
    AnpaEntry entry;
    ASSERT_TRUE(GetAnpaEntry(table.buffer, 0, &entry));
    EXPECT_EQ(entry.label[0], 255);
}

TEST(AnpaSettings, AWalkReadsTheEntriesInOrderAndStopsWhereTheBytesEnd) {
    Table table;
    ASSERT_TRUE(ParseAnpaSettings(table.buffer, ResourceText(252)));
    AnpaCursor cursor;
    AnpaEntry walked;
    uint16_t count = 0;
    while (NextAnpaEntry(table.buffer, &cursor, &walked)) {
        AnpaEntry indexed;
        ASSERT_TRUE(GetAnpaEntry(table.buffer, count, &indexed));
        EXPECT_EQ(walked.dataSet, indexed.dataSet);
        EXPECT_EQ(walked.label, indexed.label);
        ++count;
    }
    EXPECT_EQ(count, AnpaEntryCount(table.buffer));
    // A count that claims more entries than the bytes hold, and a last label cut short.
    Table forged;
    ASSERT_TRUE(ParseAnpaSettings(forged.buffer, "2,5,0,1,Name\n2,120,0,1,Caption"));
    const uint16_t claimed = 9;
    std::memcpy(BufferData(forged.buffer), &claimed, sizeof claimed);
    ASSERT_EQ(SetBufferSize(forged.buffer, GetBufferSize(forged.buffer) - 3), kOk);
    cursor = AnpaCursor{};
    count = 0;
    while (NextAnpaEntry(forged.buffer, &cursor, &walked)) ++count;
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(GetAnpaEntry(forged.buffer, 1, &walked));
    TextBuffer* none = nullptr;
    cursor = AnpaCursor{};
    EXPECT_FALSE(NextAnpaEntry(none, &cursor, &walked));
}

}  // namespace
}  // namespace aldra
