// Growable buffers, the blocks under them, byte moves and string lists.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/Bytes.h"
#include "base/StringList.h"
#include "base/TextBuffer.h"

namespace aldra {
namespace {

struct Buffer {
    BufferPtr owner;
    TextBuffer* b = nullptr;
    explicit Buffer(uint32_t size = 0) {
        EXPECT_EQ(NewBuffer(size, &owner), kOk);
        b = owner.get();
    }
    std::string text() const { return std::string(reinterpret_cast<char*>(BufferData(b)), GetBufferSize(b)); }
};

TEST(TextBuffer, ResizingKeepsTheFrontShowsNewBytesAsZerosAndCopiesWhole) {
    Buffer buf;
    for (int i = 0; i < 1000; ++i) {
        std::string piece = std::to_string(i) + ",";
        ASSERT_EQ(AppendBytes(piece.data(), static_cast<uint32_t>(piece.size()), buf.b), kOk);
    }
    EXPECT_EQ(buf.text().substr(0, 8), "0,1,2,3,");
    EXPECT_EQ(buf.text().size(), 3890u);
    ASSERT_EQ(SetBufferSize(buf.b, 10), kOk);
    ASSERT_EQ(SetBufferSize(buf.b, 1u << 20), kOk);
    EXPECT_EQ(buf.text().substr(0, 10), "0,1,2,3,4,");
    for (uint32_t i = 10; i < (1u << 20); i += 997) ASSERT_EQ(BufferData(buf.b)[i], 0) << i;
    BufferPtr copy;
    ASSERT_EQ(SetBufferSize(buf.b, 3), kOk);
    ASSERT_EQ(DuplicateBuffer(buf.b, &copy), kOk);
    ASSERT_EQ(AppendBuffer(copy.get(), copy.get()), kOk);  // appending a buffer to itself doubles it
    EXPECT_EQ(std::string(reinterpret_cast<char*>(BufferData(copy.get())), GetBufferSize(copy.get())),
              "0,10,1");
}

TEST(TextBuffer, ALockedBufferNeverMoves) {
    Buffer buf(10);
    std::memcpy(BufferData(buf.b), "0123456789", 10);
    EXPECT_FALSE(LockBuffer(buf.b, true));
    EXPECT_TRUE(LockBuffer(buf.b, true));  // reports the previous state
    uint8_t* pinned = BufferData(buf.b);
    std::string big(100000, 'y');
    EXPECT_EQ(SetBufferSize(buf.b, 1u << 20), kErrMemory);
    EXPECT_EQ(AppendBytes(big.data(), 100000, buf.b), kErrMemory);
    EXPECT_EQ(BufferData(buf.b), pinned);
    EXPECT_EQ(buf.text(), "0123456789");  // the failures left it as it was
    EXPECT_TRUE(LockBuffer(buf.b, false));
    EXPECT_EQ(AppendBytes(big.data(), 100000, buf.b), kOk);
    EXPECT_EQ(GetBufferSize(buf.b), 100010u);
}

TEST(Bytes, OverlappingMovesAndByteOrders) {
    char text[] = "abcdefgh";
    MoveBytes(text, text + 2, 5);  // destination inside the source, above it
    EXPECT_STREQ(text, "ababcdeh");
    MoveBytes(text + 2, text, 5);
    EXPECT_STREQ(text, "abcdedeh");
    const uint8_t field[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(LoadBe32(field), 0x12345678u);
    EXPECT_EQ(LoadLe32(field), 0x78563412u);
    EXPECT_EQ(LoadBe16(field) + LoadLe16(field + 2), 0x1234 + 0x7856);
}

TEST(StringList, WalksEntriesAndJoinsWithoutLeadingSeparators) {
    const uint8_t cyan[] = {4, 'C', 'y', 'a', 'n'};
    const uint8_t empty[] = {0};
    Buffer list, other, broken;
    ASSERT_EQ(AppendEntry(cyan, list.b), kOk);
    ASSERT_EQ(AppendEntry(empty, list.b), kOk);
    EXPECT_EQ(CountEntries(list.b), 2u);
    EXPECT_EQ(JoinStringList(list.b, '\n'), "Cyan\n");
    EXPECT_FALSE(list.b->flags & kBufferLocked);  // lock state restored
    for (const uint8_t* entry : {empty, cyan, cyan}) ASSERT_EQ(AppendEntry(entry, other.b), kOk);
    EXPECT_EQ(JoinStringList(other.b, '\r'), "Cyan\rCyan");
    // A foreign buffer whose last entry claims more bytes than remain ends the walk there.
    ASSERT_EQ(AppendBytes("\1A\x09"
                          "B",
                          4, broken.b),
              kOk);
    EXPECT_EQ(JoinStringList(broken.b, ','), "A");
}

}  // namespace
}  // namespace aldra
