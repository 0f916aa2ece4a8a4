// The reader under the two passes: which files are Illustrator drawings, how a line becomes operands
// and operators, and the flattening of curves into the point list.
#include <gtest/gtest.h>

#include "eps/EpsReader.h"
#include "illustrator/ArtOperands.h"
#include "illustrator/ArtPaths.h"
#include "illustrator/ArtTokens.h"
#include "illustrator/Illustrator.h"
#include "illustrator/PointList.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::TempDir;

TEST(IllustratorFile, IsKnownByItsFirstCreatorComment) {
    struct Case {
        const char* head;
        bool illustrator;
    } cases[] = {
        {"%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(TM) 3.2\n", true},
        {"%!PS-Adobe-2.0\n%%Creator:\tAdobe Illustrator(R) 8.0\n", true},
        {"%!PS-Adobe-3.0\n%%Creator: adobe illustrator\n", false},
        {"%!PS-Adobe-3.0\n0 0 moveto\n%%Creator: Adobe Illustrator(TM) 3.2\n", false},
        {"%!PS-Adobe-3.0\n%%Creator: Adobe Photoshop\n%%Creator: Adobe Illustrator\n", false},
    };
    TempDir folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        EpsReader eps;
        ASSERT_EQ(OpenEps(folder.Write("a.eps", std::string(c.head) + std::string(40, '\n')).c_str(), &eps),
                  kOk);
        EXPECT_EQ(IsIllustratorFile(&eps), c.illustrator);
        CloseEps(&eps);
    }
}

class Tokens : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitArtState(&state, nullptr, nullptr, nullptr, nullptr, 0, nullptr), kOk);
        state.setupEnded = true;
    }
    void TearDown() override { DisposeArtState(&state); }

    // Tokens until the line is used up or one fails; the operator codes met, one character each
    // for one-character operators.
    Status Read(const std::string& text, std::string* operators) {
        ArtLine line;
        PStrFromC(text.c_str(), line.text, sizeof line.text);
        while (!ArtLineUsedUp(line)) {
            uint16_t code = 0;
            if (Status s = NextArtToken(nullptr, &line, &state, &code); s != kOk) return s;
            if (code > 0xFF) *operators += static_cast<char>(code >> 8);
            if (code != 0) *operators += static_cast<char>(code & 0xFF);
        }
        return kOk;
    }

    ArtState state{};
};

TEST_F(Tokens, OperandsAndOperatorsOfALine) {
    struct Case {
        const char* line;
        Status status;
        const char* operators;
        int operands;
        double topNumber;  // of the top operand when it is a number
    } cases[] = {
        {"0 0 0 1 k", kOk, "k", 4, 1},
        {"[1 0 0 1 10 20]", kOk, "", 6, 20},
        {"+5 -.5", kOk, "", 2, -0.5},
        {"/_Helvetica 12", kOk, "", 2, 12},
        {"(a\\)b c) Tx", kOk, "Tx", 1, 0},
        {"1 2 3", kOk, "3", 2, 2},  // a lone last character is an operator, digits too
        {"0 0 m 5 5 l", kOk, "ml", 4, 5},
        {"userdict", kErrFormat, "", 0, 0},
        {"[1 2", kErrFormat, "", kOperandCapacity, 0},
        {"1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 x", kErrFormat, "", kOperandCapacity, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ClearOperands(&state);
        std::string operators;
        EXPECT_EQ(Read(c.line, &operators), c.status);
        EXPECT_EQ(operators, c.operators);
        EXPECT_EQ(state.top, c.operands);
        if (state.top > 0 && state.operands[state.top - 1].type == kOperandNumber) {
            EXPECT_DOUBLE_EQ(state.operands[state.top - 1].number, c.topNumber);
        }
    }
}

TEST(Curves, ControlPointsOnTheChordFlattenToOneSegment) {
    TargetRaster target{};
    ASSERT_EQ(CreateTargetRaster(8, 100, 100, &target), kOk);
    Rect all{0, 0, 100, 100};
    ArtState state;
    ASSERT_EQ(InitArtState(&state, &target, &all, nullptr, nullptr, 0, nullptr), kOk);
    SetPageBox(&state, PageBox{0, 0, 100, 100});
    struct Case {
        double p1[2], p2[2], p3[2];
        uint32_t points;
    } cases[] = {
        {{30, 30}, {60, 60}, {90, 90}, 2},
        {{0, 0}, {90, 0}, {90, 0}, 2},  // v and y curves repeat an end point
        {{0, 90}, {90, 90}, {90, 0}, 17},
    };
    for (const Case& c : cases) {
        ClearPoints(state.points.get());
        state.currentX = state.currentY = 0;
        ASSERT_EQ(AddPoint(state.points.get(), 0, 100), kOk);
        ASSERT_EQ(AddCurve(&state, c.p1, c.p2, c.p3), kOk);
        EXPECT_EQ(PointCount(state.points.get()), c.points);
        EXPECT_EQ(state.currentX, c.p3[0]);
    }
    DisposeArtState(&state);
    DestroyTargetRaster(&target);
}

}  // namespace
}  // namespace aldra
