// The sources of the two preview chains, each drawing its picture into the destination rectangle
// of the target or failing (2020 when the file has no such source).
#pragma once
#include "eps/EpsReader.h"
#include "preview/TargetRaster.h"

namespace aldra {

// Stored chain.
Status DrawTiffPreview(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawPhotoshopThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawIllustratorThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination);
// Rendered chain.
Status DrawImageDataPicture(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawStormPicture(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawIllustratorArtwork(EpsReader* eps, TargetRaster* target, const Rect* destination);
// The previews of later writers, tried once both chains' own sources have failed.
Status DrawPhotoshopRgbThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawAscii85ImageData(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawEpsiPreview(EpsReader* eps, TargetRaster* target, const Rect* destination);
Status DrawXmpThumbnail(EpsReader* eps, TargetRaster* target, const Rect* destination);

}  // namespace aldra
