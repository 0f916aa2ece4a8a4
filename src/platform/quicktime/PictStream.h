// A checked cursor over the bytes of a picture: every take says whether the bytes were there, and
// a cursor that ran out stays at the end.
#pragma once
#include <cstdint>

#include "base/Bytes.h"
#include "platform/quicktime/QuickTime.h"

namespace aldra::qt {

class PictStream {
  public:
    PictStream(const uint8_t* bytes, uint32_t size) : bytes_(bytes), size_(size) {}

    uint32_t Position() const { return pos_; }
    uint32_t Left() const { return size_ - pos_; }
    bool Seek(uint32_t pos) {
        if (pos > size_) return false;
        pos_ = pos;
        return true;
    }
    bool Skip(uint64_t n) {
        if (n > Left()) {
            pos_ = size_;
            return false;
        }
        pos_ += static_cast<uint32_t>(n);
        return true;
    }
    // The next n bytes, or null when fewer are left.
    const uint8_t* Take(uint32_t n) {
        if (n > Left()) {
            pos_ = size_;
            return nullptr;
        }
        const uint8_t* p = bytes_ + pos_;
        pos_ += n;
        return p;
    }
    bool U8(uint32_t* v) {
        const uint8_t* p = Take(1);
        if (p) *v = *p;
        return p != nullptr;
    }
    bool U16(uint32_t* v) {
        const uint8_t* p = Take(2);
        if (p) *v = LoadBe16(p);
        return p != nullptr;
    }
    bool U32(uint32_t* v) {
        const uint8_t* p = Take(4);
        if (p) *v = LoadBe32(p);
        return p != nullptr;
    }
    bool ReadRect(Rect* r) {
        const uint8_t* p = Take(8);
        if (p == nullptr) return false;
        *r = {static_cast<int16_t>(LoadBe16(p)), static_cast<int16_t>(LoadBe16(p + 2)),
              static_cast<int16_t>(LoadBe16(p + 4)), static_cast<int16_t>(LoadBe16(p + 6))};
        return true;
    }
    // A region: its size word (which counts itself), its bounding box, and the rest skipped.
    bool ReadRegion(Rect* bounds) {
        uint32_t size;
        if (!U16(&size) || size < 10 || !ReadRect(bounds)) return false;
        return Skip(size - 10);
    }

  private:
    const uint8_t* bytes_;
    uint32_t size_;
    uint32_t pos_ = 0;
};

}  // namespace aldra::qt
