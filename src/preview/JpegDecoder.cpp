// Placeholder until the libjpeg decoder lands: every JPEG source fails as a file without one does.
#include "preview/JpegDecoder.h"

namespace aldra {

Status DecodeJpeg(const uint8_t*, size_t, BandCallback, void*) {
    return kErrFormat;
}

Status DecodeJpegAscii85(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

}  // namespace aldra
