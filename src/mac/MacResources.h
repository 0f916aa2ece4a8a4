// The resources of a Macintosh file's resource fork that describe its picture: the PICT preview
// (id 256, else 130) and the 'Thmb' record with its size, resolution and thumbnail pictures. The
// fork is opened through QuickTime, which alone knows where a fork lives. Finding it means looking in
// several places, so a fork is opened once (OpenedFork) and every resource is read from it while it
// is current. Resources too short for the fields read from them count as missing.
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

// The file's fork, open read-only and current for the object's life; the resource file that was
// current before is current again afterwards.
class OpenedFork {
  public:
    explicit OpenedFork(const qt::FSSpec* spec);
    ~OpenedFork();
    OpenedFork(const OpenedFork&) = delete;
    OpenedFork& operator=(const OpenedFork&) = delete;
    bool IsOpen() const { return open_; }

  private:
    int16_t saved_;
    int16_t refNum_ = -1;
    bool open_ = false;
};

// The functions below read the fork that is open and current.

// The picture, detached from its file: the caller disposes of it (DisposeHandle). 2003 when there
// is no such picture.
Status ReadPictResource(int32_t id, qt::Handle* picture);
// 'Thmb' 256, detached. 2003 when there is none, 2020 when its version is not 1.
Status ReadThumbRecord(qt::Handle* record);
// The first existing picture the 'Thmb' record names, from its last slot to its first.
Status ReadThumbPict(qt::Handle* picture);

// 1 or 2, or 0 when the picture's header is neither; the picture is at least kLeastPictBytes long.
int PictVersion(const uint8_t* pict);
inline constexpr uint32_t kLeastPictBytes = 12;

// Facts from 'PICT' id; nothing is written when it cannot be read.
void PictInfo(int32_t id, const PictFacts& facts);
// Facts from the 'Thmb' record; ReadThumbRecord's failure when it has none.
Status ThumbInfo(const PictFacts& facts);

}  // namespace aldra
