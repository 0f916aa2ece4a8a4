#include "illustrator/ArtComments.h"

#include "eps/CommentParser.h"
#include "illustrator/ArtPlaced.h"

namespace aldra {

namespace {

// Reads lines up to and including the one that begins with `end`; the end of the file ends the
// section too.
Status SkipSection(EpsReader* eps, const char* end) {
    PString line;
    for (;;) {
        Status status = ReadLine(eps, line);
        if (status == kErrEof) return kOk;
        if (status != kOk) return status;
        if (MatchKeyword(line, end)) return kOk;
    }
}

void ReadPageBox(uint8_t* line, ArtState* state) {
    PageBox box;
    box.llx = ParseReal(line);
    box.lly = ParseReal(line);
    box.urx = ParseReal(line);
    box.ury = ParseReal(line);
    SetPageBox(state, box);
}

// The comments that only switch interpretation on or off, or end the pass.
void HandleSwitch(uint8_t* line, ArtState* state) {
    if (MatchKeyword(line, "%EndSetup")) {
        state->setupEnded = true;
    } else if (MatchKeyword(line, "%EndProlog")) {
        // Illustrator 1 writes no setup section: its artwork follows the prolog.
        state->setupEnded = true;
    } else if (MatchKeyword(line, "%BeginSetup")) {
        state->setupEnded = false;
    } else if (MatchKeyword(line, "AI3_BeginCrops")) {
        state->inCrops = true;
    } else if (MatchKeyword(line, "AI3_EndCrops")) {
        state->inCrops = false;
    } else if (MatchKeyword(line, "%PageTrailer") || MatchKeyword(line, "%Trailer")) {
        state->setupEnded = true;
        state->inTrailer = true;
    } else if (MatchKeyword(line, "%EOF")) {
        state->setupEnded = true;
        state->inTrailer = true;
        // An embedded document goes on to its end line, so that the document around it never
        // takes that line for its own.
        state->stop = !state->embedded;
    } else if (state->embedded && MatchKeyword(line, "%EndDocument")) {
        state->stop = true;
    }
}

}  // namespace

Status HandleArtComment(uint8_t* line, EpsReader* eps, ArtState* state) {
    if (MatchKeyword(line, "%BoundingBox:")) {
        ReadPageBox(line, state);
        return kOk;
    }
    if (MatchKeyword(line, "%BeginEncoding:")) return SkipSection(eps, "%%EndEncoding");
    if (MatchKeyword(line, "%IncludeFile:")) return PlaceIncludedFile(line, eps, state);
    if (MatchKeyword(line, "%BeginDocument:")) return PlaceEmbeddedDocument(eps, state);
    if (MatchKeyword(line, "%BeginPattern:")) return SkipSection(eps, "%%EndPattern");
    if (MatchKeyword(line, "%BeginProcSet:")) return SkipSection(eps, "%%EndProcSet");
    HandleSwitch(line, state);
    return kOk;
}

}  // namespace aldra
