#include "preview/PreviewChain.h"

#include "preview/PreviewSources.h"

namespace aldra {

namespace {

using Source = Status (*)(EpsReader*, TargetRaster*, const Rect*);

// Each source runs only when the one before it failed; the answer is the last one's.
Status RunChain(const Source* sources, size_t count, EpsReader* eps, TargetRaster* target,
                const Rect* destination) {
    Status status = kErrFormat;
    for (size_t i = 0; i < count; ++i) {
        status = sources[i](eps, target, destination);
        if (status == kOk) break;
    }
    return status;
}

}  // namespace

Status FindPreview(EpsReader* eps, bool useStored, TargetRaster* target, const Rect* destination) {
    static const Source kStored[] = {DrawTiffPreview, DrawPhotoshopThumbnail, DrawIllustratorThumbnail};
    static const Source kRendered[] = {DrawImageDataPicture, DrawStormPicture, DrawIllustratorArtwork};
    if (useStored) return RunChain(kStored, std::size(kStored), eps, target, destination);
    return RunChain(kRendered, std::size(kRendered), eps, target, destination);
}

}  // namespace aldra
