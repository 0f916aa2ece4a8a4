// What one pass over the comments at the head of an EPS file tells about the document.
#pragma once
#include <cstdint>

#include "base/PString.h"
#include "base/StringList.h"

namespace aldra {

enum ColorMode : uint32_t { kOneBit = 0, kGreyscale = 1, kColour = 2 };
enum DcsKind : uint32_t { kPlainEps = 1, kDcsMain = 2, kIcsMain = 3 };

// OPI systems; the string resource naming one is 199 + its code.
enum OpiSystem : uint32_t {
    kOpiNone = 1,
    kOpiUnknown = 2,
    kOpiHelios = 3,
    kOpiColorCentral = 4,
    kOpi4Sight = 5,
    kOpiLinoPrint = 6,
    kOpiIptGetThePicture = 7,
    kOpiNineBits = 8,
};

// One list (fonts, colours, files, IPTC keywords) holds at most this many bytes, entries past it
// being dropped. Real documents name a few hundred entries, and a list grows by copying itself, so
// a forged file with millions of "%%+" lines would otherwise keep the scan busy for minutes.
inline constexpr uint32_t kMaxListBytes = 256 * 1024;

struct EpsInfo {
    double widthInches = 0;   // (urx - llx) / 72 of the last bounding box
    double heightInches = 0;  // (ury - lly) / 72
    double hResolution = 0;   // pixels per inch; 0 when unknown
    double vResolution = 0;
    uint32_t colorMode = kOneBit;
    PString postScriptVersion = {0};
    PString epsfVersion = {0};
    uint32_t dcsKind = kPlainEps;
    uint32_t opiSystem = kOpiNone;
    PString opiHiResFileName = {0};
    PString creator = {0};
    // Present after a successful scan; a failed scan leaves them empty.
    uint32_t customColorCount = 0;
    StringListPtr customColors;
    uint32_t fontCount = 0;
    StringListPtr fonts;
    uint32_t fileCount = 0;
    StringListPtr files;
};

}  // namespace aldra
