// PDF-based Illustrator files (Illustrator 9 and later): the page box gives the size, the XMP
// packet the creator, fonts, colours and the thumbnail. They carry none of the EPS facts.
#include "control/PdfFile.h"

#include "base/StringList.h"
#include "control/FilterCtrl.h"
#include "eps/XmpFacts.h"
#include "pdf/IllustratorPdf.h"
#include "preview/TargetSink.h"
#include "preview/XmpThumbnail.h"

namespace aldra {

namespace {

constexpr double kPointsPerInch = 72;
// Illustrator's thumbnails are colour JPEG pictures, whatever the document's plates.
constexpr int32_t kColourKind = 2;

std::string Joined(const std::vector<std::string>& entries) {
    std::string joined;
    for (const std::string& entry : entries) {
        if (entry.empty()) continue;
        if (!joined.empty()) joined += '\n';
        joined += entry;
    }
    return joined;
}

}  // namespace

void CFilterCtrl::AttachPdfFile() {
    IllustratorPdf pdf;
    const Status status = ReadPdfThroughModule(filePath_.c_str(), &pdf);
    // A missing reader is said as such: the file may well be a drawing.
    if (status == kErrNoResource) RaiseFilterError(status);
    if (status != kOk || !IsIllustratorDrawing(pdf)) RaiseFilterError(kErrFormat);
    const XmpFacts facts = ReadXmpFacts(pdf.xmp);
    if (pdf.hasPageSize) {
        widthInches_ = pdf.widthPoints / kPointsPerInch;
        heightInches_ = pdf.heightPoints / kPointsPerInch;
    }
    kind_ = kColourKind;
    creatingSoftware_ = facts.creatorTool;
    postScriptVersion.clear();
    epsfVersion.clear();
    epsfType = 0;
    opiSystem = 0;
    opiHiResFileName.clear();
    fonts = Joined(facts.fonts);
    colors = Joined(XmpColours(facts));
    links.clear();
    facts_ = ComposeFacts(DscFacts{}, facts, IptcText{});
    factsTaken_ = true;
}

bool DrawPdfPicture(const std::string& path, TargetRaster* target) {
    IllustratorPdf pdf;
    if (ReadPdfThroughModule(path.c_str(), &pdf) != kOk || pdf.xmp.empty()) return false;
    const Rect bounds = GetRasterRect(&target->raster);
    TargetSink sink(target, &bounds);
    return DecodeXmpPacketThumbnail(reinterpret_cast<const uint8_t*>(pdf.xmp.data()), pdf.xmp.size(),
                                    &sink) == kOk;
}

}  // namespace aldra
