// The comment lines in front of a file's first line of PostScript code, walked once for what the
// catalogue getters and the preview ask after the attach: the Photoshop resource block, the
// "%%CompFileName: " line of a Color Central sample that names its high-resolution file, and
// whether the file is such a sample. The header scan feeds the walk the lines it reads anyway,
// which is what lets an attach read the head of a file once for all of them.
#pragma once
#include <cstdint>

#include "base/PString.h"
#include "base/Result.h"
#include "base/TextBuffer.h"
#include "eps/CommentParser.h"
#include "eps/EpsReader.h"

namespace aldra {

struct LeadingComments {
    // The block of the first "%BeginPhotoshop:" among the comments, when it decodes to exactly the
    // announced bytes; 2020 without one, or the read's failure.
    Status photoshopStatus = kErrFormat;
    BufferPtr photoshop;  // the block when photoshopStatus is kOk
    // A "%!PS-Adobe" first line, then a "%%CompFileName: " line among the comments behind it.
    bool namesCompanion = false;
    PString companionLine = {0};  // what follows "%%CompFileName: " on it
    // A "%%CompFileName: " line among the comments from the first line on, whatever that is.
    bool colorCentralSample = false;
};

void DisposeLeadingComments(LeadingComments* comments);  // back to the empty state

enum LeadingWants : uint32_t {
    kWantPhotoshop = 1,
    kWantCompanion = 2,
    kWantSample = 4,
    kWantAllLeading = 7,
};

enum class LeadingState : uint8_t { kLooking, kStarting, kCollecting, kHandedOver, kDone };

// A walk in progress: started on the reader positioned at the PostScript text, then fed every line
// read from there on, in order.
struct LeadingWalk {
    LeadingComments* out = nullptr;
    uint32_t lines = 0;  // lines fed so far
    LeadingState photoshop = LeadingState::kDone;
    LeadingState companion = LeadingState::kDone;
    LeadingState sample = LeadingState::kDone;
    int64_t announced = 0;
    uint64_t bytesLeft = 0;  // file bytes behind the block's first line
    HexBlock hex;
};

// Empties *out and starts a walk that settles the facts asked for; the others stay as empty.
void StartLeadingWalk(uint32_t wants, LeadingComments* out, LeadingWalk* walk);
bool LeadingWalkActive(const LeadingWalk& walk);
// ReadLine that also feeds the line to the walk while it is active; walk may be null.
Status ReadLineFor(LeadingWalk* walk, EpsReader* eps, uint8_t* line);
// Reads on from the reader's position until every fact is settled.
void FinishLeadingWalk(LeadingWalk* walk, EpsReader* eps);
// Drops an unfinished walk and empties its output.
void AbandonLeadingWalk(LeadingWalk* walk);

// The header scan decodes the first Photoshop block it examines itself. When the walk's block
// started on the line just fed, it is the same block decoded from the same lines by the same
// rule: the walk then leaves the decoding to the scan (true) and takes the scan's result through
// HandOverPhotoshopBlock, a null block meaning an incomplete one.
bool OfferPhotoshopBlock(LeadingWalk* walk);
void HandOverPhotoshopBlock(LeadingWalk* walk, BufferPtr block);

// The walk on its own, from the start of the PostScript text.
void WalkLeadingComments(EpsReader* eps, uint32_t wants, LeadingComments* out);

}  // namespace aldra
