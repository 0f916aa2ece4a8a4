// The drawing's text for the notes: one line per font size, largest first, pieces of one size
// joined by a space unless "Tk" says otherwise, and the whole cut to the limit.
#include <gtest/gtest.h>

#include "eps/EpsReader.h"
#include "illustrator/Drawing.h"
#include "illustrator/Illustrator.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

std::string Piece(const char* text, double size) {
    return TextRun(text, size, 10, 10);
}

struct Collected {
    Status status;
    std::string notes;
};

Collected Collect(const std::string& file, int32_t maxText) {
    TempDir folder;
    EpsReader eps;
    EXPECT_EQ(OpenEps(folder.Write("art.ai", file).c_str(), &eps), kOk);
    BufferPtr notes;
    EXPECT_EQ(NewBuffer(0, &notes), kOk);
    Collected c{CollectIllustratorText(&eps, notes.get(), maxText), {}};
    c.notes.assign(reinterpret_cast<const char*>(BufferData(notes.get())), GetBufferSize(notes.get()));
    CloseEps(&eps);
    return c;
}

TEST(DrawingText, GroupsPiecesBySizeFromTheLargest) {
    const std::string example =
        Piece("Title", 24) + Piece("Body one", 10) + Piece("Body two", 10) + Piece("Big", 36);
    struct Case {
        const char* name;
        std::string file;
        int32_t maxText;
        Status status;
        std::string notes;
    } cases[] = {
        {"sizes", ArtworkFile(example), 16000, kOk, "Big\n\rTitle\n\rBody one Body two\n\r"},
        {"cut to the limit", ArtworkFile(example), 10, kOk, "Big\n\rTitle"},
        {"Tk joins without a space", ArtworkFile(Piece("Hel", 10) + "Tk\n" + Piece("lo", 10)), 100, kOk,
         "Hello\n\r"},
        {"a new size keeps the Tk for the next join",
         ArtworkFile(Piece("A", 10) + "Tk\n" + Piece("B", 20) + Piece("C", 10) + Piece("D", 10)), 100, kOk,
         "B\n\rAC D\n\r"},
        {"the size is the font size through the matrix",
         ArtworkFile(Piece("a", 10) + "2 0 0 2 0 0 r\n/_Times-Roman 10 Tf\n(b) Tx\n"), 100, kOk,
         "b\n\ra\n\r"},
        {"embedded text joins the same groups",
         ArtworkFile(Piece("Outer", 12) +
                     EmbeddedDocument(ArtworkFile(Piece("Inner", 12) + Piece("Head", 30))) +
                     Piece("After", 12)),
         100, kOk, "Head\n\rOuter Inner After\n\r"},
        {"documents embedded in embedded documents",
         ArtworkFile(
             Piece("A", 12) +
             EmbeddedDocument(ArtworkFile(Piece("B", 12) + EmbeddedDocument(ArtworkFile(Piece("C", 12))) +
                                          "/_Helvetica 30 Tf\n(D) Tx\n")) +
             Piece("E", 12)),
         100, kOk, "D\n\rA B C E\n\r"},
        {"a long word ends the pass, the text so far is kept",
         ArtworkFile(Piece("Kept", 10) + "userdict\n" + Piece("Lost", 10)), 100, kErrFormat, "Kept\n\r"},
        {"no Illustrator file", "%!PS-Adobe-3.0\n%%Creator: Someone\n%%EndSetup\n(Text) Tx\n", 100,
         kErrFormat, ""},
        {"a negative limit keeps nothing", ArtworkFile(example), -5, kOk, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Collected got = Collect(c.file, c.maxText);
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.notes, c.notes);
    }
}

}  // namespace
}  // namespace aldra
