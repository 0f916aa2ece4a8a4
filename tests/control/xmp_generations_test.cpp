// XMP as Illustrator 9 and 10 and Photoshop 6 and 7 wrote it (the "xap" prefixes, x:xapmeta, values
// as attributes of rdf:Description) and as later versions write it: the same facts and the same
// thumbnail, whether the packet sits in an EPS file or in a PDF-based Illustrator file.
#include "control/ControlFixture.h"
#include "control/PicturePixels.h"
#include "fixtures/Eps.h"
#include "fixtures/Pdf.h"
#include "fixtures/Xmp.h"

// After the filter's headers: libjpeg's TRUE and FALSE macros would clash with the GDI vocabulary.
#include "fixtures/Jpeg.h"

namespace aldra::testing {
namespace {

enum class Generation { kXmpElements, kXapElements, kXapAttributes, kOwnPrefix };

const std::string& OrangeJpeg() {
    static const std::string jpeg =
        EncodeJpeg(64, 32, 3, JpegSamples(64, 32, 3, [](uint32_t, uint32_t, int c) {
                       return static_cast<uint32_t>(c == 0 ? 0xF0 : c == 1 ? 0x80 : 0x10);
                   }));
    return jpeg;
}

// The packet's basic-schema prefix, its thumbnail prefix and where the simple values stand. The
// packet with a prefix of its own also binds "xmp" to another namespace, which is then not the basic
// schema's.
std::string Packet(Generation g) {
    const bool old = g == Generation::kXapElements || g == Generation::kXapAttributes;
    const std::string basic = g == Generation::kOwnPrefix ? "b" : old ? "xap" : "xmp";
    const std::string image = old ? "xapGImg" : "xmpGImg";
    const std::string meta = old ? "x:xapmeta" : "x:xmpmeta";
    const std::string values[][2] = {{"CreatorTool", "Adobe Illustrator 10"},
                                     {"CreateDate", "2002-04-11T10:39:35-05:00"},
                                     {"ModifyDate", "2002-04-12T08:00:00-05:00"}};
    std::string attributes =
                    g == Generation::kOwnPrefix ? " xmlns:xmp='http://example.com/' xmp:CreatorTool='x'" : "",
                elements;
    for (const auto& [name, value] : values) {
        if (g == Generation::kXapAttributes) {
            attributes += "\n  " + basic + ":" + name + "='" + value + "'";
        } else {
            elements += "  <" + basic + ":" + name + ">" + value + "</" + basic + ":" + name + ">\n";
        }
    }
    return "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>\n<" + meta +
           " xmlns:x='adobe:ns:meta/'>\n<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
           " <rdf:Description rdf:about='' xmlns:" +
           basic + "='http://ns.adobe.com/xap/1.0/'\n  xmlns:" + image +
           "='http://ns.adobe.com/xap/1.0/g/img/'" + attributes + ">\n" + elements + "  <" + basic +
           ":Thumbnails><rdf:Alt><rdf:li rdf:parseType='Resource'>\n   <" + image + ":image>" +
           XmpThumbnailText(OrangeJpeg()) + "</" + image + ":image>\n  </rdf:li></rdf:Alt></" + basic +
           ":Thumbnails>\n </rdf:Description>\n</rdf:RDF>\n</" + meta + ">\n<?xpacket end='w'?>";
}

// An EPS file of a program that draws nothing the filter renders, so that the packet's thumbnail
// is the file's only preview; in colour, so that the thumbnail is not reduced to one bit.
std::string EpsWith(const std::string& packet) {
    return EpsText(
               "%%Creator: Adobe InDesign 2.0\n%%BoundingBox: 0 0 64 32\n"
               "%%DocumentProcessColors: Cyan Magenta Yellow Black") +
           packet + "\nshowpage\n%%EOF\n";
}

std::string PdfWith(const std::string& packet) {
    PdfContent content;
    content.xmp = packet;
    content.pageEntries = "/MediaBox [0 0 64 32]";
    return PdfFile(content);
}

TEST_F(ControlTest, OldAndNewPrefixesGiveTheSameFactsAndThumbnailInBothKindsOfFile) {
    for (Generation g : {Generation::kXmpElements, Generation::kXapElements, Generation::kXapAttributes,
                         Generation::kOwnPrefix}) {
        for (bool pdf : {false, true}) {
            const std::string label = std::to_string(static_cast<int>(g)) + (pdf ? " pdf" : " eps");
            const std::string bytes = pdf ? PdfWith(Packet(g)) : EpsWith(Packet(g));
            const std::string path = files.Write(pdf ? "drawing.ai" : "drawing.eps", bytes);
            ASSERT_EQ(TestAndAttach(path, bytes).hr, S_OK) << label;
            EXPECT_EQ(Fact("XmpCreatorTool"), "Adobe Illustrator 10") << label;
            EXPECT_EQ(Fact("XmpCreateDate"), "2002-04-11T10:39:35-05:00") << label;
            EXPECT_EQ(Fact("XmpModifyDate"), "2002-04-12T08:00:00-05:00") << label;
            Pixels p = ThumbnailPixels(Call("GetThumbnail", {MakeI4(64), MakeI4(64), MakeBool(false)}));
            ASSERT_TRUE(p.present) << label;
            const uint32_t centre = p.At(p.width / 2, p.height / 2);
            EXPECT_NEAR(static_cast<int>(centre >> 16), 0xF0, 8) << label;
            EXPECT_NEAR(static_cast<int>(centre & 0xFF), 0x10, 8) << label;
        }
    }
}

}  // namespace
}  // namespace aldra::testing
