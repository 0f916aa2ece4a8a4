// Seeds for PDF-based Illustrator files: the page boxes in their places, the metadata stream plain
// and compressed away from qpdf's reach, the XMP packet in both forms with a thumbnail, and a file
// whose table must be rebuilt.
#pragma once
#include <string>
#include <vector>

#include "fixtures/Jpeg.h"
#include "fixtures/Pdf.h"
#include "fuzz/seeds/Seed.h"

namespace aldra::fuzz::seeds {

inline std::vector<Seed> PdfFiles() {
    using namespace aldra::testing;
    IllustratorXmpContent xmp;
    xmp.fonts = {"MyriadPro-Regular"};
    xmp.swatches = {"White", "PANTONE 300 C"};
    xmp.plates = {"Black"};
    xmp.thumbnailJpeg = EncodeJpeg(8, 4, 3, std::vector<uint8_t>(8 * 4 * 3, 0x80));
    PdfContent thumbnail;
    thumbnail.xmp = IllustratorXmp(xmp);
    thumbnail.pageEntries = "/MediaBox [0 0 612 792] /TrimBox [0 0 600 780] /ArtBox [10 10 200 100]";
    PdfContent attributes = thumbnail;
    xmp.attributes = true;
    attributes.xmp = IllustratorXmp(xmp);
    PdfContent inherited;
    inherited.pageEntries = "/Rotate 90 /UserUnit 2";
    inherited.pagesEntries = "/MediaBox [0 0 144 72]";
    inherited.emptyPageNodes = 2;
    PdfContent rebuilt = thumbnail;
    rebuilt.xrefOffsetsWrong = true;
    return {
        {"thumbnail.ai", PdfFile(thumbnail)},
        {"attributes.ai", PdfFile(attributes)},
        {"inherited.ai", PdfFile(inherited)},
        {"rebuilt.ai", PdfFile(rebuilt)},
    };
}

}  // namespace aldra::fuzz::seeds
