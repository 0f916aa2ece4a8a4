// JPEG files from the pictures the filter answers, with the JPEG library the module decodes with.
#pragma once
#include <string>

#include "aldra/Picture.h"

namespace aldra::host {

// Writes the pixels as the new baseline JPEG file `path` (refused when it exists). "" on success,
// otherwise why not; a file half written is removed.
std::string WriteJpegFile(const RgbImage& image, const std::string& path, int quality);

}  // namespace aldra::host
