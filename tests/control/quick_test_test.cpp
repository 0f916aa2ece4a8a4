#include "control/QuickTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace aldra {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// A PostScript buffer whose Illustrator creator line starts at `offset`.
std::vector<uint8_t> CreatorAt(size_t offset) {
    std::string text = "%!PS-Adobe";
    text.resize(offset, ' ');
    text += "%%Creator: Adobe Illustrator(R) 8.0\n";
    return Bytes(text);
}

TEST(QuickTest, RecognisesPostScriptAndDosEpsSignatures) {
    auto ps = Bytes("%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Photoshop\n");
    QuickTestResult result = QuickTestBytes(ps.data(), ps.size());
    EXPECT_EQ(result.formatRow, kEpsFormatRow);
    EXPECT_FALSE(result.isDosEpsBinary);
    EXPECT_FALSE(result.isIllustrator);

    const uint8_t dos[] = {0xC5, 0xD0, 0xD3, 0xC6, 0x1E, 0, 0, 0};
    result = QuickTestBytes(dos, sizeof dos);
    EXPECT_EQ(result.formatRow, kEpsFormatRow);
    EXPECT_TRUE(result.isDosEpsBinary);

    // The magic alone is enough, even in a four-byte buffer.
    result = QuickTestBytes(dos, 4);
    EXPECT_TRUE(result.isDosEpsBinary);
    EXPECT_EQ(result.formatRow, kEpsFormatRow);
}

TEST(QuickTest, RefusesLowerCaseShortAndEmptyBuffers) {
    auto lower = Bytes("%!ps-adobe-3.0\n");
    EXPECT_EQ(QuickTestBytes(lower.data(), lower.size()).formatRow, kNoFormat);
    auto shortPs = Bytes("%!PS-Adob");
    EXPECT_EQ(QuickTestBytes(shortPs.data(), shortPs.size()).formatRow, kNoFormat);
    const uint8_t threeMagic[] = {0xC5, 0xD0, 0xD3};
    QuickTestResult result = QuickTestBytes(threeMagic, sizeof threeMagic);
    EXPECT_EQ(result.formatRow, kNoFormat);
    EXPECT_FALSE(result.isDosEpsBinary);
    EXPECT_EQ(QuickTestBytes(nullptr, 0).formatRow, kNoFormat);
}

TEST(QuickTest, IllustratorCreatorSearchedFromOffset10To99) {
    for (size_t offset : {10u, 24u, 99u}) {
        auto buffer = CreatorAt(offset);
        QuickTestResult result = QuickTestBytes(buffer.data(), buffer.size());
        EXPECT_EQ(result.formatRow, kIllustratorFormatRow) << offset;
        EXPECT_TRUE(result.isIllustrator) << offset;
    }
    auto tooFar = CreatorAt(100);
    QuickTestResult result = QuickTestBytes(tooFar.data(), tooFar.size());
    EXPECT_EQ(result.formatRow, kEpsFormatRow);
    EXPECT_FALSE(result.isIllustrator);

    // A creator line cut by the end of the buffer is a mismatch, not a read past the end.
    auto cut = CreatorAt(60);
    result = QuickTestBytes(cut.data(), 60 + 26);
    EXPECT_FALSE(result.isIllustrator);
    result = QuickTestBytes(cut.data(), 60 + 27);
    EXPECT_TRUE(result.isIllustrator);
}

TEST(QuickTest, IllustratorSearchRunsBehindDosEpsHeaderAndFollowsHeaderLine) {
    auto typical = Bytes("%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Adobe Illustrator(TM) 7.0\n");
    EXPECT_TRUE(QuickTestBytes(typical.data(), typical.size()).isIllustrator);

    std::vector<uint8_t> dos = {0xC5, 0xD0, 0xD3, 0xC6};
    dos.resize(30, 0);
    auto line = Bytes("%%Creator: Adobe Illustrator 10\n");
    dos.insert(dos.end(), line.begin(), line.end());
    QuickTestResult result = QuickTestBytes(dos.data(), dos.size());
    EXPECT_TRUE(result.isDosEpsBinary);
    EXPECT_TRUE(result.isIllustrator);
    EXPECT_EQ(result.formatRow, kIllustratorFormatRow);

    // Not PostScript at all: no Illustrator answer even with the creator text in place.
    auto text = CreatorAt(20);
    text[0] = 'X';
    EXPECT_EQ(QuickTestBytes(text.data(), text.size()).formatRow, kNoFormat);
    EXPECT_FALSE(QuickTestBytes(text.data(), text.size()).isIllustrator);
}

}  // namespace
}  // namespace aldra
