// The bounds the renderer keeps on its own work, beyond what the hostile artwork rows meet: a path
// repainted after every segment costs the square of its length, a frame of huge numbers must not
// overflow the frame's arithmetic, and a page a billionth wide gives a scale no integer holds.

#include "illustrator/Drawing.h"

namespace aldra {
namespace {

using namespace testing;

// Zigzag segments that no collinear merge can shorten, the path stroked after each one.
std::string RepaintedPath(int n) {
    std::string out = "0 0 m\n";
    for (int i = 0; i < n; ++i) out += std::to_string(i % 100) + " " + std::to_string(i % 2) + " l\nS\n";
    return out;
}

TEST(RenderPass, WorkStaysBoundedWhateverTheNumbers) {
    const std::string huge(250, '9');
    const std::string fill = "0 0 m\n100 0 l\n100 100 l\nf\n";
    const std::string cases[] = {
        ArtworkFile(RepaintedPath(100000)),
        ArtworkFile(fill + "1 0 0 1 " + huge + " 0 0 0 " + huge + " " + huge +
                    " (a) `\n%%IncludeFile: /nonexistent)\n"),
        "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(TM) 3.2\n%%BoundingBox: 0 0 0.000000001 0.000000001\n"
        "%%EndSetup\n" +
            fill + "0 Tr\n/_Helvetica " + huge + " Tf\n2 " + huge + " 0 0 1 1 a\n" + huge +
            " w\n(text) Tx\n0 0 m\n1 1 l\nS\n",
    };
    for (const std::string& file : cases) {
        Drawing d(file, 64, 64);
        EXPECT_EQ(d.status, kOk);
    }
}

}  // namespace
}  // namespace aldra
