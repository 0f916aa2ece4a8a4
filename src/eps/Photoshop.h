// Photoshop image resources and the IPTC data inside them, and %ImageData lines.
#pragma once
#include <cstdint>

#include "base/PString.h"
#include "base/Result.h"
#include "base/StringList.h"
#include "base/TextBuffer.h"
#include "eps/EpsInfo.h"
#include "eps/EpsReader.h"

namespace aldra {

inline constexpr uint16_t kResolutionResource = 1005;
inline constexpr uint16_t kIptcResource = 1028;

// Takes resolution and colour mode from the rest of an "%ImageData:" line.
void ParseImageData(uint8_t* line, EpsInfo* info);
// Finds and decodes the Photoshop resource block among the file's leading comments (the walk of
// LeadingComments.h). 1000 for a block announced larger than
// kMaxHexBlockBytes, refused before any of it is read.
Status ReadPhotoshopData(EpsReader* eps, BufferPtr* block);
Status FindImageResource(const uint8_t* block, uint32_t size, uint16_t id, const uint8_t** data,
                         uint32_t* dataSize);
// 16.16 fixed-point pixels per inch; 2020 unless resource 1005 exists with exactly 16 bytes.
Status ReadPhotoshopResolution(const uint8_t* block, uint32_t size, int32_t* hResolution,
                               int32_t* vResolution);
Status FindIptcDataSet(const uint8_t* record, uint32_t size, uint8_t recordNumber, uint8_t dataSet,
                       const uint8_t** data, uint32_t* length);
// The categories of a decoded block (ReadPhotoshopData). kErrFormat when the block has no IPTC
// record or the record no keywords.
Status IptcKeywordsOfBlock(const TextBuffer* block, StringListPtr* keywords, uint32_t* count);
// The notes text of a decoded block, composed by the data-set table. kErrFormat when the table
// selects nothing the record holds.
Status IptcNotesOfBlock(const TextBuffer* block, const TextBuffer* anpaTable, const uint8_t* separator,
                        BufferPtr* notes);

}  // namespace aldra
