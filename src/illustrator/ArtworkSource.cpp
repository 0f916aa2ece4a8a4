// The last source of the rendered preview chain: Illustrator artwork drawn by this room's
// interpreter. It lives here rather than with the other sources so that the preview room's headers
// never name this one; the chain reaches it through its declaration among the sources.
#include "illustrator/Illustrator.h"
#include "preview/PreviewSources.h"

namespace aldra {

Status DrawIllustratorArtwork(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    return RenderIllustratorArt(eps, target, destination);
}

}  // namespace aldra
