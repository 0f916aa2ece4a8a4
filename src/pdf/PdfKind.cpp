// Whether a file is PDF at all, and whether a PDF file is Illustrator's: the questions the filter
// answers without the PDF reader module.
#include <cstring>

#include "base/FileReader.h"
#include "eps/XmpFacts.h"
#include "pdf/IllustratorPdf.h"

namespace aldra {

namespace {

constexpr char kPdfHeader[] = "%PDF-";
constexpr size_t kPdfHeaderLength = sizeof kPdfHeader - 1;

}  // namespace

bool BeginsAsPdf(const uint8_t* bytes, size_t size) {
    return bytes != nullptr && size >= kPdfHeaderLength &&
           std::memcmp(bytes, kPdfHeader, kPdfHeaderLength) == 0;
}

bool BeginsAsPdf(const FileReader& opened) {
    return opened.fileSize >= kPdfHeaderLength && opened.held >= kPdfHeaderLength &&
           BeginsAsPdf(opened.window.get(), kPdfHeaderLength);
}

bool IsPdfFile(const char* path) {
    FileReader reader;
    uint8_t* cursor = nullptr;
    if (ReaderOpen(path, &reader, &cursor, kPdfHeaderLength) != kOk) return false;
    const bool pdf = BeginsAsPdf(reader);
    ReaderClose(&reader);
    return pdf;
}

bool IsIllustratorDrawing(const IllustratorPdf& pdf) {
    return pdf.hasPrivateData || NamesIllustrator(ReadXmpFacts(pdf.xmp).creatorTool);
}

}  // namespace aldra
