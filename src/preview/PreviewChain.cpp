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
    // The previews of later writers come only after every source of both chains: the caller tries
    // the other chain when this one fails, so it is tried here first, and the file shows the same
    // picture as before wherever one of the chains' own sources has it.
    static const Source kLater[] = {DrawPhotoshopRgbThumbnail, DrawAscii85ImageData, DrawEpsiPreview,
                                    DrawXmpThumbnail};
    Status status = useStored ? RunChain(kStored, std::size(kStored), eps, target, destination)
                              : RunChain(kRendered, std::size(kRendered), eps, target, destination);
    if (status == kOk) return status;
    Status other = useStored ? RunChain(kRendered, std::size(kRendered), eps, target, destination)
                             : RunChain(kStored, std::size(kStored), eps, target, destination);
    if (other == kOk || RunChain(kLater, std::size(kLater), eps, target, destination) == kOk) return kOk;
    return status;
}

}  // namespace aldra
