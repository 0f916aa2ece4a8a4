#include "preview/DeflateDecoder.h"

#include <zlib.h>

namespace aldra {

namespace {

// zlib reads its input from memory; the strip is copied out of the section in pieces of this size.
constexpr uint32_t kInputPiece = 64 * 1024;

}  // namespace

Status DecodeDeflate(const BoundedBytes& in, uint8_t* out, uint32_t outSize) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return kErrMemory;
    uint8_t piece[kInputPiece];
    uint32_t taken = 0;
    z.next_out = out;
    z.avail_out = outSize;
    int result = Z_OK;
    while (z.avail_out > 0 && result == Z_OK) {
        if (z.avail_in == 0) {
            if (taken == in.size()) break;
            const uint32_t n = in.size() - taken < kInputPiece ? in.size() - taken : kInputPiece;
            in.CopyTo(taken, n, piece);
            taken += n;
            z.next_in = piece;
            z.avail_in = n;
        }
        result = inflate(&z, Z_NO_FLUSH);
        // Z_BUF_ERROR only says no progress was possible with this input; more may follow.
        if (result == Z_BUF_ERROR && z.avail_in == 0) result = Z_OK;
    }
    const bool full = z.avail_out == 0;
    inflateEnd(&z);
    return full ? kOk : kErrFormat;
}

}  // namespace aldra
