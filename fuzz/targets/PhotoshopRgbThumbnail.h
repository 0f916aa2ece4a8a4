// Photoshop's RGB thumbnail (resource 1036) of a whole file: the hex block among the leading
// comments, the resource walk, the thumbnail header and the JPEG stream behind it.
#pragma once
#include "fuzz/targets/Pictures.h"
#include "preview/PhotoshopRgbThumbnail.h"

namespace aldra::fuzz {

inline int FuzzPhotoshopRgbThumbnail(const uint8_t* data, size_t size) {
    DecodeIntoTargets("photoshop_rgb/input.eps", data, size,
                      [](EpsReader* eps, RowSink* sink) { return DecodePhotoshopRgbThumbnail(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
