// The operand stack of a pass. Operators pop from the top, so the operand written last comes
// first. Every pop that finds the stack empty or the wrong type fails with 2020 and removes the
// entry it looked at, so a handler that stops half-way leaves no stale operands for the next one.
#pragma once
#include "illustrator/ArtState.h"

namespace aldra {

// 2020 when the stack already holds kOperandCapacity entries.
Status PushNumber(ArtState* state, double value);
Status PushString(ArtState* state, const uint8_t* text);
Status PopNumber(ArtState* state, double* value);
// Operands written "x y": y is popped first.
Status PopPoint(ArtState* state, double* x, double* y);
// Four numbers in the order in which they were written.
Status PopFour(ArtState* state, double out[4]);
Status PopString(ArtState* state, uint8_t* text);
void ClearOperands(ArtState* state);

}  // namespace aldra
