#include "control/FactTable.h"

namespace aldra {

namespace {

std::string Lines(const std::vector<std::string>& entries) {
    std::string joined;
    for (const std::string& entry : entries) {
        if (entry.empty()) continue;
        if (!joined.empty()) joined += '\n';
        joined += entry;
    }
    return joined;
}

void Add(const char* name, std::string value, FactList* facts) {
    if (!value.empty()) facts->emplace_back(name, std::move(value));
}

}  // namespace

FactList ComposeFacts(const DscFacts& dsc, const XmpFacts& xmp, const IptcText& iptc) {
    FactList facts;
    Add("Title", dsc.title, &facts);
    Add("CreationDate", dsc.creationDate, &facts);
    Add("For", dsc.forWhom, &facts);
    Add("Creator", dsc.creator, &facts);
    Add("Pages", dsc.pages, &facts);
    Add("LanguageLevel", dsc.languageLevel, &facts);
    Add("BoundingBox", dsc.boundingBox, &facts);
    Add("TrailerFonts", Lines(dsc.fonts), &facts);
    Add("TrailerColors", Lines(dsc.colours), &facts);
    Add("TrailerFiles", Lines(dsc.files), &facts);
    Add("XmpTitle", xmp.title, &facts);
    Add("XmpDescription", xmp.description, &facts);
    Add("XmpCreator", Lines(xmp.creators), &facts);
    Add("XmpKeywords", Lines(xmp.keywords), &facts);
    Add("XmpRating", xmp.rating, &facts);
    Add("XmpCreatorTool", xmp.creatorTool, &facts);
    Add("XmpCreateDate", xmp.createDate, &facts);
    Add("XmpModifyDate", xmp.modifyDate, &facts);
    Add("IptcObjectName", iptc.objectName, &facts);
    Add("IptcHeadline", iptc.headline, &facts);
    Add("IptcCaption", iptc.caption, &facts);
    Add("IptcByline", Lines(iptc.creators), &facts);
    Add("IptcKeywords", Lines(iptc.keywords), &facts);
    return facts;
}

std::string FactNamesOf(const FactList& facts) {
    std::string names;
    for (const auto& [name, value] : facts) {
        if (!names.empty()) names += '\n';
        names += name;
    }
    return names;
}

std::string FactValueOf(const FactList& facts, const std::string& name) {
    for (const auto& [known, value] : facts) {
        if (known == name) return value;
    }
    return {};
}

}  // namespace aldra
