#include "eps/LeadingComments.h"

#include <cstring>
#include <utility>

namespace aldra {

namespace {

constexpr char kCompFileName[] = "%%CompFileName: ";
constexpr char kBeginPhotoshop[] = "%BeginPhotoshop:";
constexpr char kPostScriptSignature[] = "%!PS-Adobe";

// One line as ReadLine gave it; its characters count only when status is kOk. A read that fails
// without moving on is the end of the file, where the searches stop before reading.
struct FedLine {
    Status status;
    bool advanced;  // the read moved on, even if it failed
    const uint8_t* line;
};

// MatchKeyword without consuming: the walk looks at lines that the scan goes on to take apart.
template <size_t N>
bool StartsWith(const uint8_t* line, const char (&keyword)[N]) {
    constexpr size_t n = N - 1;
    return line[0] >= n && std::memcmp(line + 1, keyword, n) == 0;
}

// The companion line: a "%!PS-Adobe" first line, then comment lines up to the keyword; the end of
// the file, an unreadable line or a line of code ends the search.
void FeedCompanion(LeadingWalk* walk, const FedLine& fed) {
    if (walk->companion != LeadingState::kLooking) return;
    if (walk->lines == 0) {
        if (fed.status != kOk || !StartsWith(fed.line, kPostScriptSignature))
            walk->companion = LeadingState::kDone;
        return;
    }
    if (fed.status != kOk) {
        walk->companion = LeadingState::kDone;
    } else if (StartsWith(fed.line, kCompFileName)) {
        walk->out->namesCompanion = true;
        PStrSub(fed.line, sizeof kCompFileName, fed.line[0] - (sizeof kCompFileName - 1),
                walk->out->companionLine, kPStringCapacity);
        walk->companion = LeadingState::kDone;
    } else if (!IsCommentLine(fed.line)) {
        walk->companion = LeadingState::kDone;
    }
}

// The sample test: from the first line on; an unreadable line that was passed over is skipped.
void FeedSample(LeadingWalk* walk, const FedLine& fed) {
    if (walk->sample != LeadingState::kLooking) return;
    if (fed.status != kOk) {
        if (!fed.advanced) walk->sample = LeadingState::kDone;
    } else if (StartsWith(fed.line, kCompFileName)) {
        walk->out->colorCentralSample = true;
        walk->sample = LeadingState::kDone;
    } else if (!IsCommentLine(fed.line)) {
        walk->sample = LeadingState::kDone;
    }
}

void EndPhotoshop(LeadingWalk* walk, Status status, BufferPtr block) {
    walk->out->photoshopStatus = block != nullptr ? kOk : status;
    walk->out->photoshop = std::move(block);
    walk->photoshop = LeadingState::kDone;
}

// The search for the block's keyword among the comment lines; the first line of code ends it.
void SeekBlockStart(LeadingWalk* walk, EpsReader* eps, const FedLine& fed) {
    if (fed.status != kOk) return EndPhotoshop(walk, fed.status, nullptr);
    if (!StartsWith(fed.line, kBeginPhotoshop)) {
        if (!IsCommentLine(fed.line)) EndPhotoshop(walk, kErrFormat, nullptr);
        return;
    }
    PString rest;
    PStrCopy(fed.line, rest, sizeof rest);
    MatchKeyword(rest, kBeginPhotoshop);
    walk->announced = ParseInteger(rest);
    if (walk->announced > kMaxHexBlockBytes) return EndPhotoshop(walk, kErrMemory, nullptr);
    walk->bytesLeft = EpsFileSize(eps) - EpsTell(eps);
    // The buffer is made at the next line, so that a block the scan hands over costs none.
    walk->photoshop = LeadingState::kStarting;
}

// The block's hex lines: "%"-lines while bytes are wanted; the first other line (or a read that
// fails) closes the block. Once every announced byte is there, what follows is no concern.
void CollectBlock(LeadingWalk* walk, const FedLine& fed) {
    if (fed.status == kOk && HexBlockWanted(walk->hex) && IsCommentLine(fed.line)) {
        AddHexCommentLine(fed.line, &walk->hex);
        return;
    }
    EndPhotoshop(walk, fed.status != kOk ? fed.status : kErrFormat, CloseHexBlock(&walk->hex));
}

void FeedPhotoshop(LeadingWalk* walk, EpsReader* eps, const FedLine& fed) {
    if (walk->photoshop == LeadingState::kStarting) {
        Status status = OpenHexBlock(walk->announced, walk->bytesLeft, true, &walk->hex);
        if (status != kOk) return EndPhotoshop(walk, status, nullptr);
        walk->photoshop = LeadingState::kCollecting;
    }
    switch (walk->photoshop) {
        case LeadingState::kLooking:
            return SeekBlockStart(walk, eps, fed);
        case LeadingState::kCollecting:
            return CollectBlock(walk, fed);
        case LeadingState::kHandedOver:
            // The scan hands its block over before it reads on; a walk read to the end without
            // it must still come to an end.
            if (fed.status != kOk && !fed.advanced) EndPhotoshop(walk, kErrFormat, nullptr);
            return;
        default:
            return;
    }
}

void FeedLeadingLine(LeadingWalk* walk, EpsReader* eps, const FedLine& fed) {
    FeedPhotoshop(walk, eps, fed);
    FeedCompanion(walk, fed);
    FeedSample(walk, fed);
    ++walk->lines;
}

LeadingState Wanted(uint32_t wants, uint32_t which) {
    return (wants & which) != 0 ? LeadingState::kLooking : LeadingState::kDone;
}

}  // namespace

void DisposeLeadingComments(LeadingComments* comments) {
    *comments = LeadingComments{};
}

void StartLeadingWalk(uint32_t wants, LeadingComments* out, LeadingWalk* walk) {
    DisposeLeadingComments(out);
    *walk = LeadingWalk{};
    walk->out = out;
    walk->photoshop = Wanted(wants, kWantPhotoshop);
    walk->companion = Wanted(wants, kWantCompanion);
    walk->sample = Wanted(wants, kWantSample);
}

bool LeadingWalkActive(const LeadingWalk& walk) {
    return walk.photoshop != LeadingState::kDone || walk.companion != LeadingState::kDone ||
           walk.sample != LeadingState::kDone;
}

Status ReadLineFor(LeadingWalk* walk, EpsReader* eps, uint8_t* line) {
    if (walk == nullptr || !LeadingWalkActive(*walk)) return ReadLine(eps, line);
    uint64_t before = EpsTell(eps);
    Status status = ReadLine(eps, line);
    FeedLeadingLine(walk, eps, FedLine{status, EpsTell(eps) > before, line});
    return status;
}

void FinishLeadingWalk(LeadingWalk* walk, EpsReader* eps) {
    // Every read either moves on or reports the end, which settles every fact: this ends.
    PString line;
    // The walk takes each read's status itself.
    while (LeadingWalkActive(*walk)) (void)ReadLineFor(walk, eps, line);
}

void AbandonLeadingWalk(LeadingWalk* walk) {
    walk->hex = HexBlock{};
    if (walk->out != nullptr) DisposeLeadingComments(walk->out);
    walk->photoshop = walk->companion = walk->sample = LeadingState::kDone;
}

bool OfferPhotoshopBlock(LeadingWalk* walk) {
    // The walk leaves kStarting at the next line it is fed: in it, the block started on the last one.
    if (walk->photoshop != LeadingState::kStarting) return false;
    walk->photoshop = LeadingState::kHandedOver;
    return true;
}

void HandOverPhotoshopBlock(LeadingWalk* walk, BufferPtr block) {
    if (walk->photoshop != LeadingState::kHandedOver) return;
    // The scan's loop ended on a line it read without failure, or the attach fails anyway.
    EndPhotoshop(walk, kErrFormat, std::move(block));
}

void WalkLeadingComments(EpsReader* eps, uint32_t wants, LeadingComments* out) {
    LeadingWalk walk;
    StartLeadingWalk(wants, out, &walk);
    Status status = RewindToPostScript(eps);
    if (status != kOk) {
        out->photoshopStatus = status;
        return;
    }
    FinishLeadingWalk(&walk, eps);
}

}  // namespace aldra
