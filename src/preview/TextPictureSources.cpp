// The chain sources whose pictures are carried in the PostScript text: the %ImageData picture and
// the Illustrator thumbnail.
#include "preview/Ai7Thumbnail.h"
#include "preview/ImageData.h"
#include "preview/PreviewSources.h"
#include "preview/TargetSink.h"

namespace aldra {

Status DrawImageDataPicture(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeImageData(eps, &sink);
}

Status DrawIllustratorThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeAi7Thumbnail(eps, &sink);
}

}  // namespace aldra
