// Inside the GDI layer: nearest-pixel copying of a rectangle of one surface into another, the one
// engine behind StretchDIBits and GetDIBits. Not for use outside
// src/platform/gdi.
#pragma once
#include <cstdint>

#include "platform/gdi/Pixels.h"

namespace aldra::gdi {

// One direction of a copy, in device pixels (rows counted from the top of the picture): the
// destination pixels [destStart, destStart + destLength) take the source pixels
// [srcStart, srcStart + srcLength), the first destination pixel the first source pixel unless
// `mirror`. Both lengths are positive.
struct Axis {
    int64_t destStart;
    int64_t destLength;
    int64_t srcStart;
    int64_t srcLength;
    bool mirror;
};

// Turns a signed extent as GDI takes it into a start and a positive length: a negative extent
// covers the pixels after origin + extent up to and including the origin. False for 0.
bool NormaliseExtent(int64_t origin, int64_t extent, int64_t* start, int64_t* length, bool* reversed);

// Copies with destination pixel i of n taking source pixel floor((2i + 1) * m / (2n)); pixels
// outside either surface are skipped. Colours reach indexed destinations by nearest colour. False
// only when memory for the sampling tables is short.
bool Stretch(const Surface& dst, const Surface& src, const Axis& x, const Axis& y);

}  // namespace aldra::gdi
