// Splitting the lines of an Illustrator document into operands and operators. Operators are one
// or two characters; their code is the first character, or the first times 256 plus the second.
#pragma once
#include <cstdint>

#include "illustrator/ArtState.h"

namespace aldra {

constexpr uint16_t OperatorCode(const char* word) {
    return word[1] == 0
               ? static_cast<uint16_t>(static_cast<uint8_t>(word[0]))
               : static_cast<uint16_t>(static_cast<uint8_t>(word[0]) * 256 + static_cast<uint8_t>(word[1]));
}

// A line being read and the index of its first unread character. A drawing is mostly short tokens,
// and moving the rest of the line to the front after each one cost more than reading them.
struct ArtLine {
    PString text;
    int at = 1;
};

inline bool ArtLineUsedUp(const ArtLine& line) {
    return line.at > line.text[0];
}

// Takes the next token from the line: operands go on the stack, a comment is handled and uses up
// the line, an operator comes back in *code (0 when the token was none). Outside the artwork proper
// every line is read for its comments only. 2020 for a word of three or more characters where an
// operator belongs, or an operand that does not fit the stack.
Status NextArtToken(EpsReader* eps, ArtLine* line, ArtState* state, uint16_t* code);

}  // namespace aldra
