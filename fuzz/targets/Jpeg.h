// The JPEG decoders. The first input byte chooses the path: even, the rest is a stream in memory
// (Photoshop and IPTC thumbnails); odd, the rest is the ASCII85 text of a JPEG %ImageData picture,
// read from the file at its start.
#pragma once
#include "fuzz/targets/BandCheck.h"
#include "fuzz/targets/FilterResources.h"
#include "fuzz/targets/Pictures.h"
#include "preview/JpegDecoder.h"

namespace aldra::fuzz {

inline int FuzzJpeg(const uint8_t* data, size_t size) {
    UseFilterResources();
    if (size == 0) return 0;
    if ((data[0] & 1) == 0) {
        BandCheck check;
        check.restarts = true;
        (void)DecodeJpeg(data + 1, size - 1, &check);  // the bands are what is checked
        return 0;
    }
    DecodeIntoTargets("jpeg/input.a85", data + 1, size - 1,
                      [](EpsReader* eps, RowSink* sink) { return DecodeJpegAscii85(eps, sink); });
    return 0;
}

}  // namespace aldra::fuzz
