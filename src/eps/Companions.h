// OPI relatives of a file: Helios EtherShare layouts beside their high-resolution files, and
// Luminous Color Central samples that name their high-resolution file in a comment.
#pragma once
#include <cstdint>
#include <string>

#include "aldra/Refusals.h"

namespace aldra {

// The user's choices that decide how such relatives are catalogued.
struct OpiOptions {
    bool heliosAware = false;
    std::string heliosLayoutExtension = ".lay";
    bool heliosLayoutsOnly = false;  // off: only the high-resolution files are catalogued
    bool colorCentralAware = false;
    bool keywordsFromHiRes = false;
    bool notesFromHiRes = false;
    bool addColorCentralCategory = false;
    std::string colorCentralCategory;
};

// A layout lies in a "layouts" folder beside its high-resolution file, or carries the layout
// extension behind the high-resolution file's name.
bool IsHeliosLayout(const char* path, const uint8_t* extension);
// The high-resolution side of the same two arrangements.
bool HasHeliosLayout(const char* path, const uint8_t* extension);
// The high-resolution file a Color Central sample names in its "%%CompFileName: " comment.
bool FindCompanionFile(const char* path, std::string* hiResPath);
bool IsColorCentralSample(const char* path);
// The path FindCompanionFile gives for the rest of the sample's "%%CompFileName: " line.
std::string CompanionPathFromLine(const uint8_t* rest, const char* samplePath);
// The string id of the message with which a file is refused, or 0 when it may be catalogued.
uint32_t CatalogueRefusal(const char* path, const OpiOptions& options);

}  // namespace aldra
