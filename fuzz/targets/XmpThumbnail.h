// The XMP thumbnail of a whole file: the search for the property, both value forms, base64 with
// references and blanks between its digits, and the JPEG stream it decodes to.
#pragma once
#include "fuzz/targets/Pictures.h"
#include "preview/XmpThumbnail.h"

namespace aldra::fuzz {

inline int FuzzXmpThumbnail(const uint8_t* data, size_t size) {
    DecodeIntoTargets("xmp/input.eps", data, size,
                      [](EpsReader* eps, RowSink* sink) { return DecodeXmpThumbnail(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
