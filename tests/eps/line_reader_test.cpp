#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eps/EpsReader.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

// Reads every line of a file the way the parsers do.
std::vector<std::string> Lines(const std::string& path) {
    EpsReader eps;
    std::vector<std::string> lines;
    if (OpenEps(path.c_str(), &eps) != kOk) return {"<open failed>"};
    if (RewindToPostScript(&eps) == kOk) {
        PString line;
        while (ReadLine(&eps, line) == kOk) lines.push_back(PStrToString(line));
    }
    CloseEps(&eps);
    return lines;
}

std::string Joined(const std::vector<std::string>& parts, const std::string& end) {
    std::string s;
    for (const auto& p : parts) s += p + end;
    return s;
}

TEST(LineReader, AllLineEndsGiveTheSameLinesAcrossWindowSlides) {
    testing::TempDir tmp;
    // Enough lines of varied length that line ends fall on every position of the 255-byte pieces
    // and of the 32 KiB window, CR LF pairs straddling both.
    std::vector<std::string> expected = {"%!PS-Adobe-3.0 EPSF-3.0", "%%BoundingBox: 0 0 10 10"};
    for (int i = 0; i < 3000; ++i)
        expected.push_back(std::string(static_cast<size_t>(i % 253 + 1), 'a' + i % 26));
    for (const char* end : {"\n", "\r", "\r\n", "\n\r"}) {
        std::string path = tmp.Write("f.eps", Joined(expected, end));
        EXPECT_EQ(Lines(path), expected) << "line end " << static_cast<int>(end[0]) << "," << end[1];
    }
}

TEST(LineReader, LongLinesComeInPiecesAndDoubledEndsGiveEmptyLines) {
    testing::TempDir tmp;
    std::string longLine(600, 'x');
    EXPECT_EQ(Lines(tmp.Write("a.eps", longLine + "\nend")),
              (std::vector<std::string>{std::string(255, 'x'), std::string(255, 'x'), std::string(90, 'x'),
                                        "end"}));
    // (Files shorter than 28 bytes are refused before any line is read, hence the padding.)
    EXPECT_EQ(Lines(tmp.Write("b.eps", "one\r\rtwo\n\nthree and padding to 28")),
              (std::vector<std::string>{"one", "", "two", "", "three and padding to 28"}));
    // A physical line of exactly 255 characters: its CR LF comes after the piece and reads as the
    // empty rest of that line, one line, not two.
    EXPECT_EQ(Lines(tmp.Write("c.eps", std::string(255, 'y') + "\r\nz\r\n")),
              (std::vector<std::string>{std::string(255, 'y'), "", "z"}));
}

TEST(LineReader, EndOfFileIsReportedAndTheLineLeftAlone) {
    testing::TempDir tmp;
    EpsReader eps;
    ASSERT_EQ(OpenEps(tmp.Write("e.eps", "%!PS-Adobe-3.0 and some more text\r\n").c_str(), &eps), kOk);
    ASSERT_EQ(RewindToPostScript(&eps), kOk);
    PString line;
    ASSERT_EQ(ReadLine(&eps, line), kOk);
    EXPECT_TRUE(AtEndOfFile(&eps));
    EXPECT_EQ(ReadLine(&eps, line), kErrEof);
    EXPECT_EQ(PStrToString(line), "%!PS-Adobe-3.0 and some more text");
    CloseEps(&eps);
}

// A DOS EPS binary header: magic, PostScript offset and length, then a TIFF preview's place.
std::string DosEpsHeader(uint32_t psOffset, uint32_t psLength) {
    std::string h = "\xC5\xD0\xD3\xC6";
    for (uint32_t v : {psOffset, psLength, 0u, 0u, 0u, 0u}) {
        for (int i = 0; i < 4; ++i) h += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    h += "\xFF\xFF";
    return h;
}

TEST(LineReader, DosEpsHeadersAreSkippedOrRefused) {
    testing::TempDir tmp;
    std::string header = DosEpsHeader(40, 14);
    std::string body = header + std::string(40 - header.size(), '\n') + "%!PS-Adobe\n%%EOF\n";
    EXPECT_EQ(Lines(tmp.Write("dos.eps", body)), (std::vector<std::string>{"%!PS-Adobe", "%%EOF"}));

    EpsReader eps;
    ASSERT_EQ(OpenEps(tmp.Write("zero.eps", DosEpsHeader(0, 0) + "%!PS\n").c_str(), &eps), kOk);
    EXPECT_EQ(RewindToPostScript(&eps), kErrFormat);
    CloseEps(&eps);
    ASSERT_EQ(OpenEps(tmp.Write("short.eps", "%!PS\n").c_str(), &eps), kOk);
    EXPECT_EQ(RewindToPostScript(&eps), kErrMemory);  // shorter than any header
    CloseEps(&eps);
    // An offset past the end of the file reads as an empty file.
    EXPECT_EQ(Lines(tmp.Write("far.eps", DosEpsHeader(1u << 30, 10) + "%!PS\n")), std::vector<std::string>{});
}

TEST(LineReader, BufferedBytesReachNeitherPastTheWindowNorPastTheFile) {
    testing::TempDir tmp;
    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + i / 256);
    EpsReader eps;
    ASSERT_EQ(OpenEps(tmp.Write("f.eps", bytes).c_str(), &eps), kOk);
    // Spans taken in uneven bites walk the whole file in order, each inside the window.
    std::string walked;
    uint32_t bite = 1;
    for (;;) {
        const uint8_t* span = nullptr;
        uint32_t count = 0;
        Status status = EpsBufferedBytes(&eps, &span, &count);
        if (status != kOk) {
            EXPECT_EQ(status, kErrEof);
            EXPECT_EQ(count, 0u);
            break;
        }
        ASSERT_GE(count, 1u);
        ASSERT_LE(count, kStandardWindow);
        ASSERT_LE(EpsTell(&eps) + count, bytes.size());
        uint32_t take = count < bite ? count : bite;
        walked.append(reinterpret_cast<const char*>(span), take);
        EpsSkipBuffered(&eps, take);
        bite = bite * 3 % 40000 + 1;
    }
    EXPECT_EQ(walked, bytes);
    EXPECT_TRUE(AtEndOfFile(&eps));
    // Near the end a span stops at the file's last byte, whatever the window still holds.
    ASSERT_EQ(EpsSeek(&eps, bytes.size() - 5), kOk);
    const uint8_t* span = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(EpsBufferedBytes(&eps, &span, &count), kOk);
    EXPECT_EQ(count, 5u);
    EpsSkipBuffered(&eps, count);
    EXPECT_TRUE(AtEndOfFile(&eps));
    CloseEps(&eps);
}

}  // namespace
}  // namespace aldra
