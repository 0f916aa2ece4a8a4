// Starting inputs for every fuzz target, built with the fixture builders the tests use: each one is a file
// the target's code reads successfully, so that the fuzzer begins inside the format rather than at its first
// check. make_seeds writes them out, and fuzz/run.sh starts every target from them.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fixtures/ArtworkFile.h"
#include "fixtures/Eps.h"
#include "fixtures/Jpeg.h"
#include "fixtures/Tiff.h"
#include "fuzz/seeds/CompressedTiffSeeds.h"
#include "fuzz/seeds/LaterPreviewSeeds.h"
#include "fuzz/seeds/MacSeeds.h"
#include "fuzz/seeds/PdfSeeds.h"
#include "fuzz/seeds/Seed.h"
#include "platform/resources/Resources.h"

namespace aldra::fuzz {

namespace seeds {

using namespace aldra::testing;

inline constexpr uint16_t kResolution = 1005;

// ---- TIFF -------------------------------------------------------------------------------------

inline std::vector<Seed> Tiffs() {
    std::vector<Seed> out;
    auto add = [&](const std::string& name, uint32_t bits, uint32_t samples, TiffOptions o) {
        out.push_back({name, MakeTiff(MakePicture(13, 7, bits, samples, Busy), o)});
    };
    TiffOptions grey;
    add("grey8-le", 8, 1, grey);
    TiffOptions greyBig = grey;
    greyBig.bigEndian = true;
    greyBig.rowsPerStrip = 2;
    add("grey8-be-strips", 8, 1, greyBig);
    TiffOptions white;
    white.photometric = 0;
    add("white-is-zero4", 4, 1, white);
    add("grey2", 2, 1, grey);
    TiffOptions bilevel;
    bilevel.compression = 32773;
    bilevel.rowsPerStrip = 3;
    add("bilevel-packbits", 1, 1, bilevel);
    TiffOptions palette;
    palette.photometric = 3;
    for (int channel = 0; channel < 3; ++channel)
        for (uint32_t i = 0; i < 256; ++i)
            palette.colourMap.push_back(static_cast<uint16_t>(i * (channel + 1) * 97));
    add("palette8", 8, 1, palette);
    TiffOptions palette4;
    palette4.photometric = 3;
    for (uint32_t i = 0; i < 48; ++i) palette4.colourMap.push_back(static_cast<uint16_t>(i * 1361));
    add("palette4", 4, 1, palette4);
    TiffOptions rgbLzw;
    rgbLzw.photometric = 2;
    rgbLzw.compression = 5;
    rgbLzw.predictor = true;
    rgbLzw.rowsPerStrip = 4;
    add("rgb-lzw-predictor", 8, 3, rgbLzw);
    TiffOptions oldLzw = rgbLzw;
    oldLzw.predictor = false;
    oldLzw.oldLzw = true;
    add("rgb-lzw-old-layout", 8, 3, oldLzw);
    TiffOptions rgba;
    rgba.photometric = 2;
    rgba.extraTags = {{338, kShort, {1}}};
    add("rgba-associated", 8, 4, rgba);
    rgba.extraTags = {{338, kShort, {2}}};
    rgba.compression = 32773;
    add("rgba-unassociated-packbits", 8, 4, rgba);
    TiffOptions cmyk;
    cmyk.photometric = 5;
    cmyk.bigEndian = true;
    add("cmyk-be", 8, 4, cmyk);
    TiffOptions noCounts;
    noCounts.writeByteCounts = false;
    noCounts.shortStripOffsets = true;
    add("grey-short-offsets-no-counts", 8, 1, noCounts);
    return out;
}

inline std::string RgbTiff(uint32_t width, uint32_t height) {
    TiffOptions rgb;
    rgb.photometric = 2;
    rgb.rowsPerStrip = 4;
    return MakeTiff(MakePicture(width, height, 8, 3, Busy), rgb);
}

// ---- Comment headers ----------------------------------------------------------------------------

inline std::string ResolutionBlock() {
    return PhotoshopBlock(ImageResource(kResolution, ResolutionInfo(300u << 16, 150u << 16)));
}

inline std::vector<Seed> Headers() {
    return {
        {"every-list", EpsText("%%Creator: (Adobe Photoshop Version 7.0)\n%%BoundingBox: 0 0 144 72\n"
                               "%%HiResBoundingBox: 0 0 144.5 72.25\n"
                               "%%DocumentProcessColors: Cyan Magenta Yellow Black\n"
                               "%%DocumentFonts: Helvetica\n%%+ Times-Roman\n%%+ Courier\n"
                               "%%DocumentCustomColors: (PANTONE 185 C)\n%%+ (Gold)\n"
                               "%%CMYKProcessColor: 0 0.91 0.76 0 (PANTONE 185 C)\n"
                               "%%DocumentFiles: logo.eps\n%%+ map.tif\n%%ColorUsage: Color\n"
                               "%%DocumentPreview: PC_ColorTIFF\n%%EndComments")},
        {"photoshop-resolution",
         EpsText("%%BoundingBox: 0 0 100 50\n%ImageData: 200 100 8 3 0 1 1 \"beginimage\"\n" +
                 ResolutionBlock() + "\n%%EndComments")},
        {"dcs-main", EpsText("%%BoundingBox: 0 0 72 72\n%%CyanPlate: scan.C\n%%MagentaPlate: scan.M\n"
                             "%%YellowPlate: scan.Y\n%%BlackPlate: scan.K\n%%EndComments")},
        {"ics-main", EpsText("%%BoundingBox: 0 0 72 72\n%LINOCyanPlate: scan.C\n%LINOMagentaPlate: scan.M")},
        {"opi-helios", EpsText("%%BoundingBox: 0 0 72 72\n%%HeliosRefID: 42\n%%HeliosIncludeEPS: hires.eps")},
        {"opi-color-central", EpsText("%%BoundingBox: 0 0 72 72\n%%CompFileName: C:\\Scans\\hires.eps")},
        {"opi-4sight", EpsText("%%For: 4Sight LinoPrint\n%%FSSampleHiResBinPath: Server:Pictures:")},
        {"opi-others", EpsText("%%IPTSourceType: TIFF\n%ALDImageFileName: hires.tif\n%9BitsRef: 4\n"
                               "% 0102\n% 0304\n%%BoundingBox: 0 0 10 10")},
        {"illustrator",
         EpsText("%%Creator: Adobe Illustrator(R) 8.0\n%%BoundingBox: 0 0 300 200\n"
                 "%AI3_ColorUsage: Color\n%AI3_DocumentPreview: Macintosh_ColorPic\n%%EndComments")},
        {"crlf", EpsText("%%Creator: Windows\n%%BoundingBox: 0 0 50 50\n%%DocumentFonts: Arial", "\r\n")},
        {"cr", EpsText("%%Creator: Mac\n%%BoundingBox: 0 0 50 50\n%%DocumentFonts: Geneva", "\r")},
        {"dos-eps", DosEpsFile(EpsText("%%Creator: x\n%%BoundingBox: 0 0 144 72"), RgbTiff(6, 3))},
    };
}

// ---- DOS EPS ------------------------------------------------------------------------------------

inline std::vector<Seed> DosEpsFiles() {
    const std::string text =
        EpsText("%%BoundingBox: 0 0 144 72\n%%DocumentProcessColors: Cyan Magenta Yellow Black");
    std::vector<Seed> out = {
        {"rgb-preview", DosEpsFile(text, RgbTiff(20, 10))},
        {"no-preview", DosEpsFile(text, "")},
        {"text-only", text},
    };
    TiffOptions bilevel;
    bilevel.compression = 32773;
    out.push_back({"bilevel-preview", DosEpsFile(text, MakeTiff(MakePicture(17, 9, 1, 1, Busy), bilevel))});
    return out;
}

// ---- Photoshop and IPTC -------------------------------------------------------------------------

inline std::string IptcRecord() {
    return IptcDataSetBytes(1, 90, "\x1B%G") + IptcDataSetBytes(2, 0, "\x00\x04") +
           IptcDataSetBytes(2, 5, "Harbour") + IptcDataSetBytes(2, 25, "harbour") +
           IptcDataSetBytes(2, 25, "boats") + IptcDataSetBytes(2, 80, "A. Photographer") +
           IptcDataSetBytes(2, 105, "Evening at the harbour", true) +
           IptcDataSetBytes(2, 120, "Fishing boats in the evening light.");
}

inline std::string JpegThumbnailResource() {
    std::string jpeg = EncodeJpeg(12, 8, 3, JpegSamples(12, 8, 3, [](uint32_t x, uint32_t y, int s) {
                                      return x * 20 + y * 9 + s * 60;
                                  }));
    return ImageResource(1036, ThumbnailResourceData(12, 8, jpeg));
}

inline std::vector<Seed> PhotoshopFiles() {
    const std::string resources = ImageResource(kResolution, ResolutionInfo(72u << 16, 72u << 16)) +
                                  ImageResource(1028, IptcRecord(), "IPTC");
    return {
        {"iptc", EpsText("%%BoundingBox: 0 0 100 50\n" + PhotoshopBlock(resources))},
        {"iptc-with-thumbnail",
         EpsText("%%BoundingBox: 0 0 100 50\n" + PhotoshopBlock(resources + JpegThumbnailResource()))},
        {"named-odd-resource", EpsText(PhotoshopBlock(ImageResource(1028, IptcRecord() + "x", "a") +
                                                      ImageResource(1005, ResolutionInfo(1, 2), "ab")))},
        {"bare-resources", resources},
    };
}

// ---- Relatives ----------------------------------------------------------------------------------

inline std::vector<Seed> CompanionFiles() {
    return {
        {"dcs-main", EpsText("%%BoundingBox: 0 0 100 50\n%%CyanPlate: scan.C\n%%MagentaPlate: scan.M\n"
                             "%%YellowPlate: scan.Y\n%%BlackPlate: scan.K")},
        {"dcs-main-mac-paths", EpsText("%%BoundingBox: 0 0 100 50\n%%CyanPlate: Disk:Scans:scan.C\n"
                                       "%CyanPlate: C:\\scans\\scan.C")},
        {"color-central", EpsText("%%BoundingBox: 0 0 100 50\n%%CompFileName: C:\\Scans\\hires.eps")},
        {"color-central-unix", EpsText("%%CompFileName: /tmp/elsewhere/hires.eps")},
        {"helios", EpsText("%%HeliosRefID: 1\n%%HeliosIncludeEPS: hires.eps")},
        {"plate", EpsText("%ImageData: 200 100 8 1 0 1 1 \"beginimage\"")},
    };
}

// ---- Settings and registry ----------------------------------------------------------------------

inline std::vector<Seed> AnpaTexts() {
    return {
        {"default", ResourceText(252)},
        {"small", "2,25,1,1,Keywords\n2,120,0,1,Caption"},
        {"one-unlabelled", "1,90,6,0,"},
    };
}

inline std::vector<Seed> HiveTexts() {
    return {
        {"settings",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Aldra\\FilterManager\\SettingsAldra.AldraFilter.EPS.1]\n"
         "\"PreviewResolution\"=dword:00000048\n\"HeliosLayoutExtension\"=\".lay\"\n"
         "\"CCCategory\"=\"Color "
         "\\\"Central\\\"\"\n\"ANPA_SETTINGS\"=hex(1):32,2c,32,35,2c,31,2c,31,2c,4b,00\n"},
        {"wrapped-hex",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER]\r\n@=\"root\"\r\n\r\n[HKEY_CURRENT_USER\\a\\b]\r\n"
         "\"blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,\\\r\n  0e,0f,10\r\n"
         "\"multi\"=hex(7):61,00,62,00,00\r\n\"x\"=hex(2):25,50,25,00\r\n; comment\r\n"},
    };
}

// ---- Pictures -----------------------------------------------------------------------------------

inline std::vector<Seed> JpegStreams() {
    auto pattern = [](uint32_t x, uint32_t y, int s) { return x * 13 + y * 29 + s * 50; };
    const std::string rgb = EncodeJpeg(16, 16, 3, JpegSamples(16, 16, 3, pattern));
    return {
        {"grey", std::string(1, '\0') + EncodeJpeg(9, 5, 1, JpegSamples(9, 5, 1, pattern))},
        {"rgb", std::string(1, '\0') + rgb},
        {"cmyk", std::string(1, '\0') + EncodeJpeg(8, 8, 4, JpegSamples(8, 8, 4, pattern))},
        {"ycck", std::string(1, '\0') +
                     EncodeJpeg(8, 8, 4, JpegSamples(8, 8, 4, pattern), JpegOptions().WithStored(kJpegYcck))},
        {"progressive", std::string(1, '\0') + EncodeJpeg(24, 16, 3, JpegSamples(24, 16, 3, pattern),
                                                          JpegOptions().WithProgression())},
        {"restarts", std::string(1, '\0') + EncodeJpeg(32, 32, 3, JpegSamples(32, 32, 3, pattern),
                                                       JpegOptions().WithRestartRows(1).WithComment("seed"))},
        {"ascii85-rgb", "\x01" + Ascii85(rgb)},
        {"ascii85-grey", "\x01" + Ascii85(EncodeJpeg(7, 3, 1, JpegSamples(7, 3, 1, pattern)))},
    };
}

inline std::string ImageDataFile(const std::string& numbers, const std::string& data) {
    return "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 50\n%ImageData: " + numbers +
           " \"beginimage\"\n%%EndComments\n%%BeginProlog\n/beginimage { image } def\n%%EndProlog\ngsave\n"
           "100 50 scale\nbeginimage\n" +
           data + "\n%%EndData\ngrestore\nshowpage\n%%EOF\n";
}

inline std::string Samples(size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += static_cast<char>(i * 37 + i / 7);
    return s;
}

// The hex pictures in lower-case digits and lines of 30 bytes, unlike the Photoshop blocks' layout.
inline std::vector<Seed> ImageDataFiles() {
    auto hex = [](const std::string& bytes) { return HexWriter(30, "", true).Of(bytes); };
    auto pattern = [](uint32_t x, uint32_t y, int s) { return x * 11 + y * 31 + s * 70; };
    return {
        {"rgb-binary", ImageDataFile("6 4 8 3 0 1 1", Samples(6 * 4 * 3))},
        {"rgb-planes", ImageDataFile("6 4 8 3 0 6 1", Samples(6 * 4 * 3))},
        {"grey-hex", ImageDataFile("9 3 8 1 0 1 2", hex(Samples(9 * 3)))},
        {"bitmap-hex", ImageDataFile("20 6 1 1 0 1 2", hex(Samples(3 * 6)))},
        {"cmyk-binary", ImageDataFile("5 5 8 4 0 1 1", Samples(5 * 5 * 4))},
        {"lab-binary", ImageDataFile("4 4 8 2 0 1 1", Samples(4 * 4 * 3))},
        {"jpeg",
         ImageDataFile("12 8 8 3 0 1 3", Ascii85(EncodeJpeg(12, 8, 3, JpegSamples(12, 8, 3, pattern))))},
    };
}

inline std::string Ai7File(uint32_t width, uint32_t height) {
    std::string data;
    for (uint32_t i = 0; i < 256; ++i)
        data += {static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i * 7)};
    data += "RLE";
    for (uint32_t y = 0; y < height; ++y) {
        data += {'\xFD', static_cast<char>(width / 2), static_cast<char>(y)};
        for (uint32_t x = width / 2; x < width; ++x)
            data += x == y ? std::string("\xFD\xFD") : std::string(1, char(x * 3));
    }
    return "%!PS-Adobe-3.0\n%%Creator: Adobe Illustrator(R) 8.0\n%%BoundingBox: 0 0 100 50\n" +
           Ai7ThumbnailBlock(width, height, data) + "\n%%EndComments\n%%BeginProlog\n%%EndProlog\n0 A\n";
}

inline std::vector<Seed> Ai7Files() {
    return {{"even-width", Ai7File(16, 8)}, {"odd-width", Ai7File(13, 5)}};
}

// ---- Illustrator artwork ------------------------------------------------------------------------

inline ArtworkBuilder ShapesArtwork(const char* eol = "\n") {
    ArtworkBuilder art;
    art.LineEnd(eol);
    art.FillGrey(0.2).StrokeGrey(0).LineWidth(2).Rectangle(10, 10, 60, 30, "b");
    art.FillCmyk(0, 0.85, 0.75, 0).Polygon({{100, 10}, {190, 10}, {145, 90}}, "f");
    art.Lines({"0 0 0 1 K",
               "0.5 w",
               "20 60 m",
               "40 95 60 95 80 60 c",
               "90 40 v",
               "110 70 120 50 y",
               "S",
               "0 1 1 0 (Cyan ink) 0.5 x",
               "1 0 0 0 (Red) 0.25 X",
               "0.1 0.6 0.3 Xa",
               "0.9 0.1 0.1 XA",
               "130 60 m 150 60 L 150 80 L 130 80 L F",
               "130 60 m 140 90 C 150 60 V 160 60 Y s",
               "p",
               "30 20 m 50 20 l 40 40 l B",
               "q",
               "0 0 m 100 0 l 100 100 l W n",
               "0 g 10 80 m 190 80 l 190 95 l 10 95 l f",
               "Q",
               "N",
               "+5 w 160 10 m 190 40 l S",
               "0 j 0 J 4 M 1 i [] 0 d 0 A 0 O 0 R *u 5 5 m 9 5 l 9 9 l f *U u U"});
    return art;
}

inline ArtworkBuilder TextArtwork(const char* eol = "\n") {
    ArtworkBuilder art;
    art.LineEnd(eol);
    art.FillGrey(0)
        .PointText(10, 80, "Helvetica-Bold", 18, "Title (big)")
        .PointText(10, 60, "Times-Roman", 4, "tiny");
    art.Lines({"0 To",
               "1 0 0 1 100 50 0 Tp",
               "TP",
               "2 Tr",
               "/_Courier 12 13 14 Tf",
               "1 Tv",
               "(Down) Tx",
               "0 Tv",
               "14 16 Tl",
               "1 Ta",
               "(centred\\r) t",
               "T*",
               "5 -3 Td",
               "(moved) Tj",
               "-40 Tk",
               "(on) Tx",
               "3 Tr",
               "(hidden) Tx",
               "TO",
               "1 0 0 1 20 20 Tm",
               "(after Tm) Tx"});
    art.TextBlock(120, 30, "Helvetica", 10, {"block line one", "line two"}, 'e', 2);
    art.TextBlock(120, 90, "Times-Roman", 8, {"outline only"}, 'r');
    art.TextBlock(10, 40, "Courier", 7, {"neither"}, 'o');
    return art;
}

inline ArtworkBuilder PlacedArtwork() {
    ArtworkBuilder inner;
    inner.BoundingBox(0, 0, 60, 40)
        .FillGrey(0.5)
        .Rectangle(5, 5, 50, 30, "f")
        .PointText(8, 12, "Helvetica", 9, "placed");
    ArtworkBuilder art;
    art.FillGrey(0)
        .Rectangle(0, 0, 20, 20, "f")
        .PlacedDocument(100, 40, inner)
        .Document(inner, "unframed.ai");
    art.PlacedFile(10, 50, 40, 30, "missing-placed-file.eps");
    art.Line("[0.7 0.7 -0.7 0.7 30 10] 0 0 10 10 (rotated.ai) `").Line("~");
    return art;
}

inline ArtworkBuilder SectionsArtwork() {
    ArtworkBuilder art;
    art.BoundingBox(-20.5, 10, 300.25, 150).HeaderComment("%%DocumentFonts: Helvetica");
    art.Prolog("%%BeginEncoding: _Helvetica Helvetica\n/_Helvetica /Helvetica 0 0 0 0 0 T\n%%EndEncoding");
    art.Setup("%%BeginPattern: (Stripes)\n0 0 10 10 [ ] (Stripes) E\n%%EndPattern");
    art.Lines({"%AI3_BeginCrops", "0 0 m 10 10 l S", "%AI3_EndCrops", "0 g 0 20 m 280 20 l 280 140 l f",
               "%%BoundingBox: 0 0 100 100", "0.5 g 10 10 m 90 10 l 90 90 l f"});
    art.TrailerLine("%%BoundingBox: 0 0 50 50").TrailerLine("10 10 m 20 20 l S");
    return art;
}

inline std::vector<Seed> ArtworkFiles() {
    BusyArtworkOptions busy;
    busy.segments = 200;
    busy.textRuns = 10;
    return {
        {"shapes", ShapesArtwork().Text()},
        {"text", TextArtwork().Text()},
        {"placed", PlacedArtwork().Text()},
        {"sections", SectionsArtwork().Text()},
        {"mac-lines", ShapesArtwork("\r").Text()},
        {"dos-lines", TextArtwork("\r\n").Text()},
        {"illustrator-88", TextArtwork().Creator(kIllustrator88).Text()},
        {"busy", BusyArtwork(busy).Text()},
    };
}

inline void Append(std::vector<Seed>* to, const std::vector<Seed>& from, const std::string& prefix) {
    for (const Seed& s : from) to->push_back({prefix + s.name, s.bytes});
}

}  // namespace seeds

// The seeds of every target, by target name (see fuzz/targets/All.h).
inline std::map<std::string, std::vector<Seed>> AllSeeds() {
    using namespace seeds;
    std::map<std::string, std::vector<Seed>> all;
    all["dsc_scan"] = Headers();
    all["dos_eps"] = DosEpsFiles();
    all["photoshop"] = PhotoshopFiles();
    all["companions"] = CompanionFiles();
    all["tiff"] = Tiffs();
    Append(&all["tiff"], CompressedTiffs(), "compressed-");
    all["anpa_settings"] = AnpaTexts();
    all["hive"] = HiveTexts();
    all["jpeg"] = JpegStreams();
    all["image_data"] = ImageDataFiles();
    all["ai7_thumbnail"] = Ai7Files();
    all["epsi"] = EpsiFiles();
    all["ascii85_image_data"] = Ascii85ImageDataFiles();
    all["photoshop_rgb_thumbnail"] = PhotoshopRgbThumbnailFiles();
    all["xmp_thumbnail"] = XmpThumbnailFiles();
    all["document_facts"] = DocumentFactsFiles();
    all["art_render"] = ArtworkFiles();
    all["art_text"] = ArtworkFiles();
    for (auto& [name, bytes] : MacForkSeeds()) all["resource_fork"].push_back({name, bytes});
    for (auto& [name, bytes] : PictureSeeds()) all["draw_picture"].push_back({name, bytes});
    all["illustrator_pdf"] = PdfFiles();
    std::vector<Seed>& filter = all["filter"];
    Append(&filter, Headers(), "header-");
    Append(&filter, DosEpsFiles(), "dos-");
    Append(&filter, PhotoshopFiles(), "photoshop-");
    Append(&filter, ImageDataFiles(), "imagedata-");
    Append(&filter, Ai7Files(), "ai7-");
    Append(&filter, EpsiFiles(), "epsi-");
    Append(&filter, Ascii85ImageDataFiles(), "ascii85-");
    Append(&filter, XmpThumbnailFiles(), "xmp-");
    Append(&filter, ArtworkFiles(), "art-");
    Append(&filter, PdfFiles(), "pdf-");
    return all;
}

}  // namespace aldra::fuzz
