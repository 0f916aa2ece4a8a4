// The sink the picture targets hand to the decoders: it checks each band against the promises of
// PreviewSink.h and reads the first and last pixel byte, so that a band reaching past its block is
// reported here, where the decoder is still on the stack, and not later in the drawing code.
#pragma once
#include <cstdint>

#include "fuzz/targets/Scratch.h"
#include "preview/PreviewSink.h"
#include "preview/Raster.h"

namespace aldra::fuzz {

struct BandCheck {
    int32_t nextTop = 0;    // where the next band must begin: the bottom of the last one
    int32_t height = 0;     // of the image frame, once a band came
    bool restarts = false;  // a decoder that tries a stream twice draws again from the top
    uint32_t checksum = 0;  // kept so that the reads are not optimised away
};

inline Status CheckBand(RasterImage* band, const Rect* image, const Rect* bandRect, void* context) {
    auto* check = static_cast<BandCheck*>(context);
    ALDRA_FUZZ_CHECK(image->left == 0 && image->top == 0 && image->right > 0 && image->bottom > 0);
    ALDRA_FUZZ_CHECK(bandRect->left == 0 && bandRect->right == image->right);
    if (check->restarts && bandRect->top == 0) check->nextTop = 0;
    ALDRA_FUZZ_CHECK(bandRect->top == check->nextTop && bandRect->bottom > bandRect->top &&
                     bandRect->bottom <= image->bottom);
    ALDRA_FUZZ_CHECK(!band->inDibOrder);
    ALDRA_FUZZ_CHECK(band->width == static_cast<uint32_t>(image->right));
    ALDRA_FUZZ_CHECK(band->height == static_cast<uint32_t>(bandRect->bottom - bandRect->top));
    const uint64_t bits = uint64_t{band->bitsPerPixel} * band->width;
    ALDRA_FUZZ_CHECK(uint64_t{band->rowBytes} * 8 >= bits);
    const uint64_t bytes = uint64_t{band->rowBytes} * band->height;
    ALDRA_FUZZ_CHECK(bytes <= band->capacity);
    // The band is one run of bytes: its ends are where a short block shows.
    if (bytes != 0) check->checksum += band->pixels[0] + band->pixels[bytes - 1];
    ALDRA_FUZZ_CHECK(check->height == 0 || check->height == image->bottom);
    check->height = image->bottom;
    check->nextTop = bandRect->bottom;
    return kOk;
}

inline PreviewSink CheckingSink(BandCheck* check) {
    return PreviewSink{CheckBand, check};
}

}  // namespace aldra::fuzz
