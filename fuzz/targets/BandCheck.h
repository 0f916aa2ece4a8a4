// The sink the picture targets hand to the decoders: it checks each band against the promises of
// RowSink.h and reads the first and last pixel byte, so that a band reaching past its block is
// reported here, where the decoder is still on the stack, and not later in the drawing code.
#pragma once
#include <cstdint>

#include "fuzz/targets/Scratch.h"
#include "preview/RowSink.h"

namespace aldra::fuzz {

struct BandCheck final : RowSink {
    uint32_t nextTop = 0;   // where the next band must begin: the bottom of the last one
    uint32_t height = 0;    // of the picture, once a band came
    bool restarts = false;  // a decoder that tries a stream twice draws again from the top
    uint32_t checksum = 0;  // kept so that the reads are not optimised away

    Status TakeRows(const RowBand& band) override {
        ALDRA_FUZZ_CHECK(band.width > 0 && band.height > 0);
        if (restarts && band.top == 0) nextTop = 0;
        ALDRA_FUZZ_CHECK(band.top == nextTop && band.rows > 0 && band.rows <= band.height - band.top);
        const uint64_t bits = uint64_t{band.bitsPerPixel} * band.width;
        ALDRA_FUZZ_CHECK(uint64_t{band.rowBytes} * 8 >= bits);
        const uint64_t bytes = uint64_t{band.rowBytes} * band.rows;
        ALDRA_FUZZ_CHECK(bytes <= band.capacity);
        ALDRA_FUZZ_CHECK(band.colourCount <= kPaletteSize && (band.colourCount == 0 || band.colours));
        // The band is one run of bytes: its ends are where a short block shows.
        if (bytes != 0) checksum += band.pixels[0] + band.pixels[bytes - 1];
        ALDRA_FUZZ_CHECK(height == 0 || height == band.height);
        height = band.height;
        nextTop = band.top + band.rows;
        return kOk;
    }
};

}  // namespace aldra::fuzz
