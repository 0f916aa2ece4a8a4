#include "preview/PreviewSources.h"
#include "preview/TargetSink.h"
#include "preview/TiffPreview.h"

namespace aldra {

Status DrawTiffPreview(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    TargetSink sink(target, destination);
    return DecodeDosEpsTiffPreview(eps, &sink);
}

}  // namespace aldra
