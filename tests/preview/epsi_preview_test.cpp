// EPSI previews read from files the tests write: every depth, where writers put the section, line
// layouts, and the claims and damage a hostile file brings. The rows are compared as the decoder
// hands them over.
#include <gtest/gtest.h>

#include <string>

#include "CaptureSink.h"
#include "fixtures/Epsi.h"
#include "fixtures/Tiff.h"
#include "preview/EpsiPreview.h"

namespace aldra {
namespace {

using testing::CaptureSink;
using testing::EpsiFile;
using testing::EpsiPlace;
using testing::EpsiPreviewSection;
using testing::MakePicture;
using testing::TiffPicture;

Status Decode(const std::string& file, CaptureSink* sink = nullptr) {
    CaptureSink ignored;
    return testing::EpsFile(file).Run(DecodeEpsiPreview, sink ? sink : &ignored);
}

// Every sample value of the depth turns up along a row.
uint32_t Varied(uint32_t x, uint32_t y, uint32_t) {
    return x * 3 + y * 5 + (x * y) % 3;
}

TEST(EpsiPreview, EveryDepthAndLayoutGivesItsSamplesAsInkInBandsOfAtMost64KiB) {
    const struct {
        uint32_t width, height, depth;
        size_t perLine;
        const char* eol;
        EpsiPlace place;
        uint32_t bandDepth;
        uint32_t scale;  // band sample = file sample x scale
        bool dosEps = false;
    } cases[] = {
        {13, 7, 1, 40, "\n", EpsiPlace::kAfterComments, 1, 1},  // two bytes a row, three bits of pad
        {13, 7, 1, 1, "\r\n", EpsiPlace::kInsideProlog, 1, 1},  // a byte a line
        {13, 7, 2, 3, "\r", EpsiPlace::kAfterComments, 8, 85},  // two-bit samples widened to bytes
        {9, 5, 4, 40, "\n", EpsiPlace::kInsideProlog, 4, 1},
        {100, 30, 8, 128, "\r\n", EpsiPlace::kAfterComments, 8, 1},   // lines longer than the line reader's
        {100, 30, 8, 7, "\n", EpsiPlace::kInsideProlog, 8, 1},        // rows straddle lines
        {16, 4, 8, 40, "\n", EpsiPlace::kAfterComments, 8, 1, true},  // behind a DOS EPS header
        {1000, 150, 8, 40, "\n", EpsiPlace::kAfterComments, 8, 1},    // three bands
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.width << "x" << c.height << "x" << c.depth << " " << c.perLine);
        const TiffPicture picture = MakePicture(c.width, c.height, c.depth, 1, Varied);
        const std::string file = EpsiFile(EpsiPreviewSection(picture, c.perLine, c.eol), c.place, c.eol);
        CaptureSink cap;
        ASSERT_EQ(Decode(c.dosEps ? testing::DosEpsFile(file, "") : file, &cap), kOk);
        EXPECT_EQ(cap.last.format, RowFormat::kInk);
        EXPECT_EQ(cap.last.bitsPerPixel, c.bandDepth);
        EXPECT_TRUE(cap.inOrder);
        EXPECT_LE(cap.last.capacity, 65536u);
        ASSERT_EQ(cap.Rows(), c.height);
        for (uint32_t y = 0; y < c.height; ++y)
            for (uint32_t x = 0; x < c.width; ++x)
                ASSERT_EQ(cap.Sample(x, y), picture.Sample(x, y, 0) * c.scale) << x << "," << y;
    }
}

TEST(EpsiPreview, StrayCharactersInTheLinesAreLayoutAndTheDataEndAtTheFirstOtherLine) {
    const std::string head = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 4 2\n%%BeginPreview: 4 2 8 2\n";
    CaptureSink cap;
    ASSERT_EQ(Decode(head + "% 01 %02 zz 03-04\n%\t0506\n% 0708\n%%EndPreview\n", &cap), kOk);
    EXPECT_EQ(cap.Sample(3, 0), 4u);
    EXPECT_EQ(cap.Sample(3, 1), 8u);
    // A structure comment or a line of code ends the data before the rows are in.
    for (const char* end : {"%%EndPreview\n% 0708\n", "0708\n", "%%+ 0708\n"}) {
        CaptureSink none;
        EXPECT_EQ(Decode(head + "% 01020304 0506\n" + end + "gsave\n", &none), kErrFormat) << end;
        EXPECT_EQ(none.calls, 0) << end;
    }
}

TEST(EpsiPreview, ClaimsTheFileCannotHoldAndUnreadableParametersAreRefusedBeforeAnyRow) {
    const TiffPicture picture = MakePicture(16, 4, 8, 1, Varied);
    const std::string data = "% 00112233445566778899aabbccddeeff\n%%EndPreview\n";
    auto withComment = [&](const std::string& numbers) {
        return "%!PS-Adobe-3.0 EPSF-3.0\n%%BeginPreview: " + numbers + "\n" + data + "gsave\n";
    };
    std::string codeLines;
    for (int i = 0; i < 21; ++i) codeLines += "gsave grestore\n";
    const std::string refused[] = {
        EpsiFile(EpsiPreviewSection(picture, 40, "\n", 1000000000)),  // 10^9 rows
        withComment("16 1 3 1"),                                      // no three-bit samples
        withComment("16 1 16 1"),                                     // nor sixteen
        withComment("0 1 8 1"),
        withComment("16 -1 8 1"),
        withComment("2147483647 1 8 1"),  // a row past the cap
        withComment(""),
        "%!PS-Adobe-3.0 EPSF-3.0\n" + codeLines + EpsiPreviewSection(picture),  // behind 21 lines of code
    };
    for (const std::string& file : refused) {
        CaptureSink cap;
        EXPECT_EQ(Decode(file, &cap), kErrFormat) << file.substr(0, 80);
        EXPECT_EQ(cap.calls, 0);
    }
    // Rows claimed beyond the data present, though the file could hold them: the bands that are
    // complete are handed over, then the decoder gives up.
    const TiffPicture tall = MakePicture(1000, 150, 8, 1, Varied);
    std::string section = EpsiPreviewSection(tall, 40, "\n", 200);
    CaptureSink cap;
    EXPECT_EQ(Decode(EpsiFile(section) + std::string(400000, ' '), &cap), kErrFormat);
    EXPECT_EQ(cap.Rows(), 130u);
}

}  // namespace
}  // namespace aldra
