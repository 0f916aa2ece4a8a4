#include "mac/MacResources.h"

#include <iterator>

#include "base/Bytes.h"
#include "mac/QuickTimeRoutines.h"

namespace aldra {

namespace {

constexpr uint32_t kVersion1Word = 0x1101;
constexpr uint32_t kVersionOpcode = 0x0011;
constexpr uint32_t kVersion2Word = 0x02FF;
constexpr uint32_t kHeaderOpcode = 0x0C00;
constexpr uint32_t kBasicHeader = 0xFFFF;
constexpr uint32_t kExtendedHeader = 0xFFFE;
constexpr uint32_t kVersion2HeaderBytes = 36;
constexpr double kScreenResolution = 72;
constexpr double kFixedOne = 65536;

constexpr uint32_t kThumbRecordBytes = 110;
constexpr uint32_t kThumbEntryBytes = 18;
constexpr uint32_t kThumbPictSlots[] = {12, 10, 8, 6, 4, 2};

int32_t Signed16(const uint8_t* p) {
    return static_cast<int16_t>(LoadBe16(p));
}

int32_t Signed32(const uint8_t* p) {
    return static_cast<int32_t>(LoadBe32(p));
}

double Fixed(const uint8_t* p) {
    return Signed32(p) / kFixedOne;
}

// A picture long enough for its frame and version, detached; others are let go.
qt::Handle TakePicture(qt::Handle picture) {
    if (picture == nullptr) return nullptr;
    if (GetHandleSize(picture) < kLeastPictBytes) {
        ReleaseResource(picture);
        return nullptr;
    }
    DetachResource(picture);
    return picture;
}

bool ThumbRecordComplete(qt::Handle record) {
    const uint32_t size = GetHandleSize(record);
    if (size < kThumbRecordBytes) return false;
    const int32_t entries = Signed16(*record + 108);
    return entries >= 0 && size >= kThumbRecordBytes + uint64_t(entries) * kThumbEntryBytes;
}

void FrameFacts(const uint8_t* p, const PictFacts& facts) {
    *facts.hResolution = *facts.vResolution = kScreenResolution;
    *facts.widthInches = (Signed16(p + 8) - Signed16(p + 4)) / kScreenResolution;
    *facts.heightInches = (Signed16(p + 6) - Signed16(p + 2)) / kScreenResolution;
}

void Version2Facts(const uint8_t* p, const PictFacts& facts) {
    *facts.kind = 2;
    if (LoadBe16(p + 14) != kHeaderOpcode) return;
    const uint32_t header = LoadBe16(p + 16);
    if (header == kBasicHeader) {
        *facts.widthInches = (Signed32(p + 28) - Signed32(p + 20)) / kFixedOne / kScreenResolution;
        *facts.heightInches = (Signed32(p + 32) - Signed32(p + 24)) / kFixedOne / kScreenResolution;
    } else if (header == kExtendedHeader) {
        *facts.hResolution = Fixed(p + 20);
        *facts.vResolution = Fixed(p + 24);
        *facts.widthInches = (Signed16(p + 34) - Signed16(p + 30)) / kScreenResolution;
        *facts.heightInches = (Signed16(p + 32) - Signed16(p + 28)) / kScreenResolution;
    }
}

// The first picture the record names, in the given slot order, or null.
qt::Handle FirstNamedPicture(qt::Handle record, const uint32_t* slots, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const int32_t id = Signed16(*record + slots[i]);
        if (id == 0) continue;
        if (qt::Handle picture = GetResource(qt::kPictType, static_cast<int16_t>(id))) return picture;
    }
    return nullptr;
}

}  // namespace

OpenedFork::OpenedFork(const qt::FSSpec* spec) : saved_(CurResFile()) {
    refNum_ = FSpOpenResFile(spec, qt::kReadPermission);
    open_ = ResError() == qt::noErr;
}

OpenedFork::~OpenedFork() {
    if (open_) CloseResFile(refNum_);
    UseResFile(saved_);
}

int PictVersion(const uint8_t* p) {
    if (LoadBe16(p + 10) == kVersion1Word) return 1;
    if (LoadBe16(p + 10) == kVersionOpcode && LoadBe16(p + 12) == kVersion2Word) return 2;
    return 0;
}

Status ReadPictResource(int32_t id, qt::Handle* picture) {
    qt::Handle found = id == kAnyPictId ? GetIndResource(qt::kPictType, 1)
                                        : GetResource(qt::kPictType, static_cast<int16_t>(id));
    *picture = TakePicture(found);
    return *picture ? kOk : kErrNoResource;
}

Status ReadThumbRecord(qt::Handle* record) {
    *record = GetResource(qt::kThumbType, kThumbRecordId);
    if (*record == nullptr) return kErrNoResource;
    if (!ThumbRecordComplete(*record)) {
        ReleaseResource(*record);
        *record = nullptr;
        return kErrNoResource;
    }
    DetachResource(*record);
    if (LoadBe16(**record) != 1) {
        DisposeHandle(*record);
        *record = nullptr;
        return kErrFormat;
    }
    return kOk;
}

Status ReadThumbPict(qt::Handle* picture) {
    *picture = nullptr;
    qt::Handle record;
    Status status = ReadThumbRecord(&record);
    if (status == kOk) {
        // Pictures too short to be drawn are passed over for the next slot.
        for (size_t i = 0; i < std::size(kThumbPictSlots) && *picture == nullptr; ++i)
            *picture = TakePicture(FirstNamedPicture(record, &kThumbPictSlots[i], 1));
        status = *picture ? kOk : kErrFormat;
        DisposeHandle(record);
    }
    return status;
}

void PictInfo(int32_t id, const PictFacts& facts) {
    qt::Handle picture;
    if (ReadPictResource(id, &picture) != kOk) return;
    const uint8_t* p = *picture;
    const int version = PictVersion(p);
    if (version != 2 || GetHandleSize(picture) >= kVersion2HeaderBytes) {
        FrameFacts(p, facts);
        if (version == 1) *facts.kind = 0;
        if (version == 2) Version2Facts(p, facts);
    }
    DisposeHandle(picture);
}

Status ThumbInfo(const PictFacts& facts) {
    qt::Handle record;
    Status status = ReadThumbRecord(&record);
    if (status == kOk) {
        const uint8_t* r = *record;
        *facts.kind = 2;
        const double h = Fixed(r + 96), v = Fixed(r + 100);
        *facts.hResolution = h == 0 ? kScreenResolution : h;
        *facts.vResolution = v == 0 ? kScreenResolution : v;
        const int32_t width = Signed32(r + 88), height = Signed32(r + 92);
        *facts.widthInches = width / *facts.hResolution;
        *facts.heightInches = height / *facts.vResolution;
        if (width == 0 || height == 0) {
            static const uint32_t kFirstToLast[] = {2, 4, 6, 8, 10, 12};
            qt::Handle picture = FirstNamedPicture(record, kFirstToLast, std::size(kFirstToLast));
            if (picture != nullptr && GetHandleSize(picture) >= kLeastPictBytes) {
                *facts.widthInches = (Signed16(*picture + 8) - Signed16(*picture + 4)) / kScreenResolution;
                *facts.heightInches = (Signed16(*picture + 6) - Signed16(*picture + 2)) / kScreenResolution;
            }
            if (picture != nullptr) ReleaseResource(picture);
        }
        DisposeHandle(record);
    }
    return status;
}

}  // namespace aldra
