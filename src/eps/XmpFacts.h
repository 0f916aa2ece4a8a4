// The facts Illustrator writes into its XMP packet: the creator tool, the fonts of the document, its
// swatches and its separation plates; and the document's title, description, creators, keywords,
// rating and dates, which any XMP writer may give. EPS and PDF-based files read them alike, in
// element or attribute form and under the old "xap" prefixes as under the new (XmpProperties.h).
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "eps/XmpProperties.h"

namespace aldra {

struct XmpFacts {
    std::string creatorTool;
    std::vector<std::string> fonts;     // stFnt:fontName of each xmpTPg:Fonts entry
    std::vector<std::string> swatches;  // xmpG:swatchName of every xmpTPg:SwatchGroups colorant
    std::vector<std::string> plates;    // the entries of xmpTPg:PlateNames
    // The Dublin Core and basic properties any XMP writer may give.
    std::string title;                  // the first entry of dc:title's alternatives
    std::string description;            // likewise of dc:description
    std::vector<std::string> creators;  // dc:creator
    std::vector<std::string> keywords;  // dc:subject
    std::string rating;
    std::string createDate;
    std::string modifyDate;
};

// Values are UTF-8 with XML references resolved; values longer than kMostXmpValueBytes are cut and
// lists end at kMostXmpListEntries (XmpProperties.h).
XmpFacts ReadXmpFacts(std::string_view packet);

// The document's colours: its swatches, then the plates that are not also swatches.
std::vector<std::string> XmpColours(const XmpFacts& facts);

// Whether a creator tool is one of Adobe Illustrator's versions.
bool NamesIllustrator(std::string_view creatorTool);

}  // namespace aldra
