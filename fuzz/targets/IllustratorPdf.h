// PDF-based Illustrator files: qpdf's reading of the cross-reference table, the page tree and the
// metadata stream over the file reader, the XMP facts, and the XMP thumbnail drawn from memory.
#pragma once
#include "eps/XmpFacts.h"
#include "fuzz/targets/Pictures.h"
#include "pdf/IllustratorPdf.h"
#include "pdf/PdfLimits.h"
#include "preview/XmpThumbnail.h"

namespace aldra::fuzz {

inline int FuzzIllustratorPdf(const uint8_t* data, size_t size) {
    UseFilterResources();
    const std::string path = WriteScratch("pdf/input.ai", data, size);
    IllustratorPdf pdf;
    if (ReadIllustratorPdf(path.c_str(), &pdf) != kOk) return 0;
    ALDRA_FUZZ_CHECK(pdf.xmp.size() <= kMostXmpPacketBytes);
    ALDRA_FUZZ_CHECK(!pdf.hasPageSize || (pdf.widthPoints > 0 && pdf.heightPoints > 0));
    const XmpFacts facts = ReadXmpFacts(pdf.xmp);
    ALDRA_FUZZ_CHECK(facts.creatorTool.size() <= kMostXmpValueBytes);
    (void)IsIllustratorDrawing(pdf);
    (void)XmpColours(facts);
    DrawTarget target(24);
    CheckedTargetSink sink(&target);
    (void)DecodeXmpPacketThumbnail(reinterpret_cast<const uint8_t*>(pdf.xmp.data()), pdf.xmp.size(), &sink);
    return 0;
}

}  // namespace aldra::fuzz
