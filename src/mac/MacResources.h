// The resources of a Macintosh file's resource fork that describe its picture: the PICT preview
// (id 256, else 130) and the 'Thmb' record with its size, resolution and thumbnail pictures. The
// fork is opened through QuickTime, which alone knows where a fork lives; each operation leaves the
// resource file that was current before it current again. Resources too short for the fields read
// from them count as missing.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "platform/quicktime/QuickTime.h"

namespace aldra {

inline constexpr int32_t kAnyPictId = 0x7FFFFFFF;  // the first 'PICT' resource, whatever its id
inline constexpr int16_t kPreviewPictId = 256;
inline constexpr int16_t kSecondPreviewPictId = 130;
inline constexpr int16_t kThumbRecordId = 256;

// What a PICT or 'Thmb' resource says about the picture. Fields are written only when found.
struct PictFacts {
    int32_t* kind;  // 0 one bit, 2 colour
    double* hResolution;
    double* vResolution;
    double* widthInches;
    double* heightInches;
};

// The picture, detached from its file: the caller disposes of it (DisposeHandle). 2020 when the
// fork does not open, 2003 when there is no such picture.
Status ReadPictResource(const qt::FSSpec* spec, int32_t id, qt::Handle* picture);
// With the fork open and current: 'Thmb' 256, detached. 2003 when there is none, 2020 when its
// version is not 1.
Status ReadThumbRecord(qt::Handle* record);
// The first existing picture the 'Thmb' record names, from its last slot to its first.
Status ReadThumbPict(const qt::FSSpec* spec, qt::Handle* picture);

// 1 or 2, or 0 when the picture's header is neither; the picture is at least kLeastPictBytes long.
int PictVersion(const uint8_t* pict);
inline constexpr uint32_t kLeastPictBytes = 12;

// Facts from 'PICT' id; nothing is written when it cannot be read.
void PictInfo(const qt::FSSpec* spec, int32_t id, const PictFacts& facts);
// Facts from the 'Thmb' record; 2020 when the fork does not open, else ReadThumbRecord's failure.
Status ThumbInfo(const qt::FSSpec* spec, const PictFacts& facts);

}  // namespace aldra
