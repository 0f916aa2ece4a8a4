// The colour tables computed at build time by tools/colourtables from the filter's CMYK and CIELAB
// colour models. They are the filter's own "TEXT" resources 5000 to 5002.
#pragma once
#include <cstdint>

namespace aldra {

inline constexpr uint32_t kGridNodes = 17;
inline constexpr uint32_t kColourGridBytes = kGridNodes * kGridNodes * kGridNodes * 3;  // 14,739
inline constexpr uint32_t kBlackCurveBytes = 256;

extern const uint8_t kBuiltInCmyGrid[kColourGridBytes];     // resource 5000
extern const uint8_t kBuiltInBlackCurve[kBlackCurveBytes];  // resource 5001
extern const uint8_t kBuiltInLabGrid[kColourGridBytes];     // resource 5002

}  // namespace aldra
