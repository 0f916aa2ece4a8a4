// XMP thumbnails read from files the tests write: both ways a packet holds the value and base64 that
// is damaged or never ends (where the packet lies is the packet search's matter).
#include <gtest/gtest.h>

#include <string>

#include "CaptureSink.h"
#include "fixtures/Eps.h"
#include "fixtures/Xmp.h"
#include "preview/XmpThumbnail.h"

// After the filter's headers: libjpeg's TRUE and FALSE macros would clash with the GDI vocabulary.
#include "fixtures/Jpeg.h"

namespace aldra {
namespace {

using namespace aldra::testing;

Status Decode(const std::string& file, CaptureSink* sink = nullptr) {
    CaptureSink ignored;
    return EpsFile(file).Run(DecodeXmpThumbnail, sink ? sink : &ignored);
}

uint32_t Flat(uint32_t x, uint32_t y, int c) {
    return ((x / 8 + y / 8) * 50 + static_cast<uint32_t>(c) * 90) % 256;
}

const std::string& Jpeg() {
    static const std::string jpeg = EncodeJpeg(24, 40, 3, JpegSamples(24, 40, 3, Flat));
    return jpeg;
}

// The packet stands behind the prolog's code, as Illustrator puts it.
std::string FileWith(const std::string& packet) {
    return EpsText("%%Creator: Adobe Illustrator(R) 16.0\n%%BoundingBox: 0 0 24 40") +
           "[/NamespacePush pdfmark\n" + packet + "\n%%EOF\n";
}

TEST(XmpThumbnail, TheValueIsFoundInEitherFormWhereverItStands) {
    const std::string text = XmpThumbnailText(Jpeg());
    std::string crlf = text;
    for (size_t at = crlf.find("&#xA;"); at != std::string::npos; at = crlf.find("&#xA;", at + 7))
        crlf.replace(at, 5, "\r\n &#10;");
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"element", FileWith(XmpPacket(text))},
        {"attribute", FileWith(XmpPacket(text, XmpForm::kAttribute))},
        {"single-quoted attribute",
         FileWith("<x:xmpmeta><rdf:li xmpGImg:image='" + text + "'/></x:xmpmeta>")},
        {"line ends and references", FileWith(XmpPacket(crlf))},
        {"behind a closing tag without value", FileWith("</xmpGImg:image>\n" + XmpPacket(text))},
    };
    for (const auto& c : cases) {
        CaptureSink cap;
        ASSERT_EQ(Decode(c.file, &cap), kOk) << c.name;
        ASSERT_EQ(cap.Rows(), 40u) << c.name;
        EXPECT_EQ(cap.last.format, RowFormat::kRgb);
        EXPECT_NEAR(cap.Sample(20, 30, 1), Flat(20, 30, 1), 12) << c.name;
    }
}

TEST(XmpThumbnail, DamagedOrEndlessValuesAreRefusedCleanly) {
    const std::string text = XmpThumbnailText(Jpeg());
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"no thumbnail", FileWith("<xmp:CreatorTool>x</xmp:CreatorTool>")},
        {"base64 that never ends", FileWith("<xmpGImg:image>" + text + std::string(200000, 'A'))},
        {"more than a thumbnail holds", FileWith(XmpPacket(std::string(6u << 20, 'Q')))},
        {"a byte that is no base64", FileWith(XmpPacket(text.substr(0, 300) + "*" + text.substr(300)))},
        {"digits behind the padding", FileWith(XmpPacket(Base64("ab") + "QUJD"))},
        {"a reference that never closes",
         FileWith(XmpPacket(text.substr(0, 300) + "&#xAAAAAAAAAAAAA" + text))},
        {"an empty value", FileWith(XmpPacket(""))},
        {"no JPEG stream", FileWith(XmpPacket(XmpThumbnailText(std::string(3000, 'j'))))},
        {"a truncated JPEG stream", FileWith(XmpPacket(XmpThumbnailText(Jpeg().substr(0, 200))))},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decode(c.file), kErrFormat) << c.name;
    }
}

}  // namespace
}  // namespace aldra
