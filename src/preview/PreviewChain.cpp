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
        // A source that fails after drawing part of its picture leaves no size behind for the next.
        target->sourceWidth = target->sourceHeight = 0;
        status = sources[i](eps, target, destination);
        if (status == kOk) break;
    }
    return status;
}

}  // namespace

Status FindPreview(EpsReader* eps, bool useStored, TargetRaster* target, const Rect* destination) {
    static const Source kStored[] = {DrawTiffPreview, DrawPhotoshopThumbnail, DrawIllustratorThumbnail};
    static const Source kRendered[] = {DrawImageDataPicture, DrawStormPicture, DrawIllustratorArtwork};
    static const Source kLater[] = {DrawPhotoshopRgbThumbnail, DrawAscii85ImageData, DrawEpsiPreview,
                                    DrawXmpThumbnail};
    if (useStored) return RunChain(kStored, std::size(kStored), eps, target, destination);
    Status status = RunChain(kRendered, std::size(kRendered), eps, target, destination);
    if (status == kOk) return status;
    // The previews of later writers come after every source of both chains. The commands ask for
    // the rendered chain last when they prefer the stored one and first otherwise, so the stored
    // chain's sources are tried here before them, which costs little: without a picture they fail
    // at the head of the file.
    if (RunChain(kStored, std::size(kStored), eps, target, destination) == kOk ||
        RunChain(kLater, std::size(kLater), eps, target, destination) == kOk)
        return kOk;
    return status;
}

}  // namespace aldra
