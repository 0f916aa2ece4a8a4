// Where a preview decoder delivers its picture. The decoder knows nothing of the target: it hands
// bands of decoded rows to a callback together with the rectangle the band covers inside the whole
// image's frame, and the callback places and draws them. The callback has the shape of the preview
// chain's DrawBand, so a chain source wires a decoder to its target with
//
//     DrawContext context{{}, target, destination};
//     PreviewSink sink{DrawBand, &context};
//
// A band arrives in natural order (1 bit: set is ink; grey: the value is the amount of ink; 24 bits:
// red, green, blue), top row first, at the raster's own rowBytes, with inDibOrder false. The
// callback may convert or re-stride the band's pixels in place (as PresentRaster does): the decoder
// treats a band as used up once it has been handed over.
#pragma once
#include "base/Result.h"
#include "preview/Raster.h"

namespace aldra {

// image: the decoded picture's frame, (0, 0, width, height) in its own pixels; bandRect: the rows
// of that frame the band holds. 0 means success; any other status ends the decoding with it.
using BandCallback = Status (*)(RasterImage* band, const Rect* image, const Rect* bandRect, void* context);

struct PreviewSink {
    BandCallback drawBand = nullptr;
    void* context = nullptr;
};

}  // namespace aldra
