#include <gtest/gtest.h>

#include <vector>

#include "preview/BuiltInColourTables.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"

namespace aldra {
namespace {

size_t Node(uint32_t i, uint32_t j, uint32_t k) {
    return ((i * 17 + j) * 17 + k) * 3;
}

std::vector<uint8_t> LoadOwn(uint32_t id) {
    SetResourceModule(OwnResourceModule());
    uint32_t size = 0;
    EXPECT_EQ(LoadTextResource(id, nullptr, 0, &size), kOk);
    std::vector<uint8_t> bytes(size);
    EXPECT_EQ(LoadTextResource(id, bytes.data(), size, nullptr), kOk);
    return bytes;
}

TEST(ColourTables, BuiltInTablesMeetTheMeasuredPatches) {
    std::vector<uint8_t> cmy = LoadOwn(kCmyGridResource);
    ASSERT_EQ(cmy.size(), 14739u);
    std::vector<uint8_t> lab = LoadOwn(kLabGridResource);
    ASSERT_EQ(lab.size(), 14739u);
    std::vector<uint8_t> curve = LoadOwn(kBlackCurveResource);
    ASSERT_EQ(curve.size(), 256u);
    EXPECT_EQ(curve[0], 255);
    for (size_t v = 1; v < curve.size(); ++v) EXPECT_LE(curve[v], curve[v - 1]) << v;

    // More ink never lightens a channel along each ink's axis, and greys stay grey.
    for (uint32_t n = 1; n < 17; ++n) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_LE(cmy[Node(n, 0, 0) + c], cmy[Node(n - 1, 0, 0) + c]);
            EXPECT_LE(cmy[Node(0, n, 0) + c], cmy[Node(0, n - 1, 0) + c]);
            EXPECT_LE(cmy[Node(0, 0, n) + c], cmy[Node(0, 0, n - 1) + c]);
            EXPECT_GE(lab[Node(n, 8, 8) + c], lab[Node(n - 1, 8, 8) + c]);
        }
        EXPECT_EQ(lab[Node(n, 8, 8)], lab[Node(n, 8, 8) + 1]);
        EXPECT_EQ(lab[Node(n, 8, 8)], lab[Node(n, 8, 8) + 2]);
    }
}

TEST(TextResources, LoadsFromTheRecordedModule) {
    SetResourceModule(nullptr);
    uint32_t size = 99;
    EXPECT_EQ(LoadTextResource(kCmyGridResource, nullptr, 0, &size), kErrNoResource);
    EXPECT_EQ(size, 99u);

    uint8_t first[4] = {1, 1, 1, 1};
    // Another module's own copy wins; without one it has no colour tables.
    const uint8_t mine[3] = {7, 8, 9};
    const ResourceData data[] = {{"TEXT", kBlackCurveResource, mine, 3}};
    const ResourceModule other = {"other", nullptr, 0, data, 1};
    SetResourceModule(&other);
    EXPECT_EQ(LoadTextResource(kBlackCurveResource, first, 4, &size), kOk);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(first[2], 9);
    EXPECT_EQ(LoadTextResource(kCmyGridResource, nullptr, 0, &size), kErrNoResource);

    SetResourceModule(OwnResourceModule());
}

// Synthetic tables with known node values, so that interpolation results can be worked out by hand.
struct SyntheticTables {
    std::vector<uint8_t> cmy = std::vector<uint8_t>(kColourGridBytes, 0);
    std::vector<uint8_t> lab = std::vector<uint8_t>(kColourGridBytes, 0);
    std::vector<uint8_t> curve = std::vector<uint8_t>(256, 0);
    ResourceData data[3];
    ResourceModule module;

    SyntheticTables() {
        for (int v = 0; v < 256; ++v) curve[v] = static_cast<uint8_t>(255 - v);
        Bind();
    }
    void Bind() {
        data[0] = {"TEXT", kCmyGridResource, cmy.data(), kColourGridBytes};
        data[1] = {"TEXT", kBlackCurveResource, curve.data(), 256};
        data[2] = {"TEXT", kLabGridResource, lab.data(), kColourGridBytes};
        module = {"synthetic", nullptr, 0, data, 3};
    }
};

// Each test takes and gives back its own reference, so tables loaded from one module never leak
// into the next test.
class ConvertColourTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(ColourTableReferences(), 0u);
        AcquireColourTables();
    }
    void TearDown() override {
        ReleaseColourTables();
        SetResourceModule(OwnResourceModule());
    }
};

TEST_F(ConvertColourTest, InterpolatesInTheTableOrder) {
    SyntheticTables t;
    SetResourceModule(&t.module);
    uint8_t out[3];

    // The tables are copied when first needed, so every node is set before the first conversion.
    t.lab[Node(2, 1, 0)] = 10;
    t.lab[Node(2, 1, 0) + 1] = 20;
    t.lab[Node(2, 1, 0) + 2] = 30;
    t.lab[Node(1, 2, 4)] = 255;
    t.lab[Node(5, 0, 0)] = 200;
    t.lab[Node(6, 0, 0)] = 100;
    t.lab[Node(16, 0, 0)] = 255;

    // Fraction 0 everywhere reads the node itself; i, j, k are the first, second and third input.
    const uint8_t atNode[3] = {0x20, 0x10, 0x00};
    ASSERT_EQ(ConvertColour(kColourLab, atNode, out), kOk);
    EXPECT_EQ(out[0], 10);
    EXPECT_EQ(out[1], 20);
    EXPECT_EQ(out[2], 30);

    // One corner of the cell at 255, halfway in every direction: k first gives 127, then j
    // (127 * 8) >> 4 = 63, then i (63 * 8) >> 4 = 31; the exact eighth would be 31.9.
    const uint8_t halfway[3] = {0x18, 0x28, 0x38};
    ASSERT_EQ(ConvertColour(kColourLab, halfway, out), kOk);
    EXPECT_EQ(out[0], 31);
    EXPECT_EQ(out[1], 0);

    // Weights (16 - f) and f: 3/16 of 200 plus 13/16 of 100 = 37 + 81.
    const uint8_t along[3] = {0x5D, 0, 0};
    ASSERT_EQ(ConvertColour(kColourLab, along, out), kOk);
    EXPECT_EQ(out[0], 37 + 81);

    // Input 255 uses node 15 and fraction 15 towards node 16.
    const uint8_t top[3] = {255, 0, 0};
    ASSERT_EQ(ConvertColour(kColourLab, top, out), kOk);
    EXPECT_EQ(out[0], (255 * 15) >> 4);
}

TEST_F(ConvertColourTest, BlackScalesTheCmyColour) {
    SyntheticTables t;
    SetResourceModule(&t.module);
    for (size_t n = 0; n < 3; ++n) t.cmy[Node(3, 4, 5) + n] = static_cast<uint8_t>(100 * (n + 1) % 256);
    uint8_t out[3];
    const uint8_t noBlack[4] = {0x30, 0x40, 0x50, 0};  // curve 255
    ASSERT_EQ(ConvertColour(kColourCmyk, noBlack, out), kOk);
    EXPECT_EQ(out[0], (100 * 255) >> 8);
    EXPECT_EQ(out[1], (200 * 255) >> 8);
    EXPECT_EQ(out[2], (44 * 255) >> 8);
    const uint8_t someBlack[4] = {0x30, 0x40, 0x50, 155};  // curve 100
    ASSERT_EQ(ConvertColour(kColourCmyk, someBlack, out), kOk);
    EXPECT_EQ(out[0], (100 * 100) >> 8);
    EXPECT_EQ(out[1], (200 * 100) >> 8);
}

TEST_F(ConvertColourTest, FailuresLeaveTheOutputAndRetry) {
    uint8_t out[3] = {1, 2, 3};
    const uint8_t in[4] = {10, 20, 30, 40};
    EXPECT_EQ(ConvertColour(7, in, out), kOk);  // unknown mode: nothing written
    EXPECT_EQ(out[0], 1);

    SetResourceModule(nullptr);
    EXPECT_EQ(ConvertColour(kColourCmyk, in, out), kErrNoResource);
    EXPECT_EQ(out[0], 1);
    EXPECT_FALSE(ColourTablePresent(ColourTable::kCmyGrid));

    // A module with the CMYK tables but no CIELAB grid.
    SyntheticTables t;
    t.module.dataCount = 2;
    SetResourceModule(&t.module);
    EXPECT_EQ(ConvertColour(kColourLab, in, out), kErrNoResource);
    EXPECT_EQ(out[2], 3);
    EXPECT_FALSE(ColourTablePresent(ColourTable::kLabGrid));
    EXPECT_EQ(ConvertColour(kColourCmyk, in, out), kOk);
    EXPECT_TRUE(ColourTablePresent(ColourTable::kCmyGrid));

    // The next conversion tries the missing table again.
    t.module.dataCount = 3;
    EXPECT_EQ(ConvertColour(kColourLab, in, out), kOk);
    EXPECT_TRUE(ColourTablePresent(ColourTable::kLabGrid));
}

TEST(ColourTableReferences, LastReleaseFreesLoadedTables) {
    ASSERT_EQ(ColourTableReferences(), 0u);
    SetResourceModule(OwnResourceModule());
    AcquireColourTables();
    AcquireColourTables();
    EXPECT_FALSE(ColourTablePresent(ColourTable::kCmyGrid));  // loaded on first need, not on acquisition

    uint8_t out[3];
    const uint8_t in[3] = {1, 2, 3};
    ASSERT_EQ(ConvertColour(kColourLab, in, out), kOk);
    EXPECT_TRUE(ColourTablePresent(ColourTable::kLabGrid));
    EXPECT_TRUE(ColourTablePresent(ColourTable::kWeights));
    EXPECT_FALSE(ColourTablePresent(ColourTable::kCmyGrid));
    EXPECT_FALSE(ColourTablePresent(ColourTable::kBlackCurve));

    ReleaseColourTables();
    EXPECT_TRUE(ColourTablePresent(ColourTable::kLabGrid));
    ReleaseColourTables();
    EXPECT_EQ(ColourTableReferences(), 0u);
    EXPECT_FALSE(ColourTablePresent(ColourTable::kLabGrid));
    EXPECT_FALSE(ColourTablePresent(ColourTable::kWeights));

    ReleaseColourTables();  // an unbalanced release does not wrap the count
    EXPECT_EQ(ColourTableReferences(), 0u);
}

}  // namespace
}  // namespace aldra
