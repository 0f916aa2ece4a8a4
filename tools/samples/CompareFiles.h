// The files of the folder we measure against other programs: each is a complete PostScript program
// that an interpreter can draw (so the PostScript renderer does its real work), with the stored
// pictures and metadata that the producing applications write. Variations come from the file's
// index, so that two runs write the same folder.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SampleFiles.h"
#include "fixtures/Jpeg.h"

namespace aldra::samples::compare {

// ---- Small helpers --------------------------------------------------------------------------

// A deterministic choice among n for file `index` and purpose `salt`.
inline uint32_t Pick(uint32_t index, uint32_t salt, uint32_t n) {
    uint64_t x = (uint64_t{index} << 20) ^ (uint64_t{salt} * 0x9E3779B97F4A7C15ull);
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return static_cast<uint32_t>(x % n);
}

// Photoshop's thumbnail resource (1033), whose pixels are stored blue, green, red, compressed as
// Photoshop does with the chroma subsampled.
inline std::string ThumbnailResource1033(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> bgr = rgb;
    for (size_t i = 0; i + 2 < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
    std::string jpeg =
        EncodeJpeg(width, height, 3, bgr, JpegOptions().WithQuality(80).WithChromaSubsampling());
    return ImageResource(1033, ThumbnailResourceData(width, height, jpeg));
}

inline std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return text;
}

// A DSC list comment: the first item on the keyword's line, the others on "%%+" lines.
inline std::string ListComment(const char* keyword, const std::vector<std::string>& items,
                               const char* prefix = "") {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i == 0 ? std::string(keyword) + " " : std::string("%%+ ")) + prefix + items[i] + "\n";
    return out;
}

inline const std::vector<std::string>& FontNames() {
    static const std::vector<std::string> fonts = {
        "Helvetica",      "Helvetica-Bold", "Times-Roman",       "Times-Italic",   "Courier",
        "Palatino-Roman", "Futura-Book",    "MyriadPro-Regular", "MinionPro-Bold", "Frutiger-Light"};
    return fonts;
}

inline std::vector<std::string> PickFonts(uint32_t index) {
    std::vector<std::string> chosen;
    uint32_t count = 1 + Pick(index, 11, 3);
    uint32_t first = Pick(index, 12, static_cast<uint32_t>(FontNames().size()));
    for (uint32_t i = 0; i < count; ++i) chosen.push_back(FontNames()[(first + i * 3) % FontNames().size()]);
    return chosen;
}

struct Box {
    uint32_t width, height;  // points
};

inline Box PickBox(uint32_t index, uint32_t salt) {
    static const Box boxes[] = {{432, 288}, {360, 504}, {612, 792}, {288, 288}, {595, 842},
                                {420, 595}, {720, 405}, {252, 144}, {500, 375}};
    return boxes[Pick(index, salt, sizeof boxes / sizeof boxes[0])];
}

// ---- DOS EPS files with a TIFF preview ------------------------------------------------------

// Vector artwork of the harbour scene: bands of sky, the sun, the sea with its reflection, and a
// caption line in each named font.
inline std::string HarbourArtwork(const Box& box, const std::vector<std::string>& fonts) {
    std::string ps = "%%BeginSetup\n%%EndSetup\n%%Page: 1 1\ngsave\n";
    const double w = box.width, h = box.height, horizon = h * 0.38;
    for (int i = 0; i < 16; ++i) {
        Rgb c = Mix({250, 150, 70}, {92, 60, 140}, i / 15.0);
        double y0 = horizon + (h - horizon) * i / 16.0;
        ps += Num(c.r / 255) + " " + Num(c.g / 255) + " " + Num(c.b / 255) + " setrgbcolor 0 " + Num(y0) +
              " " + Num(w) + " " + Num((h - horizon) / 16.0 + 0.5) + " rectfill\n";
    }
    ps += "1 0.89 0.47 setrgbcolor newpath " + Num(w * 0.7) + " " + Num(h * 0.5) + " " + Num(h * 0.06) +
          " 0 360 arc closepath fill\n";
    for (int i = 0; i < 12; ++i) {
        Rgb c = Mix({30, 60, 110}, {10, 25, 60}, i / 11.0);
        ps += Num(c.r / 255) + " " + Num(c.g / 255) + " " + Num(c.b / 255) + " setrgbcolor 0 " +
              Num(horizon - horizon * (i + 1) / 12.0) + " " + Num(w) + " " + Num(horizon / 12.0 + 0.5) +
              " rectfill\n";
        ps += "0.98 0.75 0.35 setrgbcolor " + Num(w * 0.64) + " " +
              Num(horizon - horizon * (i + 0.6) / 12.0) + " " + Num(w * 0.12) + " " + Num(horizon / 40.0) +
              " rectfill\n";
    }
    double y = h * 0.9;
    for (const std::string& font : fonts) {
        ps += "/" + font + " findfont 14 scalefont setfont 1 1 1 setrgbcolor 24 " + Num(y) +
              " moveto (Harbour at dusk) show\n";
        y -= 20;
    }
    ps += "grestore\nshowpage\n%%Trailer\n%%EOF\n";
    return ps;
}

inline std::string DosTiffEpsFile(uint32_t index) {
    static const char* creators[] = {"Adobe Illustrator(R) 8.0", "CorelDRAW 9", "Macromedia FreeHand 9",
                                     "QuarkXPress(tm) 4.11", "Adobe Photoshop Version 7.0"};
    Box box = PickBox(index, 1);
    bool withText = Pick(index, 2, 2) == 0;
    std::vector<std::string> fonts = withText ? PickFonts(index) : std::vector<std::string>{};
    std::string head = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: " + std::string(creators[Pick(index, 3, 5)]) +
                       "\n%%Title: harbour-" + std::to_string(index) +
                       ".eps\n%%CreationDate: 2026-12-01\n%%For: Aldra archive\n%%BoundingBox: 0 0 " +
                       std::to_string(box.width) + " " + std::to_string(box.height) +
                       "\n%%LanguageLevel: 2\n" + "%%DocumentProcessColors: Cyan Magenta Yellow Black\n";
    if (!fonts.empty()) head += ListComment("%%DocumentFonts:", fonts);
    head += "%%EndComments\n%%BeginProlog\n%%EndProlog\n";
    // A preview at about 72 pixels an inch, no larger than 300 pixels.
    double scale = std::min(1.0, 300.0 / std::max(box.width, box.height));
    uint32_t pw = std::max(1u, static_cast<uint32_t>(box.width * scale));
    uint32_t ph = std::max(1u, static_cast<uint32_t>(box.height * scale));
    static const uint32_t compressions[] = {5, 5, 5, 32773, 1};
    return DosEpsFile(head + HarbourArtwork(box, fonts),
                      RgbTiff(pw, ph, HarbourPixel, compressions[Pick(index, 4, 5)]));
}

// ---- Photoshop EPS files with a JPEG thumbnail and IPTC data --------------------------------

struct IptcText {
    std::string objectName, byline, caption;
    std::vector<std::string> keywords;
    bool utf8 = false;  // announced by the coded character set data set 1:90
};

inline IptcText PickIptc(uint32_t index) {
    static const char* words[] = {"lighthouse", "coast",     "summer", "harbour",   "boats",
                                  "evening",    "north sea", "travel", "landscape", "architecture"};
    IptcText t;
    t.objectName = "Lighthouse " + std::to_string(index);
    t.byline = "Aldra archive";
    t.caption = "The lighthouse at the harbour mouth, picture " + std::to_string(index) + ".";
    uint32_t count = 1 + Pick(index, 21, 5);
    for (uint32_t i = 0; i < count; ++i) t.keywords.push_back(words[(Pick(index, 22, 10) + i * 7) % 10]);
    switch (Pick(index, 23, 10)) {
        case 0:  // Latin-1 text, as older Photoshop versions wrote it
            t.keywords.push_back("C\xF4te d'Azur");
            t.caption =
                "Le phare \xE0 l'entr\xE9"
                "e du port.";
            break;
        case 1:  // UTF-8 text with its coded character set
            t.utf8 = true;
            t.keywords.push_back("C\xC3\xB4te d'Azur");
            t.caption =
                "Le phare \xC3\xA0 l'entr\xC3\xA9"
                "e du port.";
            break;
        case 3:  // a creator in UTF-8 without a declared character set, as current programs write it
            t.byline = "Jos\xC3\xA9 Mart\xC3\xADnez";
            break;
        case 2:  // a caption of several lines
            t.caption = "The lighthouse at the harbour mouth.\rSeen from the north pier.";
            break;
        default:
            break;
    }
    return t;
}

inline std::string IptcRecord(const IptcText& t) {
    std::string record;
    if (t.utf8) record += IptcDataSetBytes(1, 90, "\x1B%G");
    record += IptcDataSetBytes(2, 0, std::string("\x00\x04", 2));
    record += IptcDataSetBytes(2, 5, t.objectName) + IptcDataSetBytes(2, 80, t.byline);
    for (const std::string& k : t.keywords) record += IptcDataSetBytes(2, 25, k);
    return record + IptcDataSetBytes(2, 120, t.caption);
}

// How the picture's samples follow the start word: hexadecimal lines of 64 bytes (%ImageData type
// 2), as Photoshop's ASCII encoding writes them, or a baseline JPEG stream in ASCII85 text (type 3),
// as its JPEG encodings do.
enum class SampleText { kHex, kJpegAscii85 };

// The header, resources and code in front of the picture's samples, as Photoshop writes them; the
// samples follow, then `PhotoshopTail()`. JPEG text is `textBytes` long; the length of hex lines
// follows from the picture's size.
inline std::string PhotoshopHead(const std::string& title, uint32_t width, uint32_t height, double ppi,
                                 const std::string& resources, SampleText text = SampleText::kHex,
                                 uint64_t textBytes = 0) {
    double w = width * 72.0 / ppi, h = height * 72.0 / ppi;
    std::string box = "0 0 " + std::to_string(static_cast<uint32_t>(w + 0.999)) + " " +
                      std::to_string(static_cast<uint32_t>(h + 0.999));
    std::string hiRes = "0 0 " + Num(w) + " " + Num(h);
    std::string head = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Adobe Photoshop Version 7.0\n%%Title: " + title +
                       "\n%%CreationDate: 12/1/2026 10:00 AM\n%%BoundingBox: " + box +
                       "\n%%HiResBoundingBox: " + hiRes + "\n%%SuppressDotGainCompensation\n" +
                       "%%DocumentProcessColors: Cyan Magenta Yellow Black\n%%EndComments\n" +
                       "%%BeginProlog\n%%EndProlog\n%%BeginSetup\n%%EndSetup\n" + PhotoshopBlock(resources) +
                       "\n";
    const bool hex = text == SampleText::kHex;
    std::string w_s = std::to_string(width), h_s = std::to_string(height);
    head += "%ImageData: " + w_s + " " + h_s + (hex ? " 8 3 0 1 2" : " 8 3 0 1 3") + " \"beginimage\"\n";
    head += "gsave\n40 dict begin\n/_image systemdict /image get def\n/picstr " + std::to_string(width * 3) +
            " string def\n" + Num(w) + " " + Num(h) + " scale\n/beginimage {\n" + w_s + " " + h_s + " 8 [" +
            w_s + " 0 0 -" + h_s + " 0 " + h_s + "]\n" +
            (hex ? "{currentfile picstr readhexstring pop}"
                 : "currentfile /ASCII85Decode filter /DCTDecode filter") +
            " false 3 colorimage\n} def\n";
    uint64_t sampleBytes = uint64_t{width} * height * 3;
    // "beginimage" and its line end, then the text and the line end behind its last line.
    uint64_t binary = 11 + (hex ? sampleBytes * 2 + (sampleBytes + 63) / 64 : textBytes + 1);
    head += "%%BeginBinary: " + std::to_string(binary) + "\nbeginimage\n";
    return head;
}

inline std::string PhotoshopTail() {
    return "%%EndBinary\nend\ngrestore\nshowpage\n%%PageTrailer\n%%Trailer\n%%EOF\n";
}

inline std::string PhotoshopJpegEpsFile(uint32_t index) {
    static const uint32_t widths[] = {200, 240, 320, 400, 480};
    static const double resolutions[] = {72, 150, 200, 300};
    uint32_t width = widths[Pick(index, 31, 5)];
    uint32_t height = width * (2 + Pick(index, 32, 3)) / 3;
    double ppi = resolutions[Pick(index, 33, 4)];
    std::vector<uint8_t> rgb = Painted(width, height, LighthousePixel).rows;
    // Photoshop's thumbnail fits into 160 pixels.
    double t = 160.0 / std::max(width, height);
    uint32_t tw = std::max(1u, static_cast<uint32_t>(width * t)),
             th = std::max(1u, static_cast<uint32_t>(height * t));
    std::vector<uint8_t> thumb = Painted(tw, th, LighthousePixel).rows;
    uint32_t fixed = static_cast<uint32_t>(ppi * 65536);
    std::string resources = ImageResource(1005, ResolutionInfo(fixed, fixed)) +
                            ImageResource(1028, IptcRecord(PickIptc(index))) +
                            ThumbnailResource1033(tw, th, thumb);
    std::string file =
        PhotoshopHead("lighthouse-" + std::to_string(index) + ".eps", width, height, ppi, resources);
    HexWriter(64).Append(rgb.data(), rgb.size(), &file);
    return file + "\n" + PhotoshopTail();
}

// Row y of the lighthouse, with a little texture so that the rows do not repeat.
inline void LighthouseRow(uint32_t y, uint32_t width, uint32_t height, uint8_t* row) {
    for (uint32_t x = 0; x < width; ++x) {
        Rgb c = LighthousePixel(x, y, width, height);
        int grain = static_cast<int>((x * 7 + y * 13) % 9) - 4;
        row[x * 3] = static_cast<uint8_t>(std::clamp<int>(static_cast<int>(c.r) + grain, 0, 255));
        row[x * 3 + 1] = static_cast<uint8_t>(std::clamp<int>(static_cast<int>(c.g) + grain, 0, 255));
        row[x * 3 + 2] = static_cast<uint8_t>(std::clamp<int>(static_cast<int>(c.b) + grain, 0, 255));
    }
}

inline bool WriteText(std::FILE* out, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

// A Photoshop EPS file whose only picture is its %ImageData samples: a lighthouse 8 inches wide,
// written to `out`. Hex lines are written a row at a time, whatever the picture's size; the JPEG
// stream is compressed whole first. `moreResources` follow the resolution in the Photoshop block.
inline bool WriteImageDataFile(std::FILE* out, uint32_t width, uint32_t height, const std::string& title,
                               SampleText text, const std::string& moreResources = "") {
    double ppi = width / 8.0;
    uint32_t fixed = static_cast<uint32_t>(ppi * 65536);
    std::string resources = ImageResource(1005, ResolutionInfo(fixed, fixed)) + moreResources;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    if (text == SampleText::kJpegAscii85) {
        std::vector<uint8_t> samples(row.size() * height);
        for (uint32_t y = 0; y < height; ++y) LighthouseRow(y, width, height, &samples[row.size() * y]);
        std::string ascii85 = Ascii85(
            EncodeJpeg(width, height, 3, samples, JpegOptions().WithQuality(80).WithChromaSubsampling()));
        return WriteText(out, PhotoshopHead(title, width, height, ppi, resources, text, ascii85.size())) &&
               WriteText(out, ascii85 + "\n") && WriteText(out, PhotoshopTail());
    }
    if (!WriteText(out, PhotoshopHead(title, width, height, ppi, resources))) return false;
    std::string lines;
    HexWriter hex(64);
    for (uint32_t y = 0; y < height; ++y) {
        LighthouseRow(y, width, height, row.data());
        hex.Append(row.data(), row.size(), &lines);
        if (lines.size() > (1u << 20) || y + 1 == height) {
            if (y + 1 == height) lines += '\n';
            if (!WriteText(out, lines)) return false;
            lines.clear();
        }
    }
    return WriteText(out, PhotoshopTail());
}

// The same picture at about `megabytes` of hex text, with IPTC data.
inline bool WriteLargeImageDataFile(std::FILE* out, uint64_t megabytes, const std::string& title) {
    // 2 hex digits a byte and a line feed every 64 bytes: 129/64 characters per sample byte.
    double pixels = static_cast<double>(megabytes) * 1e6 * 64.0 / 129.0 / 3.0;
    uint32_t width = std::max(4u, static_cast<uint32_t>(std::sqrt(pixels * 4.0 / 3.0)));
    uint32_t height = std::max(3u, static_cast<uint32_t>(pixels / width));
    IptcText iptc = PickIptc(static_cast<uint32_t>(megabytes));
    return WriteImageDataFile(out, width, height, title, SampleText::kHex,
                              ImageResource(1028, IptcRecord(iptc)));
}

// ---- Illustrator drawings with %AI7_Thumbnail -----------------------------------------------

// The operators of the artwork below, defined so that any PostScript interpreter can draw it.
inline const char* IllustratorProcSet() {
    return "%%BeginResource: procset Aldra_AI_Ops 1.0 0\n"
           "/Aldra_AI_Ops 40 dict def Aldra_AI_Ops begin\n"
           "/m {moveto} bind def /l {lineto} bind def /c {curveto} bind def\n"
           "/f {closepath fill} bind def /F {fill} bind def /s {closepath stroke} bind def\n"
           "/S {stroke} bind def /w {setlinewidth} bind def /k {setcmykcolor} bind def\n"
           "/x {pop pop setcmykcolor} bind def /O {pop} bind def /A {pop} bind def\n"
           "/annotatepage {} def /To {pop gsave} bind def /TP {} def /TO {grestore} bind def /Tr {pop} bind "
           "def\n"
           "/Tp {pop 6 array astore concat 0 0 moveto} bind def /Tx {show} bind def\n"
           "/Tf {exch dup length string cvs dup length 1 sub 1 exch getinterval cvn findfont exch\n"
           " scalefont setfont} bind def\n"
           "end\n%%EndResource\n";
}

// An XMP packet naming the fonts, hidden from the interpreter by a filter that skips to its end.
inline std::string IllustratorXmp(uint32_t index, const std::vector<std::string>& fonts) {
    std::string packet =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
        " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
        " xmlns:xmpTPg=\"http://ns.adobe.com/xap/1.0/t/pg/\"\n"
        " xmlns:stFnt=\"http://ns.adobe.com/xap/1.0/sType/Font#\">\n"
        "<xmp:CreatorTool>Adobe Illustrator CS2</xmp:CreatorTool>\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">poster-" +
        std::to_string(index) + "</rdf:li></rdf:Alt></dc:title>\n<xmpTPg:Fonts><rdf:Bag>\n";
    for (const std::string& font : fonts)
        packet += "<rdf:li rdf:parseType=\"Resource\"><stFnt:fontName>" + font +
                  "</stFnt:fontName><stFnt:fontType>Type 1</stFnt:fontType></rdf:li>\n";
    packet +=
        "</rdf:Bag></xmpTPg:Fonts>\n</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n"
        "<?xpacket end=\"w\"?>\n";
    return "%begin_xml_code\ncurrentfile 0 (% &&end XMP packet marker&&) /SubFileDecode filter flushfile\n"
           "%begin_xml_packet: " +
           std::to_string(packet.size()) + "\n" + packet +
           "% &&end XMP packet marker&&\n%end_xml_packet\n%end_xml_code\n";
}

inline std::string IllustratorFile(uint32_t index) {
    Box box = PickBox(index, 41);
    bool xmp = Pick(index, 42, 2) == 0;
    std::vector<std::string> fonts = PickFonts(index);
    double t = 128.0 / std::max(box.width, box.height);
    uint32_t tw = std::max(1u, static_cast<uint32_t>(box.width * t)),
             th = std::max(1u, static_cast<uint32_t>(box.height * t));
    std::string thumbnail = Ai7ThumbnailBytes(tw, th);
    const char* creator = xmp                  ? "Adobe Illustrator(R) 12"
                          : Pick(index, 43, 2) ? "Adobe Illustrator(R) 8.0"
                                               : "Adobe Illustrator(R) 10.0";
    std::string w = std::to_string(box.width), h = std::to_string(box.height);
    std::string head = "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: " + std::string(creator) +
                       "\n%%For: (Aldra archive) ()\n%%Title: (poster-" + std::to_string(index) +
                       ".ai)\n%%CreationDate: (12/1/2026) (10:00 AM)\n%%BoundingBox: 0 0 " + w + " " + h +
                       "\n%%HiResBoundingBox: 0 0 " + w + " " + h +
                       "\n%%DocumentProcessColors: Cyan Magenta Yellow Black\n";
    head += ListComment("%%DocumentFonts:", fonts);
    head += ListComment("%%DocumentNeededResources:", fonts, "font ");
    head += "%%DocumentCustomColors: (Festival Red)\n%%CMYKCustomColor: 0 0.85 0.75 0 (Festival Red)\n";
    if (xmp) head += "%ADO_ContainsXMP: MainFirst\n";
    head += "%AI5_FileFormat 4.0\n%AI3_ColorUsage: Color\n%AI7_ImageSettings: 0\n";
    head += Ai7ThumbnailBlock(tw, th, thumbnail) + "\n%%EndComments\n";
    if (xmp) head += IllustratorXmp(index, fonts);
    std::string text = head + "%%BeginProlog\n" + IllustratorProcSet() + "%%EndProlog\n%%BeginSetup\n" +
                       "Aldra_AI_Ops begin\n%%EndSetup\n";
    double bw = box.width, bh = box.height;
    text += "0 A\n0 0.85 0.75 0 (Festival Red) 0 x\n0 O\n";
    text += Num(bw * 0.3) + " " + Num(bh * 0.3) + " m\n" + Num(bw * 0.7) + " " + Num(bh * 0.3) + " l\n" +
            Num(bw * 0.7) + " " + Num(bh * 0.6) + " l\n" + Num(bw * 0.3) + " " + Num(bh * 0.6) + " l\nf\n";
    text += "0 0.2 0.9 0 k\n" + Num(bw * 0.5) + " " + Num(bh * 0.45) + " m\n" + Num(bw * 0.8) + " " +
            Num(bh * 0.2) + " " + Num(bw * 0.2) + " " + Num(bh * 0.2) + " " + Num(bw * 0.5) + " " +
            Num(bh * 0.45) + " c\nf\n";
    double y = bh * 0.85;
    for (size_t i = 0; i < fonts.size(); ++i) {
        text += "0 To\n1 0 0 1 " + Num(bw * 0.1) + " " + Num(y) + " 0 Tp\nTP\n0 Tr\n0 0 0 1 k\n/_" +
                fonts[i] + " " + std::to_string(i == 0 ? 36 : 18) + " Tf\n(" +
                (i == 0 ? "Summer Festival" : "by the harbour") + ") Tx\nTO\n";
        y -= i == 0 ? 44 : 24;
    }
    text += "%%PageTrailer\ngsave annotatepage grestore showpage\nend\n%%Trailer\n%%EOF\n";
    return text;
}

}  // namespace aldra::samples::compare
