// Artwork no drawing program writes: each row must end cleanly with its status and in bounded time,
// whatever the numbers, nesting, operand counts and line lengths.
#include <chrono>

#include "illustrator/Drawing.h"

namespace aldra {
namespace {

using namespace testing;

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Zigzag segments that no collinear merge can shorten, each painted as it is added.
std::string PaintedSegments(int n) {
    std::string out = "0 0 m\n";
    for (int i = 0; i < n; ++i) out += std::to_string(i % 100) + " " + std::to_string(i % 2) + " l\nS\n";
    return out;
}

TEST(RenderPass, HostileArtworkEndsCleanly) {
    const std::string huge(250, '9');
    const std::string fill = "0 0 m\n100 0 l\n100 100 l\nf\n";
    const std::string head = "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(TM) 3.2\n";
    struct Case {
        const char* name;
        std::string file;
        Status status;
    } cases[] = {
        {"a long word where an operator belongs", ArtworkFile(fill + "userdict\n"), kErrFormat},
        {"twenty operands", ArtworkFile(Repeat("1 ", 20) + "m\n"), kErrFormat},
        {"an array left open", ArtworkFile(fill + "[1 2 3\n"), kErrFormat},
        {"an array holding a name", ArtworkFile(fill + "[1 /a]\n"), kErrFormat},
        {"a 1 MB line", ArtworkFile(fill + std::string(1 << 20, '7') + "\n"), kErrFormat},
        {"a 1 MB comment", ArtworkFile(fill + "%" + std::string(1 << 20, 'x') + "\n"), kErrFormat},
        {"coordinates of 250 digits",
         ArtworkFile(huge + " 0 m\n-" + huge + " " + huge + " l\n0 -" + huge + " " + huge + " 1 " + huge +
                     " 0 c\nb\n"),
         kOk},
        {"a box without area", ArtworkFile(fill, {5, 5, 5, 5}), kOk},
        {"an inverted box", ArtworkFile(fill, {100, 100, 0, 0}), kOk},
        {"a box a billionth wide",
         head + "%%BoundingBox: 0 0 0.000000001 0.000000001\n%%EndSetup\n" + fill + "2 " + huge +
             " Tf\n0 Tr\n" + huge + " w\n(text) Tx\n0 0 m\n1 1 l\nS\n",
         kOk},
        {"ten thousand nested documents", head + "%%EndSetup\n" + Repeat("%%BeginDocument: x\n", 10000), kOk},
        {"ten thousand nested documents closed",
         head + "%%EndSetup\n" + Repeat("%%BeginDocument: x\n%%EndSetup\n", 5000) + fill +
             Repeat("%%EndDocument\n", 5000),
         kOk},
        {"a path painted after each of 100,000 segments", ArtworkFile(PaintedSegments(100000)), kOk},
        {"a placed frame of huge numbers",
         ArtworkFile(fill + "1 0 0 1 " + huge + " 0 0 0 " + huge + " " + huge +
                     " (a) `\n%%IncludeFile: /nonexistent)\n"),
         kOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto start = std::chrono::steady_clock::now();
        Drawing d(c.file, 64, 64);
        EXPECT_EQ(d.status, c.status);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

}  // namespace
}  // namespace aldra
