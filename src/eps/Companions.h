// OPI relatives of a file: Helios EtherShare layouts beside their high-resolution files, and
// Luminous Color Central samples that name their high-resolution file in a comment.
#pragma once
#include <cstdint>
#include <string>

#include "aldra/Refusals.h"

namespace aldra {

// A layout lies in a "layouts" folder beside its high-resolution file, or carries the layout
// extension behind the high-resolution file's name.
bool IsHeliosLayout(const char* path, const uint8_t* extension);
// The high-resolution side of the same two arrangements.
bool HasHeliosLayout(const char* path, const uint8_t* extension);
// The high-resolution file that a Color Central sample names by the rest of its "%%CompFileName: "
// line (LeadingComments::companionLine), its last character dropped: a regular file in the sample's
// folder or below it, or anywhere when `anywhere`; empty when the line names no such file.
std::string CompanionPathFromLine(const uint8_t* rest, const char* samplePath, bool anywhere = false);
// A file that another file's text names by `written`: as written, with Unix separators, or by its
// last name beside `besidePath`; only a regular file in besidePath's folder or below it, or anywhere
// when `anywhere`; empty when there is no such file.
std::string ResolveWrittenPath(const std::string& written, const char* besidePath, bool anywhere);

}  // namespace aldra
