#include "platform/quicktime/PackBits.h"

namespace aldra::qt {

namespace {

// A flag byte n < 128 copies n + 1 units; n > 128 repeats the next unit 257 - n times; 128 does
// nothing.
void Unpack(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize, uint32_t unit) {
    uint32_t i = 0, o = 0;
    while (i < inSize && o < outSize) {
        const uint32_t flag = in[i++];
        if (flag == 128) continue;
        const uint32_t units = flag < 128 ? flag + 1 : 257 - flag;
        const bool literal = flag < 128;
        for (uint32_t u = 0; u < units && o < outSize; ++u) {
            const uint32_t from = literal ? i + u * unit : i;
            for (uint32_t b = 0; b < unit && o < outSize; ++b)
                out[o++] = from + b < inSize ? in[from + b] : 0;
        }
        i += literal ? units * unit : unit;
    }
}

}  // namespace

void UnpackBits(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize) {
    Unpack(in, inSize, out, outSize, 1);
}

void UnpackBitsWords(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize) {
    Unpack(in, inSize, out, outSize, 2);
}

}  // namespace aldra::qt
