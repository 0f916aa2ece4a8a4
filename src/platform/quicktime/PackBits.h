// PackBits run-length decoding, by bytes and by 16-bit words (the pixel maps of 16 bits). Decoding
// stops when the output is full or the input ends; output not reached keeps its bytes.
#pragma once
#include <cstdint>

namespace aldra::qt {

void UnpackBits(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize);
void UnpackBitsWords(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize);

}  // namespace aldra::qt
