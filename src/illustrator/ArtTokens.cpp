#include "illustrator/ArtTokens.h"

#include "eps/CommentParser.h"
#include "illustrator/ArtComments.h"
#include "illustrator/ArtOperands.h"

namespace aldra {

namespace {

bool Interpreting(const ArtState* state) {
    return state->setupEnded && !state->inTrailer && !state->inCrops;
}

bool StartsNumber(uint8_t c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

// The destructive parsers of comment lines want the token at the front. Only comments, names and
// strings take this path, a few lines in a hundred.
uint8_t* UnreadPart(ArtLine* line) {
    if (line->at > 1) PStrDelete(line->text, 1, line->at - 1);
    line->at = 1;
    return line->text;
}

// "[a b c]": the numbers become ordinary operands. A name or a missing "]" turns into zeros until
// the stack is full. The blanks before "]" count as a number too, as they always have.
Status PushArray(ArtLine* line, ArtState* state) {
    const uint8_t* text = line->text;
    int at = line->at + 1;
    while (!(at <= text[0] && text[at] == ']')) {
        if (PushNumber(state, ReadRealAt(text, &at)) != kOk) return kErrFormat;
    }
    line->at = at + 1;
    return kOk;
}

Status PushNumberToken(ArtLine* line, ArtState* state) {
    const uint8_t* text = line->text;
    int end = text[line->at] == '+' ? line->at + 1 : line->at;  // the number parser takes no '+'
    const double value = ReadRealAt(text, &end);
    line->at = BlanksEnd(text, end);
    return PushNumber(state, value);
}

// An operator ends nearly every line of a drawing: its code is read in place.
Status TakeOperator(ArtLine* line, uint16_t* code) {
    const uint8_t* text = line->text;
    const int at = line->at;
    int end = at;
    while (end <= text[0] && text[end] != ' ') ++end;
    Status status = kOk;
    if (end - at == 1) {
        *code = text[at];
    } else if (end - at == 2) {
        *code = static_cast<uint16_t>(text[at] * 256 + text[at + 1]);
    } else {
        status = kErrFormat;
    }
    line->at = BlanksEnd(text, end);
    return status;
}

Status TakeComment(EpsReader* eps, ArtLine* line, ArtState* state) {
    ++line->at;  // the '%'
    Status status = HandleArtComment(UnreadPart(line), eps, state);
    line->text[0] = 0;
    return status;
}

Status PushName(ArtLine* line, ArtState* state) {
    ++line->at;  // the '/'
    PString name;
    TakeWord(UnreadPart(line), name);
    return PushString(state, name);
}

Status PushText(ArtLine* line, ArtState* state) {
    PString text;
    ParseToken(UnreadPart(line), text);
    return PushString(state, text);
}

}  // namespace

Status NextArtToken(EpsReader* eps, ArtLine* line, ArtState* state, uint16_t* code) {
    *code = 0;
    const uint8_t* text = line->text;
    line->at = BlanksEnd(text, line->at);
    if (ArtLineUsedUp(*line)) return kOk;
    const uint8_t first = text[line->at];
    if (first == '%') return TakeComment(eps, line, state);
    if (!Interpreting(state)) {
        line->at = text[0] + 1;
        return kOk;
    }
    if (first == '[') return PushArray(line, state);
    if (first == '/') return PushName(line, state);
    const bool twoOrMore = line->at < text[0];
    if (twoOrMore && first == '(') return PushText(line, state);
    if (twoOrMore && StartsNumber(first)) return PushNumberToken(line, state);
    return TakeOperator(line, code);
}

}  // namespace aldra
