// The chain sources whose pictures are carried in the PostScript text: the %ImageData picture and
// the Illustrator thumbnail.
#include "preview/PreviewSources.h"

namespace aldra {

Status DrawImageDataPicture(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status DrawIllustratorThumbnail(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

}  // namespace aldra
