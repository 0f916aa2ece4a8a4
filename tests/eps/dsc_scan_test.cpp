#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/PString.h"
#include "base/StringList.h"
#include "eps/DscScan.h"
#include "support/TempDir.h"

namespace aldra {
namespace {

using testing::TempDir;

// Scans a file and owns the lists the scan hands over.
struct Scanned {
    Status status = kErrSystem;
    EpsInfo info;
    ~Scanned() {
        DisposeBuffer(info.customColors);
        DisposeBuffer(info.fonts);
        DisposeBuffer(info.files);
    }
};

void ScanFile(const std::string& path, Scanned* out) {
    EpsReader eps;
    out->status = OpenEps(path.c_str(), &eps);
    if (out->status != kOk) return;
    out->status = ParseEpsHeader(&eps, path.c_str(), &out->info);
    CloseEps(&eps);
}

std::vector<std::string> Entries(const StringList* list) {
    std::vector<std::string> entries;
    ForEachEntry(list, [&](const uint8_t* entry) {
        entries.push_back(PStrToString(entry));
        return true;
    });
    return entries;
}

std::string Text(const uint8_t* s) {
    return PStrToString(s);
}

// Enough trailing code lines that the scan ends by its own rule, and enough bytes for the reader.
std::string Eps(const std::string& comments, const char* eol = "\n") {
    std::string text = "%!PS-Adobe-3.0 EPSF-3.0";
    text += eol;
    size_t start = 0;
    while (start < comments.size()) {
        size_t end = comments.find('\n', start);
        if (end == std::string::npos) end = comments.size();
        text += comments.substr(start, end - start);
        text += eol;
        start = end + 1;
    }
    for (int i = 0; i < 25; ++i) text += std::string("gsave grestore") + eol;
    return text;
}

std::string HexLines(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0) out += i ? "\n%" : "%";
        out += digits[static_cast<uint8_t>(bytes[i]) >> 4];
        out += digits[static_cast<uint8_t>(bytes[i]) & 15];
    }
    return out;
}

std::string ResolutionResource(uint32_t dpi) {
    std::string r = "8BIM";
    r += '\x03';
    r += '\xED';
    r += std::string(2, '\0');  // empty name, padded
    r += std::string("\0\0\0\x10", 4);
    std::string fixed = {static_cast<char>(dpi >> 8), static_cast<char>(dpi), 0, 0};
    r += fixed + std::string("\0\1\0\1", 4) + fixed + std::string("\0\1\0\1", 4);
    return r;
}

TEST(FormatVersion, PacksMajorMinorAndSubMinor) {
    PString text;
    FormatVersion(0x0300, text, sizeof text);
    EXPECT_EQ(Text(text), "3.0");
    FormatVersion(0x0201, text, sizeof text);
    EXPECT_EQ(Text(text), "2.01");
    FormatVersion(0x1000, text, sizeof text);
    EXPECT_EQ(Text(text), "10.0");
    PStrFromC("kept", text, sizeof text);
    FormatVersion(0, text, sizeof text);
    EXPECT_EQ(Text(text), "kept");
}

TEST(ParseEpsHeader, FirstLineGivesVersionsOrRefusesTheFile) {
    TempDir dir;
    Scanned both;
    ScanFile(dir.Write("a.eps", Eps("%%Creator: x")), &both);
    ASSERT_EQ(both.status, kOk);
    EXPECT_EQ(Text(both.info.postScriptVersion), "3.0");
    EXPECT_EQ(Text(both.info.epsfVersion), "3.0");

    Scanned psOnly;
    ScanFile(dir.Write("b.eps", "%!PS-Adobe-2.0\n%%Creator: someone who writes code\n%%EOF\n"), &psOnly);
    ASSERT_EQ(psOnly.status, kOk);
    EXPECT_EQ(Text(psOnly.info.postScriptVersion), "2.0");
    EXPECT_EQ(Text(psOnly.info.epsfVersion), "");

    Scanned twoSpaces;
    ScanFile(dir.Write("c.eps", "%!PS-Adobe-3.0  EPSF-3.0\n%%Creator: two spaces are not one\n"), &twoSpaces);
    EXPECT_EQ(Text(twoSpaces.info.epsfVersion), "");

    for (const char* first : {"%!PS\n", " %!PS-Adobe-3.0\n", "%!ps-adobe-3.0\n"}) {
        Scanned refused;
        ScanFile(dir.Write("d.eps", std::string(first) + "%%Creator: padding padding padding\n"), &refused);
        EXPECT_EQ(refused.status, kErrFormat) << first;
        EXPECT_EQ(refused.info.fonts, nullptr);
        EXPECT_EQ(refused.info.customColors, nullptr);
        EXPECT_EQ(refused.info.files, nullptr);
    }
}

TEST(ParseEpsHeader, EveryLineEndGivesTheSameRecord) {
    TempDir dir;
    const std::string comments =
        "%%Creator: (Line Ends)\n%%BoundingBox: 0 0 144 72\n%%DocumentFonts: Times-Roman\n%%+ Courier\n"
        "%%DocumentCustomColors: (Pantone 300)";
    for (const char* eol : {"\n", "\r", "\r\n", "\n\r"}) {
        Scanned s;
        ScanFile(dir.Write("e.eps", Eps(comments, eol)), &s);
        ASSERT_EQ(s.status, kOk);
        EXPECT_EQ(Text(s.info.creator), "Line Ends");
        EXPECT_DOUBLE_EQ(s.info.widthInches, 2.0);
        EXPECT_DOUBLE_EQ(s.info.heightInches, 1.0);
        EXPECT_EQ(Entries(s.info.fonts), (std::vector<std::string>{"Times-Roman", "Courier"}));
        EXPECT_EQ(Entries(s.info.customColors), (std::vector<std::string>{"Pantone 300"}));
    }
}

TEST(ParseEpsHeader, ReadsBehindADosEpsHeader) {
    TempDir dir;
    std::string ps = Eps("%%BoundingBox: 0 0 72 144\n%%Creator: behind the header");
    auto header = [&](uint32_t offset) {
        std::string h = "\xC5\xD0\xD3\xC6";
        for (uint32_t v : {offset, static_cast<uint32_t>(ps.size()), 0u, 0u, 0u, 0u}) {
            for (int i = 0; i < 4; ++i) h += static_cast<char>(v >> (8 * i));
        }
        return h + std::string("\xFF\xFF", 2);
    };
    Scanned s;
    ScanFile(dir.Write("dos.eps", header(30) + ps), &s);
    ASSERT_EQ(s.status, kOk);
    EXPECT_EQ(Text(s.info.creator), "behind the header");
    EXPECT_DOUBLE_EQ(s.info.heightInches, 2.0);

    Scanned noOffset;
    ScanFile(dir.Write("zero.eps", header(0) + ps), &noOffset);
    EXPECT_EQ(noOffset.status, kErrFormat);
}

TEST(ParseEpsHeader, BoundingBoxesCreatorAndTheLastOneWins) {
    TempDir dir;
    Scanned hiRes;
    ScanFile(dir.Write("a.eps", Eps("%%BoundingBox: 0 0 612 792\n%%HiResBoundingBox: 0 0 612.5 792")),
             &hiRes);
    EXPECT_DOUBLE_EQ(hiRes.info.widthInches, 612.5 / 72);
    EXPECT_DOUBLE_EQ(hiRes.info.heightInches, 11.0);

    Scanned lowLast;
    ScanFile(dir.Write("b.eps", Eps("%%HiResBoundingBox: 0 0 612.5 792\n%%BoundingBox: 10 20 82 164")),
             &lowLast);
    EXPECT_DOUBLE_EQ(lowLast.info.widthInches, 1.0);
    EXPECT_DOUBLE_EQ(lowLast.info.heightInches, 2.0);

    Scanned atEnd;
    ScanFile(dir.Write("c.eps", Eps("%%BoundingBox: (atend)")), &atEnd);
    EXPECT_EQ(atEnd.info.widthInches, 0);
    EXPECT_EQ(atEnd.info.heightInches, 0);

    // A short file: the scan reaches the trailer, whose box then counts.
    Scanned trailer;
    ScanFile(dir.Write("d.eps",
                       "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: (atend)\n%%EndComments\nshowpage\n"
                       "%%Trailer\n%%BoundingBox: 0 0 36 36\n%%EOF\n"),
             &trailer);
    EXPECT_DOUBLE_EQ(trailer.info.widthInches, 0.5);

    Scanned creators;
    ScanFile(dir.Write("e.eps",
                       Eps("%%Creator: First App\n%%Creator: (Second App 2.0)\n%%Creator:\n%%Creator: ()")),
             &creators);
    EXPECT_EQ(Text(creators.info.creator), "Second App 2.0");
}

TEST(ParseEpsHeader, ColourModeFromColourAndPreviewComments) {
    TempDir dir;
    auto mode = [&](const std::string& comments) {
        Scanned s;
        ScanFile(dir.Write("m.eps", Eps(comments)), &s);
        EXPECT_EQ(s.status, kOk);
        return s.info.colorMode;
    };
    EXPECT_EQ(mode("%%DocumentProcessColors: Cyan Magenta Yellow Black"), kColour);
    EXPECT_EQ(mode("%%DocumentProcessColors:  yellow MAGENTA cyan"), kColour);
    EXPECT_EQ(mode("%%DocumentProcessColors: Black"), kOneBit);
    EXPECT_EQ(mode("%%DocumentProcessColors: Cyan Magenta\n%%+ Yellow"), kOneBit);
    EXPECT_EQ(mode("%%ColorUsage: Color"), kColour);
    EXPECT_EQ(mode("%AI3_ColorUsage: Color"), kColour);
    EXPECT_EQ(mode("%%ColorUsage: color"), kOneBit);
    EXPECT_EQ(mode("%%ColorUsage: Black&White"), kOneBit);
    EXPECT_EQ(mode("%%DocumentPreview: PC_ColorTIFF"), kGreyscale);
    EXPECT_EQ(mode("%AI3_DocumentPreview: Macintosh_ColorPic"), kGreyscale);
    EXPECT_EQ(mode("%%DocumentPreview: Macintosh_Picture"), kOneBit);
    EXPECT_EQ(mode("%%ColorUsage: Color\n%%DocumentPreview: PC_ColorTIFF"), kColour);
}

TEST(ParseEpsHeader, ListRunsTakeOneEntryPerLine) {
    TempDir dir;
    Scanned s;
    ScanFile(dir.Write("l.eps",
                       Eps("%%DocumentFonts: Times-Roman Helvetica\n%%+ Courier\n%%Creator: after the run\n"
                           "%%DocumentCustomColors: (Pantone 300 CV)\n%%+\n"
                           "%%CMYKProcessColor: 0.1 0.2 0.3 0.4 (Spot Blue)\n%%+ 1 0 0 0 Cyan Tint\n"
                           "%%DocumentFiles: (atend)\n%%+ (Disk:Images:pic.tif)")),
             &s);
    ASSERT_EQ(s.status, kOk);
    EXPECT_EQ(Entries(s.info.fonts), (std::vector<std::string>{"Times-Roman Helvetica", "Courier"}));
    EXPECT_EQ(s.info.fontCount, 2u);
    EXPECT_EQ(Text(s.info.creator), "after the run");
    EXPECT_EQ(Entries(s.info.customColors),
              (std::vector<std::string>{"Pantone 300 CV", "", "Spot Blue", "Cyan Tint"}));
    EXPECT_EQ(s.info.customColorCount, 4u);
    EXPECT_EQ(Entries(s.info.files), (std::vector<std::string>{"atend", "Disk:Images:pic.tif"}));
    EXPECT_EQ(s.info.fileCount, 2u);

    // The run itself reads the line after it; a file that ends inside the run is broken.
    Scanned cut;
    ScanFile(
        dir.Write("cut.eps", "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: cut short\n%%DocumentFonts: Courier\n"),
        &cut);
    EXPECT_EQ(cut.status, kErrEof);
    EXPECT_EQ(cut.info.fonts, nullptr);
}

TEST(ParseEpsHeader, RecognisesEveryOpiSystem) {
    TempDir dir;
    struct Case {
        const char* comments;
        uint32_t system;
        const char* hiRes;
    };
    const Case cases[] = {
        {"%%Title: none", kOpiNone, ""},
        {"%ALDImageFileName:   Server:Images:pic.tif", kOpiUnknown, "Server:Images:pic.tif"},
        {"%%HeliosRefID: 1234", kOpiHelios, ""},
        {"%%HeliosIncludeEPS: (Vol:hires:pic.eps) extra", kOpiHelios, "Vol:hires:pic.eps"},
        {"%%CompFileName:  D:\\hires\\pic.tif", kOpiColorCentral, "D:\\hires\\pic.tif"},
        {"%%FSSampleHiResBinPath: Server:Bin:", kOpi4Sight, "Server:Bin:opi.eps"},
        {"%%For: 4Sight LinoPrint", kOpiLinoPrint, ""},
        {"%%IPTSourceType: tiff", kOpiIptGetThePicture, ""},
        {"%%IPTSourceType:tiff", kOpiNone, ""},
        {"%9BitsRef: 4\n%0A0B\n%0C0D\n%%Creator: examined after the block", kOpiNineBits, ""},
        {"%%CompFileName: hires.tif\n%%FSSampleHiResBinPath: Bin:", kOpiColorCentral, "Bin:opi.eps"},
        {"%%FSSampleHiResBinPath: Bin:\n%%CompFileName: hires.tif", kOpiColorCentral, "hires.tif"},
        {"%%HeliosRefID: 1\n%ALDImageFileName: x.tif", kOpiHelios, "x.tif"},
    };
    for (const Case& c : cases) {
        Scanned s;
        ScanFile(dir.Write("opi.eps", Eps(c.comments)), &s);
        ASSERT_EQ(s.status, kOk) << c.comments;
        EXPECT_EQ(s.info.opiSystem, c.system) << c.comments;
        EXPECT_EQ(Text(s.info.opiHiResFileName), c.hiRes) << c.comments;
    }
    Scanned nineBits;
    ScanFile(dir.Write("nb.eps", Eps(cases[9].comments)), &nineBits);
    EXPECT_EQ(Text(nineBits.info.creator), "examined after the block");
}

TEST(ParseEpsHeader, StopsAfterTwentyOneLinesOfCode) {
    TempDir dir;
    auto creatorAfter = [&](int codeLines, bool commentsBetween) {
        std::string text = "%!PS-Adobe-3.0 EPSF-3.0\n";
        for (int i = 0; i < codeLines; ++i) text += commentsBetween ? "0 0 moveto\n% note\n" : "0 0 moveto\n";
        text += "%%Creator: late\n%%EOF\n";
        Scanned s;
        ScanFile(dir.Write("stop.eps", text), &s);
        EXPECT_EQ(s.status, kOk);
        return Text(s.info.creator);
    };
    EXPECT_EQ(creatorAfter(20, false), "late");
    EXPECT_EQ(creatorAfter(20, true), "late");
    EXPECT_EQ(creatorAfter(21, false), "");
    EXPECT_EQ(creatorAfter(21, true), "");

    // Code lines add up across the comments between them.
    std::string text = "%!PS-Adobe-3.0\n";
    for (int i = 0; i < 10; ++i) text += "0 0 moveto\n";
    text += "%%Title: between\n%%DocumentFonts: a\n%%+ b\n";
    for (int i = 0; i < 11; ++i) text += "0 0 lineto\n";
    text += "%%Creator: too late\n%%EOF\n";
    Scanned s;
    ScanFile(dir.Write("sum.eps", text), &s);
    EXPECT_EQ(Text(s.info.creator), "");
    EXPECT_EQ(s.info.fontCount, 2u);
}

TEST(ParseEpsHeader, PhotoshopBlockGivesResolution) {
    TempDir dir;
    std::string resource = ResolutionResource(300);
    std::string n = std::to_string(resource.size());
    Scanned s;
    ScanFile(dir.Write("ps.eps", Eps("%%BoundingBox: 0 0 72 72\n%BeginPhotoshop: " + n + "\n" +
                                     HexLines(resource) + "\n%EndPhotoshop\n%%Creator: after")),
             &s);
    ASSERT_EQ(s.status, kOk);
    EXPECT_DOUBLE_EQ(s.info.hResolution, 300);
    EXPECT_DOUBLE_EQ(s.info.vResolution, 300);
    EXPECT_EQ(Text(s.info.creator), "after");

    // A block shorter than announced is ignored.
    Scanned shortBlock;
    ScanFile(dir.Write("short.eps", Eps("%BeginPhotoshop: " + std::to_string(resource.size() + 2) + "\n" +
                                        HexLines(resource))),
             &shortBlock);
    EXPECT_EQ(shortBlock.status, kOk);
    EXPECT_EQ(shortBlock.info.hResolution, 0);

    // A complete block without a resolution resource makes the file unusable.
    std::string other = resource;
    other[5] = '\x04';
    Scanned noResolution;
    ScanFile(dir.Write("nores.eps", Eps("%BeginPhotoshop: " + n + "\n" + HexLines(other))), &noResolution);
    EXPECT_EQ(noResolution.status, kErrFormat);
    EXPECT_EQ(noResolution.info.fonts, nullptr);
}

TEST(ParseEpsHeader, ImageDataBeforeAnyBoundingBoxLeavesResolutionAtZero) {
    TempDir dir;
    Scanned s;
    ScanFile(
        dir.Write("id.eps", Eps("%ImageData: 300 200 8 3 0 1 1 \"beginimage\"\n%%BoundingBox: 0 0 72 72")),
        &s);
    ASSERT_EQ(s.status, kOk);
    EXPECT_EQ(s.info.hResolution, 0);
    EXPECT_EQ(s.info.vResolution, 0);
    EXPECT_EQ(s.info.colorMode, kColour);
}

TEST(ParseEpsHeader, DcsMainFileTakesResolutionFromItsPlate) {
    TempDir dir;
    std::string main =
        dir.Write("pict.eps", Eps("%%BoundingBox: 0 0 144 72\n%%CyanPlate: pict.C\n%%MagentaPlate: pict.M"));
    Scanned alone;
    ScanFile(main, &alone);
    ASSERT_EQ(alone.status, kOk);
    EXPECT_EQ(alone.info.dcsKind, kDcsMain);
    EXPECT_EQ(alone.info.hResolution, 0);
    EXPECT_EQ(alone.info.colorMode, kOneBit);

    dir.Write("pict.M", Eps("%%BoundingBox: 0 0 144 72\n%ImageData: 300 150 8 1 0 1 1 \"beginimage\""));
    Scanned withPlate;
    ScanFile(main, &withPlate);
    EXPECT_DOUBLE_EQ(withPlate.info.hResolution, 150);
    EXPECT_DOUBLE_EQ(withPlate.info.vResolution, 150);
    EXPECT_EQ(withPlate.info.colorMode, kColour);

    // The line after an ICS plate comment is skipped unseen.
    std::string ics = dir.Write("lino.eps", Eps("%LINOCyanPlate: lino.C\n%%Creator: skipped\n%%Title: x"));
    Scanned linotype;
    ScanFile(ics, &linotype);
    EXPECT_EQ(linotype.info.dcsKind, kIcsMain);
    EXPECT_EQ(Text(linotype.info.creator), "");
}

TEST(ParseEpsHeader, MalformedInputStaysInsideItsBuffers) {
    TempDir dir;
    auto scan = [&](const std::string& bytes) {
        Scanned s;
        ScanFile(dir.Write("bad.eps", bytes), &s);
        return s.status;
    };
    EXPECT_EQ(scan(Eps("%BeginPhotoshop: 2147483647\n%3842494D03\n%ABC\n%zz")), kOk);
    EXPECT_EQ(scan(Eps("%BeginPhotoshop: -5\n%3842")), kOk);
    EXPECT_EQ(scan(Eps("%9BitsRef: 99999999999999999999\n%0")), kOk);
    EXPECT_EQ(scan("%!PS-Adobe-3.0\n%BeginPhotoshop: 40\n%38424D"), kErrEof);
    EXPECT_EQ(scan("%!PS-Adobe-3.0\n%LINOCyanPlate: x.C"), kErrEof);
    std::string garbage = "%!PS-Adobe-3.0 EPSF-3.0\n";
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
    EXPECT_EQ(scan(garbage), kOk);
    EXPECT_EQ(scan(Eps("%%Creator: " + std::string(600, 'c') + "\n%%BoundingBox: 1e9 -- .. 72")), kOk);
    EXPECT_EQ(scan(Eps("%%CompFileName: " + std::string(400, 'p') +
                       "\n%%FSSampleHiResBinPath: " + std::string(300, 'q'))),
              kOk);
    EXPECT_EQ(scan(Eps(std::string(1000, '%'))), kOk);
}

// Expected values read by hand from the comments at the head of each sample.
TEST(ParseEpsHeader, AgreesWithTheCommentsOfRealFiles) {
    const std::filesystem::path corpus = "/work/shared/corpus";
    if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no sample corpus";
    struct Expected {
        const char* file;
        double widthPoints;
        double heightPoints;
        const char* creator;
        uint32_t colorMode;
    };
    const Expected samples[] = {
        {"pillow/non_zero_bb.eps", 360, 252, "gnuplot 4.6 patchlevel 3", kOneBit},
        {"pillow/pil_sample_cmyk.eps", 100, 100, "PIL 0.1 EpsEncode", kColour},
        {"pillow/illu10_preview.eps", 402.5206, 2447.3936, "Adobe Illustrator(R) 16.0", kOneBit},
        {"exiv2/eps-flat_oodraw-lev1.eps", 539, 785, "Sun Microsystems, Inc.", kOneBit},
        {"exiv2/eps-flat_oodraw-lev2_eps2eps.eps", 212.8, 170.080078, "GPL Ghostscript 862 (epswrite)",
         kOneBit},
        {"exiv2/eps-flat_oodraw_ai-3-lev2.eps", 213, 170, "Adobe Illustrator(TM) 3.2", kColour},
        {"exiv2/eps-flat_inkscape-epsi.eps", 100, 100, "inkscape 0.46", kOneBit},
        {"exiv2/eps-flat_photoshop-cs5-ascii-pre.eps", 11.1, 14.1,
         "Adobe Photoshop Version 12.0.2x20101122 [20101122.r.1204 2010/11/22:02:00:00 cutoff; r branch]",
         kColour},
        {"drewnoakes/mathematica.eps", 288, 177.938, "Mathematica Macintosh 3.0", kOneBit},
        {"drewnoakes/VENUS.EPS", 360, 180, "HiJaak 2.1", kOneBit},
        {"artifexsoftware/state.eps", 912, 257, "fig2dev Version 3.2 Patchlevel 3d", kOneBit},
        {"artifexsoftware/golfer.eps", 570, 695, "Adobe Illustrator(TM) 1.0b2-", kOneBit},
        {"apache/barcode.eps", 135.6548, 42.525, "Barcode4J (http://barcode4j.krysalis.org)", kOneBit},
        {"apache/logo.eps", 76, 76, "GIMP PostScript file plugin V 1.12 by Peter Kirchgessner", kOneBit},
        {"matplotlib/empty.eps", 576, 432, "Matplotlib v3.11.0.dev1902+g829a9cc1d, https://matplotlib.org/",
         kOneBit},
    };
    for (const Expected& e : samples) {
        std::string path = (corpus / e.file).string();
        if (!std::filesystem::exists(path)) continue;
        Scanned s;
        ScanFile(path, &s);
        ASSERT_EQ(s.status, kOk) << e.file;
        EXPECT_NEAR(s.info.widthInches * 72, e.widthPoints, 1e-6) << e.file;
        EXPECT_NEAR(s.info.heightInches * 72, e.heightPoints, 1e-6) << e.file;
        EXPECT_EQ(Text(s.info.creator), e.creator) << e.file;
        EXPECT_EQ(s.info.colorMode, e.colorMode) << e.file;
    }
    Scanned photoshop;
    ScanFile((corpus / "exiv2/eps-flat_photoshop-cs5-ascii-pre.eps").string(), &photoshop);
    EXPECT_NEAR(photoshop.info.hResolution, 240, 1e-9);
    Scanned inkscape;
    ScanFile((corpus / "exiv2/eps-flat_inkscape-epsi.eps").string(), &inkscape);
    EXPECT_EQ(Entries(inkscape.info.fonts), std::vector<std::string>{""});
}

}  // namespace
}  // namespace aldra
