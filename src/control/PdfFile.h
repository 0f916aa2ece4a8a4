// PDF-based Illustrator files at the control: their picture is the XMP thumbnail.
#pragma once
#include <string>

#include "pdf/PdfModule.h"
#include "preview/TargetRaster.h"

namespace aldra {

// Reads the file with the PDF reader module, which the first call loads. kErrNoResource when the
// module is missing or unusable, else ReadIllustratorPdf's answer.
Status ReadPdfThroughModule(const char* path, IllustratorPdf* pdf);
// The module's entry at the path, loaded; null when it cannot be loaded or lacks the entry.
ReadPdfEntry LoadPdfReader(const std::string& path);

// Draws the file's XMP thumbnail over the whole target; false when the file has none.
bool DrawPdfPicture(const std::string& path, TargetRaster* target);

}  // namespace aldra
