#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/Block.h"
#include "base/Bytes.h"
#include "base/StringList.h"
#include "base/TextBuffer.h"

namespace aldra {
namespace {

struct Buffer {
    TextBuffer* b = nullptr;
    explicit Buffer(uint32_t size = 0) { EXPECT_EQ(NewBuffer(size, &b), kOk); }
    ~Buffer() { DisposeBuffer(b); }
};

TEST(RawBlock, SizeWordAndZeroFilledGranules) {
    uint8_t* content = nullptr;
    ASSERT_EQ(AllocBlock(300, &content), kOk);
    EXPECT_EQ(BlockSize(content), 300u);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(content[i], 0) << i;  // two granules, all zero
    FreeBlock(content);
    EXPECT_EQ(BlockGranules(0), 1u);
    EXPECT_EQ(BlockGranules(256), 1u);
    EXPECT_EQ(BlockGranules(257), 2u);
}

TEST(RawBlock, CapacityAndBlocksMadeForOverwriting) {
    uint8_t* content = nullptr;
    ASSERT_EQ(AllocBlockWithCapacity(10, 1000, &content), kOk);
    EXPECT_EQ(BlockSize(content), 10u);
    EXPECT_EQ(BlockCapacity(content), 1024u);
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(content[i], 0) << i;
    FreeBlock(content);
    // The caller writes the first 300 bytes; the rest of the two granules is cleared for it.
    ASSERT_EQ(AllocBlockForOverwrite(300, &content), kOk);
    EXPECT_EQ(BlockSize(content), 300u);
    EXPECT_EQ(BlockCapacity(content), 512u);
    for (int i = 300; i < 512; ++i) ASSERT_EQ(content[i], 0) << i;
    FreeBlock(content);
    ASSERT_EQ(AllocBlockForOverwrite(0, &content), kOk);
    EXPECT_EQ(BlockCapacity(content), 256u);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(content[i], 0) << i;
    FreeBlock(content);
}

TEST(TextBuffer, ContentStaysInsideItsGranuleAndMovesAcrossIt) {
    Buffer buf(0);
    EXPECT_EQ(GetBufferSize(buf.b), 0u);
    uint8_t* original = BufferData(buf.b);
    for (uint32_t size : {1u, 4u, 200u, 256u}) {
        ASSERT_EQ(SetBufferSize(buf.b, size), kOk);
        EXPECT_EQ(BufferData(buf.b), original) << size;
        EXPECT_EQ(GetBufferSize(buf.b), size);
    }
    std::memset(BufferData(buf.b), 'x', 256);
    ASSERT_EQ(SetBufferSize(buf.b, 257), kOk);
    EXPECT_EQ(GetBufferSize(buf.b), 257u);
    EXPECT_EQ(BufferData(buf.b)[255], 'x');  // content kept
    EXPECT_EQ(BufferData(buf.b)[256], 0);    // new bytes zero
    // Shrinking across a granule boundary moves too, keeping the front.
    ASSERT_EQ(SetBufferSize(buf.b, 3), kOk);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(BufferData(buf.b)), 3), "xxx");
}

TEST(TextBuffer, LockedBufferGrowsOnlyInPlace) {
    Buffer buf(10);
    std::memcpy(BufferData(buf.b), "0123456789", 10);
    EXPECT_FALSE(LockBuffer(buf.b, true));
    EXPECT_TRUE(LockBuffer(buf.b, true));  // reports the previous state
    uint8_t* pinned = BufferData(buf.b);
    EXPECT_EQ(SetBufferSize(buf.b, 256), kOk);
    EXPECT_EQ(BufferData(buf.b), pinned);
    ASSERT_EQ(SetBufferSize(buf.b, 10), kOk);
    EXPECT_EQ(SetBufferSize(buf.b, 257), kErrMemory);
    EXPECT_EQ(GetBufferSize(buf.b), 10u);
    EXPECT_EQ(BufferData(buf.b), pinned);
    EXPECT_EQ(std::memcmp(pinned, "0123456789", 10), 0);
    // Appends that would cross the granule fail and leave the buffer as it was.
    std::string big(300, 'y');
    EXPECT_EQ(AppendBytes(big.data(), 300, buf.b), kErrMemory);
    EXPECT_EQ(GetBufferSize(buf.b), 10u);
    EXPECT_TRUE(LockBuffer(buf.b, false));
    EXPECT_EQ(AppendBytes(big.data(), 300, buf.b), kOk);
    EXPECT_EQ(GetBufferSize(buf.b), 310u);
}

TEST(TextBuffer, AppendManySmallPiecesAcrossGranules) {
    Buffer buf(0);
    std::string expected;
    for (int i = 0; i < 1000; ++i) {
        char piece[8];
        int n = std::snprintf(piece, sizeof piece, "%d,", i);
        ASSERT_EQ(AppendBytes(piece, static_cast<uint32_t>(n), buf.b), kOk);
        expected.append(piece, static_cast<size_t>(n));
    }
    ASSERT_EQ(GetBufferSize(buf.b), expected.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(BufferData(buf.b)), expected.size()), expected);
}

TEST(TextBuffer, AppendingEntryByEntryMovesTheContentRarely) {
    // Growth by doubling: a megabyte appended a byte at a time moves the content a dozen times,
    // where moving at every granule would copy it four thousand times over.
    Buffer buf(0);
    uint8_t* last = BufferData(buf.b);
    int moves = 0;
    for (uint32_t i = 0; i < (1u << 20); ++i) {
        const uint8_t byte = static_cast<uint8_t>(i * 7);
        ASSERT_EQ(AppendBytes(&byte, 1, buf.b), kOk);
        if (BufferData(buf.b) != last) ++moves;
        last = BufferData(buf.b);
    }
    EXPECT_LE(moves, 14);
    ASSERT_EQ(GetBufferSize(buf.b), 1u << 20);
    for (uint32_t i = 0; i < (1u << 20); i += 4093)
        ASSERT_EQ(BufferData(buf.b)[i], static_cast<uint8_t>(i * 7));
}

TEST(TextBuffer, ShrinkingKeepsTheRoomAndRegrowingShowsZeros) {
    Buffer buf(0);
    ASSERT_EQ(SetBufferSize(buf.b, 5000), kOk);
    std::memset(BufferData(buf.b), 'x', 5000);
    uint8_t* room = BufferData(buf.b);
    ASSERT_EQ(SetBufferSize(buf.b, 10), kOk);
    EXPECT_EQ(GetBufferSize(buf.b), 10u);
    EXPECT_EQ(BufferData(buf.b), room);
    // Locked, the buffer may still grow inside the room it has.
    LockBuffer(buf.b, true);
    ASSERT_EQ(SetBufferSize(buf.b, 4000), kOk);
    EXPECT_EQ(BufferData(buf.b), room);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(BufferData(buf.b)), 10), std::string(10, 'x'));
    for (uint32_t i = 10; i < 4000; ++i) ASSERT_EQ(BufferData(buf.b)[i], 0) << i;
    EXPECT_EQ(SetBufferSize(buf.b, 1u << 20), kErrMemory);
    EXPECT_EQ(GetBufferSize(buf.b), 4000u);
    LockBuffer(buf.b, false);
    ASSERT_EQ(SetBufferSize(buf.b, 1u << 20), kOk);
    for (uint32_t i = 10; i < (1u << 20); i += 997) ASSERT_EQ(BufferData(buf.b)[i], 0) << i;
}

TEST(TextBuffer, InsertCopyDuplicateAndSelfAppend) {
    Buffer buf(0);
    ASSERT_EQ(AppendBytes("ace", 3, buf.b), kOk);
    EXPECT_EQ(InsertBytes("b", 1, buf.b, 1), kOk);
    EXPECT_EQ(InsertBytes("d", 1, buf.b, 3), kOk);
    EXPECT_EQ(InsertBytes("f", 1, buf.b, 5), kOk);  // at the size: appends
    EXPECT_EQ(InsertBytes("z", 1, buf.b, 7), kErrParam);
    EXPECT_EQ(InsertBytes(nullptr, 0, buf.b, 99), kOk);  // nothing to insert
    ASSERT_EQ(GetBufferSize(buf.b), 6u);
    EXPECT_EQ(std::memcmp(BufferData(buf.b), "abcdef", 6), 0);

    TextBuffer* copy = nullptr;
    ASSERT_EQ(DuplicateBuffer(buf.b, &copy), kOk);
    ASSERT_EQ(AppendBuffer(copy, copy), kOk);  // appending a buffer to itself doubles it
    ASSERT_EQ(GetBufferSize(copy), 12u);
    EXPECT_EQ(std::memcmp(BufferData(copy), "abcdefabcdef", 12), 0);
    ASSERT_EQ(CopyBuffer(copy, buf.b), kOk);
    EXPECT_EQ(GetBufferSize(buf.b), 12u);
    DisposeBuffer(copy);
}

TEST(Bytes, OverlappingMovesCompareAndSwap) {
    char text[] = "abcdefgh";
    MoveBytes(text, text + 2, 5);  // destination inside the source, above it
    EXPECT_STREQ(text, "ababcdeh");
    MoveBytes(text + 2, text, 5);
    EXPECT_STREQ(text, "abcdedeh");
    MoveBytes(text, text + 1, 0);
    EXPECT_EQ(CompareBytes("\x01\xff", "\x01\x7f", 2), 1);  // unsigned comparison
    EXPECT_EQ(CompareBytes("a", "b", 0), 0);
    uint8_t bits[2] = {0x0F, 0xFF};
    InvertBytes(bits, 2);
    EXPECT_EQ(bits[0], 0xF0);
    EXPECT_EQ(bits[1], 0x00);
}

TEST(StringList, WalksEntriesAndJoinsWithoutLeadingSeparators) {
    Buffer list(0);
    const uint8_t cyan[] = {4, 'C', 'y', 'a', 'n'};
    const uint8_t empty[] = {0};
    ASSERT_EQ(AppendEntry(cyan, list.b), kOk);
    ASSERT_EQ(AppendEntry(empty, list.b), kOk);
    EXPECT_EQ(CountEntries(list.b), 2u);
    EXPECT_EQ(JoinStringList(list.b, '\n'), "Cyan\n");
    EXPECT_FALSE(list.b->flags & kBufferLocked);  // lock state restored

    Buffer other(0);
    ASSERT_EQ(AppendEntry(empty, other.b), kOk);
    ASSERT_EQ(AppendEntry(cyan, other.b), kOk);
    ASSERT_EQ(AppendEntry(cyan, other.b), kOk);
    EXPECT_EQ(JoinStringList(other.b, '\r'), "Cyan\rCyan");

    // A foreign buffer whose last entry claims more bytes than remain ends the walk there.
    Buffer broken(0);
    const uint8_t bad[] = {1, 'A', 9, 'B'};
    ASSERT_EQ(AppendBytes(bad, sizeof bad, broken.b), kOk);
    EXPECT_EQ(JoinStringList(broken.b, ','), "A");
}

}  // namespace
}  // namespace aldra
