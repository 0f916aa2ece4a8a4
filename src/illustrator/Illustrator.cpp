#include "illustrator/Illustrator.h"

namespace aldra {

bool IsIllustratorFile(EpsReader*) {
    return false;
}

Status RenderIllustratorArt(EpsReader*, TargetRaster*, const Rect*) {
    return kErrFormat;
}

Status CollectIllustratorText(EpsReader*, TextBuffer*, int32_t) {
    return kErrFormat;
}

}  // namespace aldra
