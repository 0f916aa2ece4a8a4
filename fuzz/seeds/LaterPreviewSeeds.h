// Seeds for the previews of later writers: EPSI previews of every depth and place, %ImageData
// samples in ASCII85 text in every mode, Photoshop files whose thumbnail is resource 1036, and XMP
// packets with a thumbnail in either form.
#pragma once
#include <string>
#include <vector>

#include "fixtures/Eps.h"
#include "fixtures/Epsi.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Xmp.h"
#include "fuzz/seeds/Seed.h"

namespace aldra::fuzz::seeds {

inline std::vector<Seed> EpsiFiles() {
    using namespace aldra::testing;
    auto pattern = [](uint32_t x, uint32_t y, uint32_t) { return x * 5 + y * 3; };
    return {
        {"depth1", EpsiFile(EpsiPreviewSection(MakePicture(13, 6, 1, 1, pattern)))},
        {"depth2-crlf", EpsiFile(EpsiPreviewSection(MakePicture(9, 4, 2, 1, pattern), 5, "\r\n"),
                                 EpsiPlace::kAfterComments, "\r\n")},
        {"depth4-prolog",
         EpsiFile(EpsiPreviewSection(MakePicture(7, 5, 4, 1, pattern)), EpsiPlace::kInsideProlog)},
        {"depth8-cr", EpsiFile(EpsiPreviewSection(MakePicture(20, 8, 8, 1, pattern), 7, "\r"),
                               EpsiPlace::kAfterComments, "\r")},
    };
}

inline std::string Ascii85ImageDataFile(const std::string& numbers, size_t bytes) {
    std::string samples;
    for (size_t i = 0; i < bytes; ++i) samples += static_cast<char>(i % 11 == 0 ? 0 : i * 37 + i / 7);
    samples.replace(8, 8, 8, '\0');  // a "z" group
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 50\n%ImageData: " + numbers +
           " \"beginimage\"\n%%EndComments\n/beginimage { image } def\nbeginimage\n" +
           aldra::testing::Ascii85(samples) + "\n%%EndData\nshowpage\n%%EOF\n";
}

inline std::vector<Seed> Ascii85ImageDataFiles() {
    return {
        {"bitmap", Ascii85ImageDataFile("20 6 1 1 0 3 7", 3 * 6)},
        {"grey", Ascii85ImageDataFile("9 3 8 1 0 1 7", 9 * 3)},
        {"rgb", Ascii85ImageDataFile("6 4 8 3 0 1 7", 6 * 4 * 3)},
        {"rgb-planes", Ascii85ImageDataFile("6 4 8 3 1 6 7", 6 * 4 * 4)},
        {"lab", Ascii85ImageDataFile("4 4 8 2 0 1 7", 4 * 4 * 3)},
        {"cmyk", Ascii85ImageDataFile("5 5 8 4 0 1 7", 5 * 5 * 4)},
    };
}

inline std::vector<Seed> PhotoshopRgbThumbnailFiles() {
    using namespace aldra::testing;
    auto pattern = [](uint32_t x, uint32_t y, int s) { return x * 20 + y * 9 + s * 60; };
    const std::string rgb = EncodeJpeg(12, 8, 3, JpegSamples(12, 8, 3, pattern));
    const std::string grey = EncodeJpeg(9, 5, 1, JpegSamples(9, 5, 1, pattern));
    auto file = [](const std::string& resources) {
        return EpsText("%%BoundingBox: 0 0 100 50\n" + PhotoshopBlock(resources));
    };
    return {
        {"rgb", file(ImageResource(1005, ResolutionInfo(72u << 16, 72u << 16)) +
                     ImageResource(1036, ThumbnailResourceData(12, 8, rgb)))},
        {"grey-named", file(ImageResource(1036, ThumbnailResourceData(9, 5, grey), "thumb"))},
    };
}

inline std::vector<Seed> XmpThumbnailFiles() {
    using namespace aldra::testing;
    auto pattern = [](uint32_t x, uint32_t y, int s) { return x * 9 + y * 21 + s * 50; };
    const std::string jpeg = EncodeJpeg(10, 14, 3, JpegSamples(10, 14, 3, pattern));
    const std::string head = EpsText("%%Creator: Adobe Illustrator(R) 16.0\n%%BoundingBox: 0 0 10 14");
    return {
        {"element", head + XmpPacket(XmpThumbnailText(jpeg)) + "\n%%EOF\n"},
        {"attribute", head + XmpPacket(XmpThumbnailText(jpeg), XmpForm::kAttribute) + "\n%%EOF\n"},
    };
}

// A header that defers its box and lists to a trailer, with an XMP packet between them.
inline std::vector<Seed> DocumentFactsFiles() {
    const std::string head =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%Title: (T\\351)\n%%For: Ann\n%%Pages: (atend)\n"
        "%%BoundingBox: (atend)\n%%DocumentFonts: (atend)\n%%EndComments\n";
    const std::string xmp =
        "<x:xmpmeta><dc:title><rdf:Alt><rdf:li>T</rdf:li></rdf:Alt></dc:title>"
        "<xmp:Rating>3</xmp:Rating></x:xmpmeta>\n";
    const std::string trailer =
        "%%Trailer\n%%Pages: 1\n%%BoundingBox: 0 0 8 8\n%%DocumentFonts: A B\n%%+ (C D)\n";
    return {{"trailer", head + xmp + "showpage\n" + trailer}, {"header", head}};
}

}  // namespace aldra::fuzz::seeds
