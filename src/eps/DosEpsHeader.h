// The binary header of a DOS EPS file: 30 little-endian bytes at the start of the file that locate
// the PostScript text and the optional Windows metafile and TIFF previews. The quick test, the line
// reader and the TIFF preview all read it through this one parser.
//
//   offset  size  field
//        0     4  magic C5 D0 D3 C6
//        4     4  PostScript offset      8  4  PostScript length
//       12     4  metafile offset       16  4  metafile length (offset 0: none)
//       20     4  TIFF offset           24  4  TIFF length (offset 0: none)
//       28     2  checksum (0xFFFF when not computed; never checked)
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/Result.h"

namespace aldra {

struct EpsReader;

inline constexpr uint32_t kDosEpsHeaderBytes = 30;
// The checksum is not used, so a header is complete after its section table.
inline constexpr uint32_t kDosEpsHeaderUsedBytes = 28;

struct DosEpsHeader {
    uint32_t postScriptOffset = 0;
    uint32_t postScriptLength = 0;
    uint32_t metafileOffset = 0;
    uint32_t metafileLength = 0;
    uint32_t tiffOffset = 0;
    uint32_t tiffLength = 0;
};

// Whether the bytes begin with the magic; fewer than four bytes do not.
bool HasDosEpsMagic(const uint8_t* bytes, size_t size);
// 2020 when the bytes are fewer than 28 or do not begin with the magic.
Status ParseDosEpsHeader(const uint8_t* bytes, size_t size, DosEpsHeader* header);
// Reads the header from the start of the file; the reader's position is then undefined.
Status ReadDosEpsHeader(EpsReader* eps, DosEpsHeader* header);
// Whether all of the file's PostScript text lies in the first window of a reader just opened, which
// may hold only the window's first piece yet: the whole file, or a DOS EPS file's PostScript section
// with the previews behind it.
bool PostScriptInFirstWindow(const EpsReader& eps);

}  // namespace aldra
