// The information interface's readers over a whole file: the DSC texts and the trailer a header
// defers to, the XMP packet in the PostScript text and its properties, and the file's bytes taken
// as an IPTC record. Every text they give must be UTF-8.
#pragma once
#include "eps/DscFacts.h"
#include "eps/IptcText.h"
#include "eps/Utf8Text.h"
#include "eps/XmpFacts.h"
#include "eps/XmpPacket.h"
#include "fuzz/targets/Scratch.h"

namespace aldra::fuzz {

inline int FuzzDocumentFacts(const uint8_t* data, size_t size) {
    const std::string path = WriteScratch("facts/input.eps", data, size);
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return 0;
    DscFacts dsc;
    if (ReadDscFacts(&eps, &dsc) == kOk) {
        ALDRA_FUZZ_CHECK(IsValidUtf8(dsc.title) && IsValidUtf8(dsc.forWhom) && IsValidUtf8(dsc.pages));
        ALDRA_FUZZ_CHECK(dsc.fonts.size() <= kMostTrailerEntries);
        for (const std::string& font : dsc.fonts) ALDRA_FUZZ_CHECK(IsValidUtf8(font));
    }
    std::string packet;
    if (ReadXmpPacket(&eps, &packet) == kOk) {
        ALDRA_FUZZ_CHECK(packet.size() <= kMostEmbeddedXmpBytes);
        const XmpFacts xmp = ReadXmpFacts(packet);
        ALDRA_FUZZ_CHECK(xmp.title.size() <= kMostXmpValueBytes);
    }
    CloseEps(&eps);
    const IptcText iptc = ReadIptcText(data, static_cast<uint32_t>(size));
    ALDRA_FUZZ_CHECK(IsValidUtf8(iptc.caption) && IsValidUtf8(iptc.objectName));
    for (const std::string& creator : iptc.creators) ALDRA_FUZZ_CHECK(IsValidUtf8(creator));
    return 0;
}

}  // namespace aldra::fuzz
