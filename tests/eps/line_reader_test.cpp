// The EPS file as lines: every line end, pieces of long lines, the DOS EPS header in front.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eps/EpsReader.h"
#include "support/TempDir.h"
#include "support/TiffFixtures.h"

namespace aldra {
namespace {

using testing::DosEpsFile;

using LineList = std::vector<std::string>;

// Every line the parsers would read, then the result that ended the reading.
LineList Lines(const testing::TempDir& dir, const std::string& bytes) {
    EpsReader eps;
    if (OpenEps(dir.Write("f.eps", bytes).c_str(), &eps) != kOk) return {"<open failed>"};
    LineList lines;
    Status status = RewindToPostScript(&eps);
    PString line;
    while (status == kOk && (status = ReadLine(&eps, line)) == kOk) lines.push_back(PStrToString(line));
    lines.push_back(std::to_string(status) + (AtEndOfFile(&eps) ? " at the end" : ""));
    CloseEps(&eps);
    return lines;
}

TEST(LineReader, AllLineEndsGiveTheSameLinesAcrossWindowSlides) {
    testing::TempDir dir;
    // Line ends fall on every position of the 255-byte pieces and of the 32 KiB window, CR LF pairs
    // straddling both.
    LineList expected = {"%!PS-Adobe-3.0 EPSF-3.0"};
    for (int i = 0; i < 3000; ++i)
        expected.push_back(std::string(static_cast<size_t>(i % 253 + 1), 'a' + i % 26));
    for (const char* end : {"\n", "\r", "\r\n", "\n\r"}) {
        std::string text;
        for (const auto& line : expected) text += line + end;
        LineList lines = Lines(dir, text);
        EXPECT_EQ(lines.back(), "2016 at the end");
        lines.pop_back();
        EXPECT_EQ(lines, expected) << static_cast<int>(end[0]) << "," << static_cast<int>(end[1]);
    }
}

TEST(LineReader, PiecesEmptyLinesAndTheDosEpsHeader) {
    testing::TempDir dir;
    const std::string x(255, 'x'), y(255, 'y');
    const std::string ps = "%!PS-Adobe\n%%EOF\n";
    const std::pair<std::string, LineList> cases[] = {
        {std::string(600, 'x') + "\nend", {x, x, std::string(90, 'x'), "end", "2016 at the end"}},
        {"one\r\rtwo\n\nthree and padding to 28",
         {"one", "", "two", "", "three and padding to 28", "2016 at the end"}},
        // The CR LF behind a piece of exactly 255 characters reads as the empty rest of its line.
        {y + "\r\nz\r\n", {y, "", "z", "2016 at the end"}},
        {"%!PS-Adobe-3.0 and some more text\r\n", {"%!PS-Adobe-3.0 and some more text", "2016 at the end"}},
        {DosEpsFile(ps, ""), {"%!PS-Adobe", "%%EOF", "2016 at the end"}},
        {DosEpsFile(ps, "").replace(4, 4, std::string(4, '\0')), {"2020"}},
        {DosEpsFile(ps, "").replace(4, 4, std::string("\0\0\0\x40", 4)), {"2016 at the end"}},
        {"%!PS\n", {"1000"}},  // shorter than any header
    };
    for (const auto& [bytes, lines] : cases) EXPECT_EQ(Lines(dir, bytes), lines) << bytes.substr(0, 40);
}

}  // namespace
}  // namespace aldra
