// A read-only window on bytes taken from a file, with getters that refuse to look past its end. The
// TIFF decoder and its codecs read file data only through it, so an offset or count from the file
// can never move a read outside the block that holds the data.
#pragma once
#include <cstdint>
#include <cstring>

#include "base/Bytes.h"

namespace aldra {

class BoundedBytes {
  public:
    BoundedBytes() = default;
    BoundedBytes(const uint8_t* data, uint32_t size, bool bigEndian = false)
        : data_(size != 0 ? data : nullptr), size_(data != nullptr ? size : 0), bigEndian_(bigEndian) {}

    uint32_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    bool bigEndian() const { return bigEndian_; }
    void SetBigEndian(bool bigEndian) { bigEndian_ = bigEndian; }

    // True when count bytes from offset on lie inside; written so that no sum can wrap.
    bool Has(uint32_t offset, uint32_t count) const { return offset <= size_ && count <= size_ - offset; }

    bool Get8(uint32_t offset, uint8_t* value) const {
        if (!Has(offset, 1)) return false;
        *value = data_[offset];
        return true;
    }

    bool Get16(uint32_t offset, uint16_t* value) const {
        if (!Has(offset, 2)) return false;
        *value = bigEndian_ ? LoadBe16(data_ + offset) : LoadLe16(data_ + offset);
        return true;
    }

    bool Get32(uint32_t offset, uint32_t* value) const {
        if (!Has(offset, 4)) return false;
        *value = bigEndian_ ? LoadBe32(data_ + offset) : LoadLe32(data_ + offset);
        return true;
    }

    // The count bytes from offset on as a view of their own, in the same byte order.
    bool Sub(uint32_t offset, uint32_t count, BoundedBytes* part) const {
        if (!Has(offset, count)) return false;
        *part = BoundedBytes(count != 0 ? data_ + offset : nullptr, count, bigEndian_);
        return true;
    }

    bool CopyTo(uint32_t offset, uint32_t count, uint8_t* destination) const {
        if (!Has(offset, count)) return false;
        if (count != 0) std::memcpy(destination, data_ + offset, count);
        return true;
    }

  private:
    const uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
    bool bigEndian_ = false;
};

}  // namespace aldra
