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

// "[a b c]": the numbers become ordinary operands. A name or a missing "]" turns into zeros until
// the stack is full.
Status PushArray(uint8_t* line, ArtState* state) {
    while (!MatchKeyword(line, "]")) {
        if (PushNumber(state, ParseReal(line)) != kOk) return kErrFormat;
    }
    return kOk;
}

// Drawings are mostly numbers, so a number and the blanks after it, which the next token would
// skip, leave the line in one shift.
Status PushNumberToken(uint8_t* line, ArtState* state) {
    int end = line[1] == '+' ? 2 : 1;  // a sign of its own, which the number parser does not take
    const double value = ReadRealAt(line, &end);
    PStrDelete(line, 1, BlanksEnd(line, end) - 1);
    return PushNumber(state, value);
}

// An operator ends nearly every line of a drawing: its code is read in place, not copied out as a
// word, and leaves the line with the blanks after it, which the next token would skip.
Status TakeOperator(uint8_t* line, uint16_t* code) {
    int length = 0;
    while (length < line[0] && line[length + 1] != ' ') ++length;
    Status status = kOk;
    if (length == 1) {
        *code = line[1];
    } else if (length == 2) {
        *code = static_cast<uint16_t>(line[1] * 256 + line[2]);
    } else {
        status = kErrFormat;
    }
    PStrDelete(line, 1, BlanksEnd(line, length + 1) - 1);
    return status;
}

}  // namespace

Status NextArtToken(EpsReader* eps, uint8_t* line, ArtState* state, uint16_t* code) {
    *code = 0;
    SkipBlanks(line);
    if (MatchKeyword(line, "%")) {
        Status status = HandleArtComment(line, eps, state);
        line[0] = 0;
        return status;
    }
    if (!Interpreting(state)) line[0] = 0;
    if (line[0] == 0) return kOk;
    if (MatchKeyword(line, "[")) return PushArray(line, state);
    if (MatchKeyword(line, "/")) {
        PString name;
        TakeWord(line, name);
        return PushString(state, name);
    }
    if (line[0] >= 2 && line[1] == '(') {
        PString text;
        ParseToken(line, text);
        return PushString(state, text);
    }
    if (line[0] >= 2 && StartsNumber(line[1])) return PushNumberToken(line, state);
    return TakeOperator(line, code);
}

}  // namespace aldra
