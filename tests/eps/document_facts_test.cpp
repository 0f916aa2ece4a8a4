// The facts beyond the catalogue record: DSC texts with the trailer's values for what the header
// defers, the XMP packet in the PostScript text, the IPTC record's texts and their character sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eps/DscFacts.h"
#include "eps/IptcText.h"
#include "eps/Utf8Text.h"
#include "eps/XmpPacket.h"
#include "fixtures/Eps.h"
#include "fixtures/Tiff.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using namespace testing;

std::string Joined(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& e : entries) out += (out.empty() ? "" : "|") + e;
    return out;
}

std::string Field(const DscFacts& f, const std::string& name) {
    if (name == "title") return f.title;
    if (name == "date") return f.creationDate;
    if (name == "for") return f.forWhom;
    if (name == "creator") return f.creator;
    if (name == "pages") return f.pages;
    if (name == "level") return f.languageLevel;
    if (name == "box") return f.boundingBox;
    if (name == "fonts") return Joined(f.fonts);
    if (name == "colours") return Joined(f.colours);
    return Joined(f.files);
}

// The fields named by "a,b" as "valueA,valueB".
std::string Fields(const DscFacts& f, const std::string& names) {
    const size_t comma = names.find(',');
    if (comma == std::string::npos) return Field(f, names);
    return Field(f, names.substr(0, comma)) + "," + Fields(f, names.substr(comma + 1));
}

struct DscCase {
    std::string text;
    const char* field;
    const char* expected;
};

TEST(DscFacts, TakesHeaderTextsAndResolvesDeferredValuesFromTheLastTrailer) {
    const std::string deferring =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%Pages: (atend)\n"
        "%%DocumentFonts: (atend)\n%%DocumentCustomColors: (atend)\n"
        "%%DocumentFiles: (atend)\n%%EndComments\nshowpage\n";
    const std::string trailer =
        "%%Trailer\n%%BoundingBox: 0 0 460 352\n%%Pages: 3\n"
        "%%DocumentFonts: Times-Roman Helvetica\n%%+ Courier\n"
        "%%DocumentCustomColors: (PANTONE 185 CV) Spot\n"
        "%%DocumentFiles: (Disk:pic one.tif)\n%%EOF\n";
    const std::vector<DscCase> cases = {
        {EpsText("%%Title: (Poster \\(draft\\))\n%%CreationDate: 7/18/05 2:33 PM\n%%For: Ann\n"
                 "%%Pages: 1\n%%LanguageLevel: 2\n%%BoundingBox: 0 0 8 8"),
         "title", "Poster (draft)"},
        {EpsText("%%CreationDate: 7/18/05 2:33 PM\n%%Title: later wins not"), "date", "7/18/05 2:33 PM"},
        {EpsText("%%For: Ann\n%%For: an embedded document's"), "for", "Ann"},
        {EpsText("%%LanguageLevel: 2\n%%Pages: 1"), "level,pages", "2,1"},
        // Windows-1252 text becomes UTF-8; text that is UTF-8 already stays as it is.
        {EpsText("%%Title: Caf\xe9"), "title", "Caf\xc3\xa9"},
        {EpsText("%%Creator: Caf\xc3\xa9 Draw"), "creator", "Caf\xc3\xa9 Draw"},
        {EpsText("%%BoundingBox: 0 0 8 8\n%%EndComments\n%%Title: not the header's"), "box,title",
         "0 0 8 8,"},
        {deferring + trailer, "box", "0 0 460 352"},
        {deferring + trailer, "pages", "3"},
        {deferring + trailer, "fonts", "Times-Roman|Helvetica|Courier"},
        {deferring + trailer, "colours", "PANTONE 185 CV|Spot"},
        {deferring + trailer, "files", "Disk:pic one.tif"},
        // An embedded document's trailer comes before the document's own, which counts.
        {deferring + "%%Trailer\n%%BoundingBox: 1 1 2 2\n" + trailer, "box", "0 0 460 352"},
        {deferring + "%%BoundingBox: 5 5 6 6\n", "box", ""},
        // Values the header gives itself are never replaced by a trailer's.
        {"%!PS-Adobe-3.0\n%%BoundingBox: 0 0 8 8\n%%DocumentFonts: Symbol\n" + trailer, "box,fonts",
         "0 0 8 8,"},
        {"%!PS-Adobe-3.0\n%%DocumentFonts: Symbol\n" + trailer, "fonts", ""},
        // The trailer is looked for only near the end.
        {deferring + std::string(kTrailerSearchBytes, '\n') + trailer, "pages", "3"},
        {deferring + trailer + std::string(kTrailerSearchBytes, '\n'), "pages", ""},
    };
    TempDir dir;
    for (const DscCase& c : cases) {
        const std::string path = dir.Write("case.eps", c.text);
        EpsReader eps;
        ASSERT_EQ(OpenEps(path.c_str(), &eps), kOk);
        DscFacts facts;
        EXPECT_EQ(ReadDscFacts(&eps, &facts), kOk);
        CloseEps(&eps);
        EXPECT_EQ(Fields(facts, c.field), c.expected) << c.field << " of\n" << c.text.substr(0, 300);
    }
}

TEST(XmpPacket, FindsThePacketWhereverItLiesWithinTheSearch) {
    const std::string packet = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><dc:title/></x:xmpmeta>";
    const std::string old = "<x:xapmeta>a </x:xmpmeta> b</x:xapmeta>";
    // Longer than one read, its end tag across the boundary of the first two.
    const std::string longer = "<x:xmpmeta>" + std::string(64 * 1024 - 16, ' ') + "</x:xmpmeta>";
    // Samples that happen to spell an opening, in a block whose length is declared.
    std::string samples = "<x:xmpmeta>inside</x:xmpmeta>";
    const std::string inside = samples;
    samples.resize(40, ' ');
    struct Row {
        std::string text;
        std::string found;  // empty: none
    };
    // A line `head` placed so that `tail` begins at the end of the reader's first window.
    auto atWindowEnd = [](const std::string& head, const std::string& tail) {
        const std::string start = EpsText("");
        return start + std::string(32767 - start.size() - head.size(), ' ') + "\n" + head + tail;
    };
    // A block whose declared line ends in CR as the window ends, its LF after it: the block's last
    // byte and what follows spell an opening only when the data is taken to begin at the LF.
    const std::string trap = "<x:xmpmeta>trap</x:xmpmeta>";
    const std::string crBlock =
        atWindowEnd("%%BeginBinary: 41\r", "\n" + std::string(40, ' ') + trap.substr(0, 1)) + trap.substr(1);
    const std::vector<Row> rows = {
        // A declared block is stepped over, unless its length counts lines; the search ends at a
        // block that runs past the end, and at the end of a DOS EPS file's PostScript section.
        {EpsText("") + "%%BeginBinary: 40\r\n" + samples + packet, packet},
        {EpsText("") + "%%BeginData: 40 Binary Bytes\n" + samples + packet, packet},
        {EpsText("") + "%%BeginData: 1 Hex Lines\n" + samples + packet, inside},
        {EpsText("") + "%%BeginBinary: 4000\n" + samples + packet, ""},
        // A marker inside a line is text, not a block.
        {EpsText("") + "(%%BeginBinary: 4000)\n" + packet, packet},
        {DosEpsFile(EpsText(""), "II*\0" + packet), ""},
        {EpsText("%%Title: x") + packet, packet},
        // Across the boundary of two search chunks.
        {EpsText("") + std::string(64 * 1024 - 40, ' ') + packet, packet},
        {EpsText("") + old + packet, old},
        {EpsText("") + longer + packet, longer},
        {EpsText("") + packet.substr(0, packet.size() - 3), ""},
        // Across the end of the reader's first window, which is not the end of a search chunk.
        {crBlock + packet, packet},
        {atWindowEnd("%%BeginBinary:", " 40\n" + samples + packet), packet},
        {atWindowEnd("<x:xmp", "meta>") + packet, "<x:xmpmeta>" + packet},
        {EpsText("%%Title: no packet"), ""},
    };
    TempDir dir;
    for (const Row& row : rows) {
        EpsReader eps;
        ASSERT_EQ(OpenEps(dir.Write("p.eps", row.text).c_str(), &eps), kOk);
        std::string found;
        EXPECT_EQ(ReadXmpPacket(&eps, &found), row.found.empty() ? kErrFormat : kOk);
        CloseEps(&eps);
        EXPECT_EQ(found, row.found);
    }
    // A search that may read only a little beyond the reader's first window finds a packet in the
    // short tail behind a large samples block, and stops before reading more than it may.
    const std::string large = "%%BeginBinary: 100000\n" + std::string(99960, ' ') + samples;
    const struct {
        std::string text;
        Status status;
        std::string found;
    } bounded[] = {
        {EpsText("") + large + "\n" + packet, kOk, packet},
        {EpsText("") + large + "\n" + std::string(5000, ' ') + packet, kErrMemory, ""},
        {EpsText("") + std::string(40000, ' ') + packet, kErrMemory, ""},
        {EpsText("") + longer + packet, kErrMemory, ""},
    };
    for (const auto& row : bounded) {
        EpsReader eps;
        ASSERT_EQ(OpenEps(dir.Write("p.eps", row.text).c_str(), &eps), kOk);
        std::string found;
        EXPECT_EQ(ReadXmpPacket(&eps, &found, 4096), row.status);
        CloseEps(&eps);
        EXPECT_EQ(found, row.found);
    }
}

TEST(IptcText, DecodesByTheDeclaredCharacterSetAndCreatorsByTheirBytes) {
    const std::string utf8 = IptcDataSetBytes(1, 90, "\x1b%G");
    const std::string texts = IptcDataSetBytes(2, 5, "Caf\xc3\xa9") +
                              IptcDataSetBytes(2, 120, "\xc3\xa9t\xc3\xa9") + IptcDataSetBytes(2, 25, "one") +
                              IptcDataSetBytes(2, 25, "\xc3\xa9");
    const std::string declared = utf8 + texts;
    IptcText text = ReadIptcText(reinterpret_cast<const uint8_t*>(declared.data()), declared.size());
    EXPECT_EQ(text.objectName, "Caf\xc3\xa9");
    EXPECT_EQ(text.caption, "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(Joined(text.keywords), "one|\xc3\xa9");

    // Undeclared, the texts are Windows-1252, but a creator in valid UTF-8 is taken as such.
    const std::string undeclared = IptcDataSetBytes(2, 120, "\xe9t\xe9 \x80") +
                                   IptcDataSetBytes(2, 80, "Ren\xc3\xa9") +
                                   IptcDataSetBytes(2, 80, "Ren\xe9");
    text = ReadIptcText(reinterpret_cast<const uint8_t*>(undeclared.data()), undeclared.size());
    EXPECT_EQ(text.caption, "\xc3\xa9t\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(Joined(text.creators), "Ren\xc3\xa9|Ren\xc3\xa9");
}

TEST(Utf8Text, RefusesWhatIsNotUtf8) {
    const std::vector<std::pair<std::string, bool>> rows = {
        {"plain", true},     {"\xc3\xa9", true},      {"\xf0\x9f\x98\x80", true},  {"\xc3", false},
        {"\xc0\xaf", false}, {"\xed\xa0\x80", false}, {"\xf4\x90\x80\x80", false}, {"\xe9t\xe9", false},
    };
    for (const auto& [bytes, valid] : rows) EXPECT_EQ(IsValidUtf8(bytes), valid) << bytes;
}

}  // namespace
}  // namespace aldra
