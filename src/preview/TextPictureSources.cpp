// The chain sources whose pictures are carried in the PostScript text: the %ImageData picture and
// the Illustrator thumbnail, and after both chains the %ImageData samples in ASCII85 text, the EPSI
// preview and the XMP thumbnail.
#include "preview/Ai7Thumbnail.h"
#include "preview/EpsiPreview.h"
#include "preview/ImageData.h"
#include "preview/PreviewSources.h"
#include "preview/TargetSink.h"
#include "preview/XmpThumbnail.h"

namespace aldra {

Status DrawImageDataPicture(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeImageData(eps, &sink);
}

Status DrawAscii85ImageData(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeAscii85ImageData(eps, &sink);
}

Status DrawEpsiPreview(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeEpsiPreview(eps, &sink);
}

Status DrawXmpThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeXmpThumbnail(eps, &sink);
}

Status DrawIllustratorThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeAi7Thumbnail(eps, &sink);
}

}  // namespace aldra
