// Choosing the picture of an EPS file: the first usable source of one of two chains is drawn,
// stretched, into a target raster the caller made at the wanted size. The stored chain takes the
// previews that the producing program embedded for viewers; the rendered chain the document's own
// image data and artwork.
#pragma once
#include "eps/EpsReader.h"
#include "preview/TargetRaster.h"

namespace aldra {

// What the band callbacks need to place a band: the decoded image's frame, in its own pixels, and
// where that frame lands in the target.
struct DrawContext {
    Rect image;
    TargetRaster* target;
    const Rect* destination;
};

// 0 when a preview was drawn into the target. A source may draw part of its picture before it
// fails; the next one then draws over it.
Status FindPreview(EpsReader* eps, bool useStored, TargetRaster* target, const Rect* destination);

// The band callback of the JPEG sources: remembers the image frame and presents the band.
Status DrawBand(RasterImage* band, const Rect* image, const Rect* bandRect, void* context);
// Maps the band's rectangle from the image frame into the destination and draws it there.
Status DrawMappedBand(const RasterImage* view, const Rect* bandRect, void* context);

}  // namespace aldra
