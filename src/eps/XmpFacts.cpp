#include "eps/XmpFacts.h"

#include <algorithm>

#include "eps/XmpProperties.h"

namespace aldra {

namespace {

constexpr XmpName kCreatorTool{xmp::kBasic, "CreatorTool", "xmp"};
constexpr XmpName kRating{xmp::kBasic, "Rating", "xmp"};
constexpr XmpName kCreateDate{xmp::kBasic, "CreateDate", "xmp"};
constexpr XmpName kModifyDate{xmp::kBasic, "ModifyDate", "xmp"};
constexpr XmpName kTitle{xmp::kDublinCore, "title", "dc"};
constexpr XmpName kDescription{xmp::kDublinCore, "description", "dc"};
constexpr XmpName kCreator{xmp::kDublinCore, "creator", "dc"};
constexpr XmpName kSubject{xmp::kDublinCore, "subject", "dc"};
constexpr XmpName kFonts{xmp::kPagedText, "Fonts", "xmpTPg"};
constexpr XmpName kSwatchGroups{xmp::kPagedText, "SwatchGroups", "xmpTPg"};
constexpr XmpName kPlateNames{xmp::kPagedText, "PlateNames", "xmpTPg"};
constexpr XmpName kFontName{xmp::kFont, "fontName", "stFnt"};
constexpr XmpName kSwatchName{xmp::kGraphics, "swatchName", "xmpG"};

// The entries of a list property (rdf:Bag, rdf:Seq or rdf:Alt).
std::vector<std::string> Items(const XmpProperties& xmp, const XmpName& list) {
    return xmp.Values(xmp.Element(xmp.Packet(), list), xmp::kListItem);
}

std::string FirstItem(const XmpProperties& xmp, const XmpName& list) {
    return xmp.FirstValue(xmp.Element(xmp.Packet(), list), xmp::kListItem);
}

}  // namespace

XmpFacts ReadXmpFacts(std::string_view packet) {
    const XmpProperties xmp(packet);
    XmpFacts facts;
    facts.creatorTool = xmp.FirstValue(packet, kCreatorTool);
    facts.fonts = xmp.Values(xmp.Element(packet, kFonts), kFontName);
    facts.swatches = xmp.Values(xmp.Element(packet, kSwatchGroups), kSwatchName);
    facts.plates = Items(xmp, kPlateNames);
    facts.title = FirstItem(xmp, kTitle);
    facts.description = FirstItem(xmp, kDescription);
    facts.creators = Items(xmp, kCreator);
    facts.keywords = Items(xmp, kSubject);
    facts.rating = xmp.FirstValue(packet, kRating);
    facts.createDate = xmp.FirstValue(packet, kCreateDate);
    facts.modifyDate = xmp.FirstValue(packet, kModifyDate);
    return facts;
}

std::vector<std::string> XmpColours(const XmpFacts& facts) {
    std::vector<std::string> colours = facts.swatches;
    for (const std::string& plate : facts.plates) {
        if (std::find(colours.begin(), colours.end(), plate) == colours.end()) colours.push_back(plate);
    }
    return colours;
}

bool NamesIllustrator(std::string_view creatorTool) {
    return creatorTool.find("Illustrator") != std::string_view::npos;
}

}  // namespace aldra
