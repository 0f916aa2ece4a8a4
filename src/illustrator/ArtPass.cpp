#include "illustrator/ArtPass.h"

#include "eps/CommentParser.h"
#include "illustrator/ArtPlaced.h"
#include "illustrator/ArtTokens.h"
#include "illustrator/DrawingQueue.h"
#include "illustrator/Illustrator.h"

namespace aldra {

Status RunPassLoop(EpsReader* eps, ArtState* state, OperatorDispatcher dispatch) {
    ArtLine line;
    line.text[0] = 0;
    while (!state->stop) {
        line.at = BlanksEnd(line.text, line.at);
        if (ArtLineUsedUp(line)) {
            Status status = ReadLine(eps, line.text);
            if (status == kErrEof) {
                state->stop = true;
                break;
            }
            if (status != kOk) return status;
            line.at = 1;
        }
        uint16_t code = 0;
        if (Status status = NextArtToken(eps, &line, state, &code); status != kOk) return status;
        if (code != 0) dispatch(eps, state, code);
    }
    return kOk;
}

Status RunArtPass(EpsReader* eps, TargetRaster* surface, const Rect* target, const ArtState* parent,
                  bool embedded) {
    ArtState state;
    Status status = InitArtState(&state, surface, target, nullptr, nullptr, 0, parent);
    if (status == kOk) {
        state.embedded = embedded;
        if (!parent) NoteOpenDocument(&state, eps);
        status = RunPassLoop(eps, &state, DispatchArtOperator);
        if (status == kOk && !state.drawn) status = kErrFormat;
    }
    DisposeArtState(&state);
    return status;
}

bool IsIllustratorFile(EpsReader* eps) {
    if (RewindToPostScript(eps) != kOk) return false;
    PString line;
    while (ReadLine(eps, line) == kOk) {
        if (MatchKeyword(line, "%%Creator:")) {
            SkipBlanks(line);
            return MatchKeyword(line, "Adobe Illustrator");
        }
        if (!IsCommentLine(line)) return false;
    }
    return false;
}

Status RenderIllustratorArt(EpsReader* eps, TargetRaster* target, const Rect* destination) {
    if (!IsIllustratorFile(eps)) return kErrFormat;
    if (Status status = RewindToPostScript(eps); status != kOk) return status;
    const bool queued = eps->reader.fileSize >= kQueuedDrawingBytes && StartQueuedDrawing(target);
    const Status status = RunArtPass(eps, target, destination);
    if (queued) FinishQueuedDrawing(target);
    return status;
}

}  // namespace aldra
