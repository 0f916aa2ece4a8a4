// The two strip codecs on their own: PackBits and TIFF LZW, with hand-made streams.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "preview/LzwDecoder.h"
#include "preview/PackBits.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

BoundedBytes View(const std::vector<uint8_t>& bytes) {
    return BoundedBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// Exactly sized outputs, so that AddressSanitizer sees any write past them.
struct Unpacked {
    Status status;
    std::vector<uint8_t> bytes;
};

Unpacked Unpack(const std::vector<uint8_t>& in, uint32_t rowBytes, uint32_t rows) {
    Unpacked u{kOk, std::vector<uint8_t>(static_cast<size_t>(rowBytes) * rows, 0xEE)};
    u.status = UnpackBitsRows(View(in), u.bytes.data(), rowBytes, rows);
    return u;
}

Unpacked Lzw(const std::vector<uint8_t>& in, uint32_t outSize) {
    Unpacked u{kOk, std::vector<uint8_t>(outSize, 0xEE)};
    u.status = DecodeLzw(View(in), u.bytes.data(), outSize);
    return u;
}

std::vector<uint8_t> Of(const std::string& s) {
    return {s.begin(), s.end()};
}

// Packs (code, width) pairs from the most significant bit down, zero-padded to a byte.
std::vector<uint8_t> PackCodes(const std::vector<std::pair<uint32_t, uint32_t>>& codes) {
    std::vector<uint8_t> out;
    uint32_t acc = 0, fill = 0;
    for (auto [code, width] : codes) {
        for (uint32_t i = width; i-- > 0;) {
            acc = acc << 1 | ((code >> i) & 1);
            if (++fill == 8) {
                out.push_back(static_cast<uint8_t>(acc));
                acc = fill = 0;
            }
        }
    }
    if (fill) out.push_back(static_cast<uint8_t>(acc << (8 - fill)));
    return out;
}

// ---- PackBits -------------------------------------------------------------------------------

TEST(PackBits, TheTiffDocumentationExample) {
    std::vector<uint8_t> packed = {0xFE, 0xAA, 0x02, 0x80, 0x00, 0x2A, 0xFD, 0xAA,
                                   0x03, 0x80, 0x00, 0x2A, 0x22, 0xF7, 0xAA};
    Unpacked u = Unpack(packed, 24, 1);
    ASSERT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes,
              (std::vector<uint8_t>{0xAA, 0xAA, 0xAA, 0x80, 0x00, 0x2A, 0xAA, 0xAA, 0xAA, 0xAA, 0x80, 0x00,
                                    0x2A, 0x22, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

TEST(PackBits, MinusOneTwentyEightIsSkipped) {
    Unpacked u = Unpack({0x80, 0x01, 'a', 'b', 0x80, 0xFF, 'c'}, 4, 1);
    ASSERT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes, Of("abcc"));
}

TEST(PackBits, RunsAreCutAtTheRowEndAndTheNextRowFollowsTheirBytes) {
    // Row 1: a repeat of 5 for 3 bytes; row 2: a literal of 4 for 3 bytes, then row 3 begins
    // behind all four literal bytes.
    Unpacked u = Unpack({0xFC, 'x', 0x03, 'a', 'b', 'c', 'd', 0x02, 'e', 'f', 'g'}, 3, 3);
    ASSERT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes, Of("xxxabcefg"));
}

TEST(PackBits, InputEndingBeforeTheRowsAreFullFails) {
    EXPECT_EQ(Unpack({0x02, 'a', 'b', 'c'}, 4, 1).status, kErrFormat);  // row short by one
    EXPECT_EQ(Unpack({0x05, 'a', 'b'}, 4, 1).status, kErrFormat);       // literal cut by the end
    EXPECT_EQ(Unpack({0xFD}, 4, 1).status, kErrFormat);                 // repeat without its byte
    EXPECT_EQ(Unpack({0xFD, 'z'}, 4, 2).status, kErrFormat);            // second row missing
    EXPECT_EQ(Unpack({}, 1, 1).status, kErrFormat);
    // A cut literal whose dropped rest runs past the input is fine when no row needs more.
    Unpacked u = Unpack({0x7F, 'a', 'b'}, 2, 1);
    EXPECT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes, Of("ab"));
}

TEST(PackBits, TheFixtureEncoderRoundTrips) {
    std::vector<uint8_t> row;
    for (int i = 0; i < 700; ++i) row.push_back(static_cast<uint8_t>(i % 9 < 4 ? 7 : i * 31));
    row.insert(row.end(), 300, 0);  // a run longer than one header holds
    Unpacked u =
        Unpack(Of(testing::PackBitsRow(row.data(), row.size())), static_cast<uint32_t>(row.size()), 1);
    ASSERT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes, row);
}

// ---- LZW ------------------------------------------------------------------------------------

TEST(Lzw, HandMadeStreams) {
    // Clear, 'A', 'B', 258 ("AB", defined when 'B' was read), end.
    Unpacked ab = Lzw({0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, 4);
    ASSERT_EQ(ab.status, kOk);
    EXPECT_EQ(ab.bytes, Of("ABAB"));
    // Clear, 'A', 258 (the code being defined: "A" + its own first byte), end.
    Unpacked aaa = Lzw({0x80, 0x10, 0x60, 0x50, 0x10}, 3);
    ASSERT_EQ(aaa.status, kOk);
    EXPECT_EQ(aaa.bytes, Of("AAA"));
}

TEST(Lzw, CodesThatAreNotDefinedYetFail) {
    // Clear, 'A', 260 (only 258 could come next), end.
    EXPECT_EQ(Lzw({0x80, 0x10, 0x60, 0x90, 0x10}, 3).status, kErrFormat);
    // Clear, then 300 where a literal must start the table.
    EXPECT_EQ(Lzw({0x80, 0x4B, 0x00}, 3).status, kErrFormat);
    // Clear, end: the end code where a string must start.
    EXPECT_EQ(Lzw(PackCodes({{256, 9}, {257, 9}}), 1).status, kErrFormat);
}

TEST(Lzw, DataEndingBeforeTheStripIsFullFail) {
    // Clear, 'A', 'B', end: two bytes for a strip of four.
    Unpacked early = Lzw({0x80, 0x10, 0x48, 0x50, 0x10}, 4);
    EXPECT_EQ(early.status, kErrFormat);
    EXPECT_EQ(early.bytes[0], 'A');  // what was decoded stays
    // The same without its end code, and cut inside a code.
    EXPECT_EQ(Lzw({0x80, 0x10, 0x48}, 4).status, kErrFormat);
    EXPECT_EQ(Lzw({}, 1).status, kErrFormat);
}

TEST(Lzw, OutputStopsAtTheStripSize) {
    // "ABAB" into three bytes: the last string is cut, nothing written behind.
    Unpacked u = Lzw({0x80, 0x10, 0x48, 0x50, 0x28, 0x08}, 3);
    ASSERT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes, Of("ABA"));
    // A stream that goes on far longer than the strip.
    std::vector<uint8_t> big(5000, 'q');
    Unpacked v = Lzw(Of(testing::LzwEncode(big)), 10);
    ASSERT_EQ(v.status, kOk);
    EXPECT_EQ(v.bytes, std::vector<uint8_t>(10, 'q'));
}

TEST(Lzw, CodesWidenOneEntryEarly) {
    // After a clear every code but the first defines a string, so 254 literals bring the table to
    // 511 entries; the usual layout reads the 255th code with 10 bits.
    std::vector<std::pair<uint32_t, uint32_t>> codes = {{256, 9}};
    std::vector<uint8_t> expected;
    for (uint32_t i = 0; i < 254; ++i) {
        codes.push_back({i, 9});
        expected.push_back(static_cast<uint8_t>(i));
    }
    codes.push_back({'Z', 10});
    codes.push_back({257, 10});
    expected.push_back('Z');
    Unpacked u = Lzw(PackCodes(codes), static_cast<uint32_t>(expected.size()));
    ASSERT_EQ(u.status, kOk);
    EXPECT_EQ(u.bytes, expected);
}

TEST(Lzw, RoundTripsThroughEveryWidthAndTableReset) {
    std::vector<uint8_t> data;
    uint32_t state = 12345;
    for (int i = 0; i < 60000; ++i) {
        state = state * 1103515245u + 12345u;
        data.push_back(static_cast<uint8_t>(i % 97 < 50 ? (state >> 16) : i % 7));
    }
    for (bool oldLayout : {false, true}) {
        std::vector<uint8_t> packed = Of(testing::LzwEncode(data, oldLayout));
        ASSERT_EQ(packed[0] == 0, oldLayout);
        Unpacked u = Lzw(packed, static_cast<uint32_t>(data.size()));
        ASSERT_EQ(u.status, kOk) << oldLayout;
        EXPECT_EQ(u.bytes, data) << oldLayout;
    }
}

TEST(Lzw, AStreamCutAnywhereFailsCleanly) {
    std::vector<uint8_t> data(3000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * i % 251);
    std::vector<uint8_t> packed = Of(testing::LzwEncode(data));
    for (size_t cut = 0; cut + 2 < packed.size(); cut += 37) {
        std::vector<uint8_t> part(packed.begin(), packed.begin() + static_cast<long>(cut));
        EXPECT_EQ(Lzw(part, static_cast<uint32_t>(data.size())).status, kErrFormat) << cut;
    }
    // Flipped bits make undefined codes or a different picture, never a write out of bounds.
    for (size_t at = 1; at < packed.size(); at += 53) {
        std::vector<uint8_t> bad = packed;
        bad[at] ^= 0x5A;
        Lzw(bad, static_cast<uint32_t>(data.size()));
    }
}

}  // namespace
}  // namespace aldra
