// PDF-based Illustrator files at the control: their picture is the XMP thumbnail.
#pragma once
#include <string>

#include "preview/TargetRaster.h"

namespace aldra {

// Draws the file's XMP thumbnail over the whole target; false when the file has none.
bool DrawPdfPicture(const std::string& path, TargetRaster* target);

}  // namespace aldra
