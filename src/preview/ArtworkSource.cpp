// The last source of the rendered chain: Illustrator artwork drawn by the artwork interpreter, which
// is not in the filter yet; until then such files fail the way a file without artwork does.
#include "preview/PreviewSources.h"

namespace aldra {

Status DrawIllustratorArtwork(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

}  // namespace aldra
