#include "illustrator/ArtOperands.h"

namespace aldra {

namespace {

// The top entry, taken off the stack; null when the stack is empty.
const ArtOperand* Pop(ArtState* state) {
    if (state->top == 0) return nullptr;
    return &state->operands[--state->top];
}

}  // namespace

Status PushNumber(ArtState* state, double value) {
    if (state->top >= kOperandCapacity) return kErrFormat;
    ArtOperand* entry = &state->operands[state->top++];
    entry->type = kOperandNumber;
    entry->number = value;
    return kOk;
}

Status PushString(ArtState* state, const uint8_t* text) {
    if (state->top >= kOperandCapacity) return kErrFormat;
    ArtOperand* entry = &state->operands[state->top++];
    entry->type = kOperandString;
    PStrCopy(text, entry->text, sizeof entry->text);
    return kOk;
}

Status PopNumber(ArtState* state, double* value) {
    const ArtOperand* entry = Pop(state);
    if (!entry || entry->type != kOperandNumber) return kErrFormat;
    *value = entry->number;
    return kOk;
}

Status PopPoint(ArtState* state, double* x, double* y) {
    if (Status s = PopNumber(state, y); s != kOk) return s;
    return PopNumber(state, x);
}

Status PopFour(ArtState* state, double out[4]) {
    for (int i = 3; i >= 0; --i) {
        if (Status s = PopNumber(state, &out[i]); s != kOk) return s;
    }
    return kOk;
}

Status PopString(ArtState* state, uint8_t* text) {
    const ArtOperand* entry = Pop(state);
    if (!entry || entry->type != kOperandString) return kErrFormat;
    PStrCopy(entry->text, text, kPStringCapacity);
    return kOk;
}

void ClearOperands(ArtState* state) {
    state->top = 0;
}

}  // namespace aldra
