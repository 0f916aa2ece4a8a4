// CMYK and CIELAB to RGB through 17 x 17 x 17 grids with trilinear integer interpolation. The tables
// are process-wide, loaded on first use and kept while any control holds a reference.
#pragma once
#include <cstdint>

#include "base/Result.h"

namespace aldra {

inline constexpr int kColourCmyk = 1;  // in: cyan, magenta, yellow, black as amounts of ink
inline constexpr int kColourLab = 2;   // in: L* scaled to 0..255, a* + 128, b* + 128

enum class ColourTable { kCmyGrid, kBlackCurve, kLabGrid, kWeights };

// Counts one more user; the tables themselves load when a conversion first needs them.
void AcquireColourTables();
// The last release frees every table that is present.
void ReleaseColourTables();

// Writes red, green, blue to out. A table that cannot be loaded returns its status with out
// unchanged; an unknown mode returns 0 and writes nothing.
Status ConvertColour(int mode, const uint8_t* in, uint8_t* out);

// For diagnostics and tests.
bool ColourTablePresent(ColourTable table);
uint32_t ColourTableReferences();

}  // namespace aldra
