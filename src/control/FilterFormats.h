// The formats this filter handles, row 0 EPS and row 1 Illustrator.
#pragma once
#include <cstdint>

namespace aldra {

struct FilterFormat {
    const char* extension;
    uint32_t nameResource;  // looked up at call time, so a localisation module can rename it
    bool needsExtension;
    const char* defaultBitmap;
    const char* defaultMacType;
    const char* defaultMacSignature;
};

inline constexpr int kFilterFormatCount = 2;
inline constexpr FilterFormat kFilterFormats[kFilterFormatCount] = {
    {"eps", 1000, false, "EPS.bmp", "EPSP", "8BIM"},
    {"ai", 1001, false, "EPS.bmp", "TEXT", "ART5"},
};

}  // namespace aldra
