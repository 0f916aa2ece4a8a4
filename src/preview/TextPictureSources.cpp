// The chain sources whose pictures are carried in the PostScript text: the %ImageData picture and
// the Illustrator thumbnail.
#include "preview/Ai7Thumbnail.h"
#include "preview/ImageData.h"
#include "preview/PreviewSources.h"

namespace aldra {

Status DrawImageDataPicture(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    return DecodeImageData(eps, target, destination);
}

Status DrawIllustratorThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    return DecodeAi7Thumbnail(eps, target, destination);
}

}  // namespace aldra
