// CCITT bilevel compression as TIFF uses it: modified Huffman rows (compression 2), Group 3
// (compression 3, one- or two-dimensional by T4Options) and Group 4 (compression 4), the kinds
// Ghostscript's and scanners' previews carry. libtiff decodes them, reading the section held in
// memory through its client interface, so that it sees nothing outside the section.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "preview/TiffByteView.h"

// libtiff's handle, named as tiffio.h names it.
struct tiff;

namespace aldra {

// The strips of one picture: libtiff opens the section at the first strip asked for and keeps it for
// the others, so that a picture of a strip a row does not read its directory once a row.
class FaxStrips {
  public:
    FaxStrips() = default;
    ~FaxStrips();
    FaxStrips(const FaxStrips&) = delete;
    FaxStrips& operator=(const FaxStrips&) = delete;

    // Decodes strip `strip` into outSize bytes of 1-bit rows (a 1 bit is a black run). 2020 when
    // libtiff cannot open the section or the strip's codes are damaged; the rows decoded so far
    // stay in out. Nothing is printed: libtiff's messages are dropped.
    Status Decode(uint32_t strip, uint8_t* out, uint32_t outSize);
    // The section the strips lie in, which must outlive this object; set before the first Decode.
    void Use(const BoundedBytes* section) { file_.section = section; }

    // Where libtiff reads: the section, through a position of its own.
    struct SectionFile {
        const BoundedBytes* section = nullptr;
        uint64_t position = 0;
    };

  private:
    SectionFile file_;
    ::tiff* tiff_ = nullptr;
    bool openFailed_ = false;
};

}  // namespace aldra
