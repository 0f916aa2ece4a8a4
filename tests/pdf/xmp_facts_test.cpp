#include <gtest/gtest.h>

#include "eps/XmpFacts.h"
#include "fixtures/Pdf.h"

namespace aldra::testing {
namespace {

using Names = std::vector<std::string>;

TEST(XmpFacts, IllustratorsPacketInEitherForm) {
    IllustratorXmpContent content;
    content.creatorTool = "Adobe Illustrator CS6 & more";
    content.fonts = {"MyriadPro-Regular", "Minion<Pro>"};
    content.swatches = {"White", "PANTONE 185 C", "Black"};
    content.plates = {"Cyan", "Black", "PANTONE 185 C"};
    for (bool attributes : {false, true}) {
        content.attributes = attributes;
        XmpFacts facts = ReadXmpFacts(IllustratorXmp(content));
        EXPECT_EQ(facts.creatorTool, content.creatorTool) << attributes;
        EXPECT_EQ(facts.fonts, content.fonts);
        EXPECT_EQ(facts.plates, content.plates);
        EXPECT_EQ(XmpColours(facts), (Names{"White", "PANTONE 185 C", "Black", "Cyan"}));
    }
}

TEST(XmpFacts, ReferencesBlanksAndDamage) {
    struct Row {
        const char* name;
        std::string packet;
        std::string creator;
        Names fonts;
    };
    const Row rows[] = {
        {"numeric references",
         "<xmp:CreatorTool>&#x41;dobe &#73;llustrator&#xE9;</xmp:CreatorTool>",
         "Adobe Illustrator\xC3\xA9",
         {}},
        {"blanks around the value",
         "<xmp:CreatorTool>\n   Adobe Illustrator 9\n</xmp:CreatorTool>",
         "Adobe Illustrator 9",
         {}},
        {"a reference to nothing stays as text",
         "<xmp:CreatorTool>a &bogus; &#0; b</xmp:CreatorTool>",
         "a &bogus;  b",
         {}},
        {"blanks between the name and its value", "<rdf:Description xmp:CreatorTool\t\r='A'/>", "A", {}},
        {"a longer name is another property", "<xmp:CreatorToolkit>x</xmp:CreatorToolkit>", "", {}},
        {"a value that never ends", "<xmp:CreatorTool>Adobe", "", {}},
        {"an attribute that never ends", "<rdf:Description xmp:CreatorTool=\"Adobe", "", {}},
        {"fonts outside the list are not the document's", "<stFnt:fontName>Stray</stFnt:fontName>", "", {}},
        {"a font list that never ends", "<xmpTPg:Fonts><rdf:Bag><stFnt:fontName>A</stFnt:fontName>", "", {}},
        {"attribute fonts",
         "<xmpTPg:Fonts><rdf:Bag><rdf:li stFnt:fontName='A B'/></rdf:Bag></xmpTPg:Fonts>",
         "",
         {"A B"}},
        {"empty packet", "", "", {}},
    };
    for (const Row& row : rows) {
        XmpFacts facts = ReadXmpFacts(row.packet);
        EXPECT_EQ(facts.creatorTool, row.creator) << row.name;
        EXPECT_EQ(facts.fonts, row.fonts) << row.name;
    }
}

TEST(XmpFacts, LongValuesAndListsAreBounded) {
    std::string packet =
        "<xmp:CreatorTool>" + std::string(100000, 'x') + "</xmp:CreatorTool><xmpTPg:PlateNames>";
    for (int i = 0; i < 5000; ++i) packet += "<rdf:li>p</rdf:li>";
    packet += "</xmpTPg:PlateNames>";
    XmpFacts facts = ReadXmpFacts(packet);
    EXPECT_EQ(facts.creatorTool.size(), kMostXmpValueBytes);
    EXPECT_EQ(facts.plates.size(), kMostXmpListEntries);
}

TEST(XmpFacts, DocumentDescription) {
    const std::string packet =
        "<x:xmpmeta><rdf:RDF><rdf:Description xmp:Rating=\"4\" xmp:CreateDate=\"2011-09-29T14:15:31\">\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">Caf&#xE9; &amp; bar</rdf:li>"
        "<rdf:li xml:lang=\"de\">Kneipe</rdf:li></rdf:Alt></dc:title>\n"
        "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">A witty caption &#; "
        "&#1234567;</rdf:li></rdf:Alt>"
        "</dc:description>\n<dc:creator><rdf:Seq><rdf:li>Phil</rdf:li><rdf:li>Ann</rdf:li></rdf:Seq></"
        "dc:creator>\n"
        "<dc:subject><rdf:Bag><rdf:li>ExifTool</rdf:li><rdf:li>XMP</rdf:li></rdf:Bag></dc:subject>\n"
        "<xmp:ModifyDate>2012-01-01T00:00:00Z</xmp:ModifyDate><photoshop:DateCreated>x</"
        "photoshop:DateCreated>\n"
        "</rdf:Description></rdf:RDF></x:xmpmeta>";
    const XmpFacts facts = ReadXmpFacts(packet);
    EXPECT_EQ(facts.title, "Caf\xc3\xa9 & bar");
    // References that name no character stay as written.
    EXPECT_EQ(facts.description, "A witty caption &#; &#1234567;");
    EXPECT_EQ(facts.creators, (Names{"Phil", "Ann"}));
    EXPECT_EQ(facts.keywords, (Names{"ExifTool", "XMP"}));
    EXPECT_EQ(facts.rating, "4");
    EXPECT_EQ(facts.createDate, "2011-09-29T14:15:31");
    EXPECT_EQ(facts.modifyDate, "2012-01-01T00:00:00Z");
}

}  // namespace
}  // namespace aldra::testing
