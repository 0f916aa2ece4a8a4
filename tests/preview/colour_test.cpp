// Conversions through the colour tables, worked out by hand on tables with known nodes, and when
// the tables are loaded and freed.
#include <gtest/gtest.h>

#include <vector>

#include "preview/BuiltInColourTables.h"
#include "preview/ColourTables.h"
#include "preview/TextResources.h"

namespace aldra {
namespace {

using Bytes = std::vector<uint8_t>;

size_t Node(uint32_t i, uint32_t j, uint32_t k) {
    return ((i * 17 + j) * 17 + k) * 3;
}

// Tables with known nodes, so that interpolated results can be worked out by hand.
struct SyntheticTables {
    Bytes cmy = Bytes(kColourGridBytes, 0), lab = Bytes(kColourGridBytes, 0), curve = Bytes(256, 0);
    ResourceData data[3];
    ResourceModule module;
    SyntheticTables() {
        for (int v = 0; v < 256; ++v) curve[v] = static_cast<uint8_t>(255 - v);
        data[0] = {"TEXT", kCmyGridResource, cmy.data(), kColourGridBytes};
        data[1] = {"TEXT", kBlackCurveResource, curve.data(), 256};
        data[2] = {"TEXT", kLabGridResource, lab.data(), kColourGridBytes};
        module = {"synthetic", nullptr, 0, data, 3};
    }
};

// Each test takes and gives back its own reference, so that tables loaded from one module never
// leak into the next test.
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

TEST_F(ConvertColourTest, InterpolatesInTheTableOrderAndBlackScalesTheCmyColour) {
    SyntheticTables t;
    // The tables are copied when first needed, so every node is set before the first conversion.
    for (size_t n = 0; n < 3; ++n) {
        t.lab[Node(2, 1, 0) + n] = static_cast<uint8_t>(10 * (n + 1));
        t.cmy[Node(3, 4, 5) + n] = static_cast<uint8_t>(100 * (n + 1));
    }
    t.lab[Node(1, 2, 4)] = 255;
    t.lab[Node(5, 0, 0)] = 200;
    t.lab[Node(6, 0, 0)] = 100;
    t.lab[Node(16, 0, 0)] = 255;
    SetResourceModule(&t.module);
    const struct {
        const char* name;
        int mode;
        Bytes in, out;
    } cases[] = {
        // i, j, k are the first, second and third input; fraction 0 reads the node itself.
        {"at a node", kColourLab, {0x20, 0x10, 0x00}, {10, 20, 30}},
        // One corner at 255, halfway in every direction: k first gives 127, then j (127 * 8) >> 4
        // = 63, then i (63 * 8) >> 4 = 31, where the exact eighth would be 31.9.
        {"halfway", kColourLab, {0x18, 0x28, 0x38}, {31, 0, 0}},
        {"weights 16 - f and f", kColourLab, {0x5D, 0, 0}, {37 + 81, 0, 0}},  // 3/16 of 200, 13/16 of 100
        {"255 is node 15 and fraction 15", kColourLab, {255, 0, 0}, {(255 * 15) >> 4, 0, 0}},
        {"no black: curve 255", kColourCmyk, {0x30, 0x40, 0x50, 0}, {99, 199, 43}},  // 44 is 300 % 256
        {"black 155: curve 100", kColourCmyk, {0x30, 0x40, 0x50, 155}, {39, 78, 17}},
    };
    for (const auto& c : cases) {
        Bytes out(3, 0xEE);
        ASSERT_EQ(ConvertColour(c.mode, c.in.data(), out.data()), kOk) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
}

TEST_F(ConvertColourTest, FailuresLeaveTheOutputAndAreTriedAgain) {
    uint8_t out[3] = {1, 2, 3};
    const uint8_t in[4] = {10, 20, 30, 40};
    EXPECT_EQ(ConvertColour(7, in, out), kOk);  // unknown mode: nothing written
    SetResourceModule(nullptr);
    EXPECT_EQ(ConvertColour(kColourCmyk, in, out), kErrNoResource);
    // A module with the CMYK tables but no CIELAB grid.
    SyntheticTables t;
    t.module.dataCount = 2;
    SetResourceModule(&t.module);
    EXPECT_EQ(ConvertColour(kColourLab, in, out), kErrNoResource);
    EXPECT_EQ(out[0] + out[1] + out[2], 6);
    EXPECT_EQ(ConvertColour(kColourCmyk, in, out), kOk);
    t.module.dataCount = 3;
    EXPECT_EQ(ConvertColour(kColourLab, in, out), kOk);
}

TEST(ColourTableReferences, TablesLoadOnFirstNeedAndTheLastReleaseFreesThem) {
    ASSERT_EQ(ColourTableReferences(), 0u);
    SetResourceModule(OwnResourceModule());
    AcquireColourTables();
    AcquireColourTables();
    const uint8_t in[4] = {1, 2, 3, 4};
    uint8_t out[3];
    EXPECT_FALSE(ColourTablePresent(ColourTable::kLabGrid) || ColourTablePresent(ColourTable::kWeights));
    EXPECT_EQ(ConvertColour(kColourLab, in, out), kOk);
    EXPECT_TRUE(ColourTablePresent(ColourTable::kLabGrid) && ColourTablePresent(ColourTable::kWeights));
    EXPECT_FALSE(ColourTablePresent(ColourTable::kCmyGrid) || ColourTablePresent(ColourTable::kBlackCurve));
    EXPECT_EQ(ConvertColour(kColourCmyk, in, out), kOk);
    EXPECT_TRUE(ColourTablePresent(ColourTable::kCmyGrid) && ColourTablePresent(ColourTable::kBlackCurve));
    for (bool held : {true, false, false}) {  // the third release is one too many
        ReleaseColourTables();
        EXPECT_EQ(ColourTablePresent(ColourTable::kCmyGrid) || ColourTablePresent(ColourTable::kWeights),
                  held);
    }
    EXPECT_EQ(ColourTableReferences(), 0u);
}

}  // namespace
}  // namespace aldra
