// The PDF reader as a module of its own. Reading a PDF file needs qpdf, whose libraries (and the TLS
// stack they bring) cost every process that loads them a few milliseconds; the filter module loads
// this one only when it meets its first PDF file, so EPS and Illustrator artwork never pay for it.
#pragma once
#include "pdf/IllustratorPdf.h"

namespace aldra {

// The module lies beside the filter module (ALDRA_PDF_MODULE names another) and exports one entry,
// ReadIllustratorPdf itself.
inline constexpr const char* kPdfModuleFile = "libaldra-eps-pdf.so";
inline constexpr const char* kPdfModuleVariable = "ALDRA_PDF_MODULE";
inline constexpr const char* kPdfModuleEntry = "AldraReadIllustratorPdf";
using ReadPdfEntry = Status (*)(const char* path, IllustratorPdf* pdf);

}  // namespace aldra
