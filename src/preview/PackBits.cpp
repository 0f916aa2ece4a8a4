#include "preview/PackBits.h"

#include <cstring>

namespace aldra {

Status UnpackBitsRows(const BoundedBytes& in, uint8_t* out, uint32_t rowBytes, uint32_t rows) {
    uint32_t at = 0;  // input position, carried from row to row
    for (uint32_t row = 0; row < rows; ++row) {
        uint8_t* line = out + static_cast<uint64_t>(row) * rowBytes;
        uint32_t filled = 0;
        while (filled < rowBytes) {
            uint8_t header;
            if (!in.Get8(at, &header)) return kErrFormat;
            ++at;
            auto n = static_cast<int8_t>(header);
            if (n == -128) continue;
            uint32_t room = rowBytes - filled;
            if (n >= 0) {
                uint32_t literal = static_cast<uint32_t>(n) + 1;
                uint32_t take = literal < room ? literal : room;
                if (!in.CopyTo(at, take, line + filled)) return kErrFormat;
                // The dropped rest of a cut literal is data, not headers: the next row starts
                // behind it (or at the end, when the input stops inside it).
                at = in.size() - at > literal ? at + literal : in.size();
                filled += take;
            } else {
                uint8_t value;
                if (!in.Get8(at, &value)) return kErrFormat;
                ++at;
                uint32_t repeat = static_cast<uint32_t>(1 - n);
                uint32_t take = repeat < room ? repeat : room;
                std::memset(line + filled, value, take);
                filled += take;
            }
        }
    }
    return kOk;
}

}  // namespace aldra
