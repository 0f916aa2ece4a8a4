#include "preview/BitFields.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace aldra {
namespace {

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

}  // namespace
}  // namespace aldra
