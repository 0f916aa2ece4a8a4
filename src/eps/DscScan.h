// The one pass over the comment lines at the head of an EPS file that describes the document.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsInfo.h"
#include "eps/EpsReader.h"
#include "eps/LeadingComments.h"

namespace aldra {

// Writes a version packed by ParseVersion as text ("3.0", "2.01", "10.0"); 0 leaves dst as it is.
void FormatVersion(uint16_t packed, uint8_t* dst, uint32_t capacity);

// Fills info from the DSC and private comments of the file the reader is open on; the scan
// positions the reader itself. path is the file's own path (4-Sight names and DCS plates need it).
// On success the three lists belong to the caller; on failure they are already disposed of.
// `leading`, when given, receives the facts of the leading comments from the lines the scan reads
// (reading on only where the scan stopped before they were settled); on failure it is empty.
Status ParseEpsHeader(EpsReader* eps, const char* path, EpsInfo* info, LeadingComments* leading = nullptr);

}  // namespace aldra
