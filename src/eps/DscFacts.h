// The document's own description in its DSC comments beyond what the catalogue record takes: its
// title, date, owner, page count and language level, and the values a header defers with "(atend)"
// to the trailer. Texts are UTF-8 (see Utf8Text.h).
#pragma once
#include <string>
#include <vector>

#include "base/Result.h"
#include "eps/EpsReader.h"

namespace aldra {

struct DscFacts {
    std::string title;
    std::string creationDate;
    std::string forWhom;  // %%For
    std::string creator;
    std::string pages;
    std::string languageLevel;
    // The box as "llx lly urx ury", the header's or, when it says "(atend)", the trailer's.
    std::string boundingBox;
    // Filled only from the trailer, for a header that defers them; the header's own lists are the
    // catalogue record's.
    std::vector<std::string> fonts;
    std::vector<std::string> colours;
    std::vector<std::string> files;
};

// A header that never ends with a code line is still read no further than this many lines, and a
// trailer is looked for in this many bytes at the end of the PostScript text.
inline constexpr uint32_t kMostHeaderLines = 20000;
inline constexpr uint64_t kTrailerSearchBytes = 256 * 1024;
// A deferred list stops growing at this many entries.
inline constexpr size_t kMostTrailerEntries = 4096;

// Without `readTrailer`, a header that defers values ends the read with 1000 instead: finding the
// trailer means reading the end of the text, which a reading that must stay small cannot afford.
Status ReadDscFacts(EpsReader* eps, DscFacts* facts, bool readTrailer = true);

}  // namespace aldra
