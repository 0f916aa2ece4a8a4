// The TIFF decoder on a section in memory, as the DOS EPS path hands it over: every compression,
// photometric interpretation and strip layout. Decoded once into a checking sink and once without a
// sink, the way a caller only checking a file runs it; both must agree on whether the file decodes.
#pragma once
#include "fuzz/targets/BandCheck.h"
#include "fuzz/targets/FilterResources.h"
#include "preview/TiffPreview.h"

namespace aldra::fuzz {

inline int FuzzTiff(const uint8_t* data, size_t size) {
    UseFilterResources();
    BandCheck check;
    const Status drawn = DecodeTiffImage(data, Size32(size), &check);
    const Status checked = DecodeTiffImage(data, Size32(size), nullptr);
    ALDRA_FUZZ_CHECK((drawn == kOk) == (checked == kOk));
    // A refused picture reaches no sink; a decoded one hands over every row, failed strips as blank.
    if (drawn != kOk) ALDRA_FUZZ_CHECK(check.nextTop == 0);
    if (drawn == kOk) ALDRA_FUZZ_CHECK(check.nextTop == check.height && check.height > 0);
    return 0;
}

}  // namespace aldra::fuzz
