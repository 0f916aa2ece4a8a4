// Choosing the picture of an EPS file: the first usable source of one of two chains is drawn,
// stretched, into a target raster the caller made at the wanted size. The stored chain takes the
// previews that the producing program embedded for viewers; the rendered chain the document's own
// image data and artwork.
#pragma once
#include "eps/EpsReader.h"
#include "preview/TargetRaster.h"

namespace aldra {

// 0 when a preview was drawn into the target. A source may draw part of its picture before it
// fails; the next one then draws over it. The rendered chain goes on, when its own sources have no
// picture, with the stored chain's and then the previews of later writers (Photoshop's RGB
// thumbnail, %ImageData samples in ASCII85 text, the EPSI preview, the XMP thumbnail); the stored
// chain is the stored sources alone.
Status FindPreview(EpsReader* eps, bool useStored, TargetRaster* target, const Rect* destination);

}  // namespace aldra
