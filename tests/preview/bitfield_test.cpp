#include "preview/BitFields.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace aldra {
namespace {

bool BitAt(const std::vector<uint8_t>& bytes, uint32_t bit) {
    return (bytes[bit / 8] >> (7 - bit % 8)) & 1;
}

TEST(BitFields, GetAndCount) {
    const uint8_t bytes[5] = {0b10110010, 0b01111110, 0xFF, 0x00, 0b10000001};
    EXPECT_EQ(GetBits(bytes, 0, 1), 1u);
    EXPECT_EQ(GetBits(bytes, 1, 3), 0b011u);
    EXPECT_EQ(GetBits(bytes, 6, 4), 0b1001u);  // across a byte boundary
    EXPECT_EQ(GetBits(bytes, 0, 32), 0xB27EFF00u);
    EXPECT_EQ(GetBits(bytes, 4, 32), 0x27EFF008u);  // 32 bits spread over five bytes
    EXPECT_EQ(GetBits(bytes, 8, 40), 0x7EFF0081u);  // more than 32 is cut to 32
    EXPECT_EQ(GetBits(bytes, 3, 0), 0u);

    EXPECT_EQ(CountBits(bytes, 0, 8), 4u);
    EXPECT_EQ(CountBits(bytes, 5, 5), 2u);  // 010 01
    EXPECT_EQ(CountBits(bytes, 0, 40), 4u + 6 + 8 + 0 + 2);
    EXPECT_EQ(CountBits(bytes, 17, 0), 0u);
}

TEST(BitFields, PutKeepsNeighbours) {
    // Exactly sized buffers: a write must not touch a byte outside its bits (the sanitizer sees it).
    auto two = std::make_unique<uint8_t[]>(2);
    two[0] = 0xFF;
    two[1] = 0xFF;
    PutBits(0b0101, two.get(), 6, 4);
    EXPECT_EQ(two[0], 0b11111101);
    EXPECT_EQ(two[1], 0b01111111);

    uint8_t zero[5] = {};
    PutBits(0xFFFFFFFF, zero, 3, 32);
    EXPECT_EQ(zero[0], 0b00011111);
    EXPECT_EQ(zero[3], 0xFF);
    EXPECT_EQ(zero[4], 0b11100000);

    uint8_t one = 0xAA;
    PutBits(0xFFFFFFF0, &one, 2, 3);  // only the low 3 bits of the value count
    EXPECT_EQ(one, 0b10000010);
    PutBits(7, &one, 0, 0);
    EXPECT_EQ(one, 0b10000010);
}

// Reference copy bit by bit through a snapshot, as if source and destination were separate.
void ReferenceCopy(std::vector<uint8_t>& buffer, uint32_t from, uint32_t to, uint32_t count) {
    const std::vector<uint8_t> snapshot = buffer;
    for (uint32_t n = 0; n < count; ++n) {
        uint8_t mask = static_cast<uint8_t>(0x80 >> ((to + n) % 8));
        if (BitAt(snapshot, from + n)) {
            buffer[(to + n) / 8] |= mask;
        } else {
            buffer[(to + n) / 8] &= static_cast<uint8_t>(~mask);
        }
    }
}

TEST(BitFields, CopyOverlapsBothWays) {
    std::mt19937 random(12345);
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> buffer(40);
        for (uint8_t& b : buffer) b = static_cast<uint8_t>(random());
        uint32_t count = random() % 200;
        uint32_t from = random() % (320 - count);
        uint32_t to = random() % (320 - count);
        std::vector<uint8_t> expected = buffer;
        ReferenceCopy(expected, from, to, count);
        CopyBits(buffer.data(), from, buffer.data(), to, count);
        ASSERT_EQ(buffer, expected) << "from " << from << " to " << to << " count " << count;
    }
    // The same bytes addressed through different pointers still count as overlapping.
    std::vector<uint8_t> buffer = {0xF0, 0x0F, 0xAA, 0x55, 0x12, 0x34, 0x56, 0x78, 0x9A};
    std::vector<uint8_t> expected = buffer;
    ReferenceCopy(expected, 4, 20, 48);
    CopyBits(buffer.data(), 4, buffer.data() + 1, 12, 48);
    EXPECT_EQ(buffer, expected);

    // Into a separate array, leaving bits around the destination alone.
    const uint8_t source[2] = {0b11010000, 0};
    uint8_t dest[2] = {0xFF, 0xFF};
    CopyBits(source, 0, dest, 6, 4);
    EXPECT_EQ(dest[0], 0b11111111);
    EXPECT_EQ(dest[1], 0b01111111);
}

}  // namespace
}  // namespace aldra
