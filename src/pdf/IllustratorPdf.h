// What a PDF-based Illustrator file (Illustrator 9 and later) tells without drawing its page: the
// first page's size, whether the page carries Illustrator's private data, and the catalogue's XMP
// packet, where Illustrator keeps its creator, fonts, swatches and thumbnail.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/FileReader.h"
#include "base/Result.h"

namespace aldra {

struct IllustratorPdf {
    // The first page's ArtBox, else its TrimBox, else its (possibly inherited) MediaBox, in points,
    // turned by the page's rotation and scaled by its user unit.
    bool hasPageSize = false;
    double widthPoints = 0;
    double heightPoints = 0;
    // The first page names Illustrator in its PieceInfo (the native drawing Illustrator keeps
    // beside the PDF page).
    bool hasPrivateData = false;
    // The catalogue's metadata stream, decoded; empty when there is none or it cannot be decoded.
    std::string xmp;
};

// Whether the bytes begin with a PDF header.
bool BeginsAsPdf(const uint8_t* bytes, size_t size);
// Whether the file at the path begins with a PDF header; a file that cannot be read is not one.
bool IsPdfFile(const char* path);
// The same for a file just opened, told from the bytes the opening read (the window at its start).
bool BeginsAsPdf(const FileReader& opened);

// Reads the file's cross-reference table, page tree and metadata. 2020 for a file that is not a
// PDF file, is damaged beyond repair, needs a password, or exceeds the bounds of PdfLimits.h;
// the file layer's code when it cannot be opened. Never throws.
Status ReadIllustratorPdf(const char* path, IllustratorPdf* pdf);

// An Illustrator drawing: its XMP names an Illustrator creator tool, or the page holds
// Illustrator's private data.
bool IsIllustratorDrawing(const IllustratorPdf& pdf);

}  // namespace aldra
