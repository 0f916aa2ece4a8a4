// Sources whose decoders are not in the filter yet: the JPEG-based ones (the Photoshop thumbnail and
// Storm PicturePress), the Illustrator thumbnail, %ImageData pictures and Illustrator artwork. Each
// fails the way a file without that source does, so the chains move on to their next source.
#include "preview/PreviewSources.h"

namespace aldra {

Status DrawPhotoshopThumbnail(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status DrawIllustratorThumbnail(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status DrawImageDataPicture(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status DrawStormPicture(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status DrawIllustratorArtwork(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

}  // namespace aldra
