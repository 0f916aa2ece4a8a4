// Choosing the picture of an EPS file: the first usable source of one of two chains is drawn,
// stretched, into a target raster the caller made at the wanted size. The stored chain takes the
// previews that the producing program embedded for viewers; the rendered chain the document's own
// image data and artwork.
#pragma once
#include "eps/EpsReader.h"
#include "preview/TargetRaster.h"

namespace aldra {

// 0 when a preview was drawn into the target. A source may draw part of its picture before it
// fails; the next one then draws over it. When neither chain's own sources have a picture, the
// previews of later writers are tried (Photoshop's RGB thumbnail, %ImageData samples in ASCII85
// text, the EPSI preview, the XMP thumbnail); either chain asked reaches them.
Status FindPreview(EpsReader* eps, bool useStored, TargetRaster* target, const Rect* destination);

}  // namespace aldra
