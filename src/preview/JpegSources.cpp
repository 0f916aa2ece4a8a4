// The chain sources that hold a JPEG stream in memory: the Photoshop thumbnail (resource 1033, or
// the IPTC data set 4:100) and the Storm PicturePress binary block.
#include "preview/PreviewSources.h"

namespace aldra {

Status DrawPhotoshopThumbnail(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status DrawStormPicture(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

}  // namespace aldra
