#include "preview/PreviewChain.h"
#include "preview/PreviewSources.h"
#include "preview/TiffPreview.h"

namespace aldra {

Status DrawTiffPreview(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    DrawContext context{{}, target, destination};
    PreviewSink sink{DrawBand, &context};
    return DecodeDosEpsTiffPreview(eps, &sink);
}

}  // namespace aldra
