// The thumbnail Photoshop 5 and later keep in image resource 1036: the same 28-byte header as the
// older resource 1033, then a JPEG stream whose pixels are in red, green, blue order.
#pragma once
#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Finds the file's Photoshop resource block among its leading comments and hands the thumbnail's
// bands to the sink. 2020 without a block, without the resource, or for a resource no longer
// than its header.
Status DecodePhotoshopRgbThumbnail(EpsReader* eps, RowSink* sink);

}  // namespace aldra
