// A DCS image is a main file plus one file per colour plate. The catalogue wants only the main
// file, and the main file's resolution is that of its plates.
#pragma once
#include <cstdint>
#include <string>

#include "base/Result.h"
#include "eps/EpsInfo.h"

namespace aldra {

// True when the file is the plate of a DCS main file beside it (the main file's comments name it).
bool IsDcsPlate(const char* path);
// True when the file mainName in the plate's directory names the plate in a "...Plate:" comment.
bool ReferencesPlate(const char* platePath, const uint8_t* mainName);
// The first of the plates name.C, name.M, name.Y, name.K that exists beside the main file, found
// by name alone (name is the main file's name without ".eps" or ".Main").
bool FindDcsPlate(const char* mainPath, std::string* platePath);
// Takes the resolution from the plate's %ImageData line against the main file's size in info and
// marks the image as colour. Returns the plate's open error, if any.
Status ScanPlateForImageData(const char* platePath, EpsInfo* info);

}  // namespace aldra
