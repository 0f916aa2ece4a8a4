#include "platform/quicktime/PictPixels.h"

#include <vector>

#include "platform/quicktime/PackBits.h"

namespace aldra::qt {

namespace {

constexpr uint32_t kPixMapFlag = 0x8000;
constexpr uint32_t kRowBytesMask = 0x3FFF;
constexpr uint32_t kDeviceColourTable = 0x8000;
constexpr uint32_t kLeastPackedRowBytes = 8;
constexpr uint32_t kOneByteCountLimit = 250;

// How a row's bytes hold its pixels once unpacked.
enum class Layout { kIndexed, kDirect16, kChunky32, kChunky24, kPlanar };

struct PixMapHeader {
    uint32_t rowBytes = 0;
    Rect bounds{};
    bool isPixMap = false;
    uint32_t packType = 0;
    uint32_t pixelSize = 1;
    uint32_t cmpCount = 1;
    int32_t width = 0;
    int32_t height = 0;
};

struct Palette {
    uint8_t rgb[256][3] = {};
};

struct RowFormat {
    Layout layout = Layout::kIndexed;
    bool packed = false;
    bool wordRuns = false;     // PackBits by 16-bit words
    uint32_t storedBytes = 0;  // bytes of an unpacked row in the data
    uint32_t unpackedBytes = 0;
};

bool ReadHeader(PictStream* s, bool direct, PixMapHeader* h) {
    uint32_t word;
    if (direct && !s->Skip(4)) return false;  // the base address, meaningless in a picture
    if (!s->U16(&word) || !s->ReadRect(&h->bounds)) return false;
    h->rowBytes = word & kRowBytesMask;
    h->isPixMap = direct || (word & kPixMapFlag) != 0;
    h->width = int32_t{h->bounds.right} - h->bounds.left;
    h->height = int32_t{h->bounds.bottom} - h->bounds.top;
    if (h->width < 0 || h->height < 0) return false;
    if (!h->isPixMap) return true;
    uint32_t version, packSize, resolution, pixelType;
    return s->U16(&version) && s->U16(&h->packType) && s->U32(&packSize) && s->U32(&resolution) &&
           s->U32(&resolution) && s->U16(&pixelType) && s->U16(&h->pixelSize) && s->U16(&h->cmpCount) &&
           s->Skip(2 + 4 + 4 + 4);  // component size, plane bytes, table and reserved fields
}

bool ReadColourTable(PictStream* s, Palette* palette) {
    uint32_t seed, flags, size;
    if (!s->U32(&seed) || !s->U16(&flags) || !s->U16(&size)) return false;
    const uint32_t entries = (size + 1) & 0xFFFF;
    for (uint32_t i = 0; i < entries; ++i) {
        const uint8_t* e = s->Take(8);
        if (e == nullptr) return false;
        const uint32_t index = (flags & kDeviceColourTable) ? i : LoadBe16(e);
        if (index > 255) continue;
        for (int c = 0; c < 3; ++c)
            palette->rgb[index][c] = e[2 + 2 * c];  // high byte of each 16-bit component
    }
    return true;
}

void BitmapPalette(Palette* palette) {
    for (int c = 0; c < 3; ++c) {
        palette->rgb[0][c] = 255;
        palette->rgb[1][c] = 0;
    }
}

// False for a pixel size or packing the rows cannot be read with.
bool ChooseRowFormat(const PixMapHeader& h, bool direct, bool packedOpcode, RowFormat* f) {
    const uint64_t bitsNeeded = uint64_t(h.width) * h.pixelSize;
    const uint32_t size = h.pixelSize;
    if (!direct) {
        if (size != 1 && size != 2 && size != 4 && size != 8) return false;
        f->layout = Layout::kIndexed;
        f->packed = packedOpcode && h.rowBytes >= kLeastPackedRowBytes;
        f->storedBytes = f->unpackedBytes = h.rowBytes;
        return bitsNeeded <= uint64_t{h.rowBytes} * 8;
    }
    uint32_t packType = h.packType;
    if (size == 16) {
        if (packType == 0) packType = 3;
        if (packType != 1 && packType != 3) return false;
        f->layout = Layout::kDirect16;
        f->packed = packType == 3 && h.rowBytes >= kLeastPackedRowBytes;
        f->wordRuns = true;
        f->storedBytes = f->unpackedBytes = h.rowBytes;
        return bitsNeeded <= uint64_t{h.rowBytes} * 8;
    }
    if (size != 32) return false;
    if (packType == 0) packType = 4;
    if (packType == 2) {  // the pad byte dropped, not packed
        f->layout = Layout::kChunky24;
        f->storedBytes = f->unpackedBytes = static_cast<uint32_t>(h.width) * 3;
        return true;
    }
    if (packType == 1 || h.rowBytes < kLeastPackedRowBytes) {
        f->layout = Layout::kChunky32;
        f->storedBytes = f->unpackedBytes = h.rowBytes;
        return bitsNeeded <= uint64_t{h.rowBytes} * 8;
    }
    if (packType != 4 || (h.cmpCount != 3 && h.cmpCount != 4)) return false;
    f->layout = Layout::kPlanar;
    f->packed = true;
    f->unpackedBytes = static_cast<uint32_t>(h.width) * h.cmpCount;
    return bitsNeeded <= uint64_t{h.rowBytes} * 8;
}

void PixelAt(const uint8_t* row, const PixMapHeader& h, const RowFormat& f, const Palette& palette,
             int32_t col, uint8_t rgb[3]) {
    const uint32_t c = static_cast<uint32_t>(col);
    switch (f.layout) {
        case Layout::kIndexed: {
            const uint32_t bit = c * h.pixelSize;
            const uint32_t shift = 8 - h.pixelSize - (bit & 7);
            const uint32_t index = (row[bit >> 3] >> shift) & ((1u << h.pixelSize) - 1);
            for (int k = 0; k < 3; ++k) rgb[k] = palette.rgb[index][k];
            return;
        }
        case Layout::kDirect16: {
            const uint32_t v = LoadBe16(row + 2 * c);
            const uint32_t parts[3] = {(v >> 10) & 31, (v >> 5) & 31, v & 31};
            for (int k = 0; k < 3; ++k) rgb[k] = static_cast<uint8_t>(parts[k] << 3 | parts[k] >> 2);
            return;
        }
        case Layout::kChunky32:
            for (int k = 0; k < 3; ++k) rgb[k] = row[4 * c + 1 + k];
            return;
        case Layout::kChunky24:
            for (int k = 0; k < 3; ++k) rgb[k] = row[3 * c + k];
            return;
        case Layout::kPlanar: {
            const uint32_t first = h.cmpCount == 4 ? 1 : 0;  // an alpha plane comes first
            for (uint32_t k = 0; k < 3; ++k) rgb[k] = row[(first + k) * static_cast<uint32_t>(h.width) + c];
            return;
        }
    }
}

// Which target pixels take which source pixels: nearest source pixel under each target pixel's
// centre. Column and row numbers are relative to the bounds; a column of -1 lies outside them.
struct Sampling {
    Box box;  // target pixels drawn
    std::vector<int32_t> columns;
    Box mapped;  // the destination rectangle in target pixels
    int32_t srcTop = 0;
    int32_t srcHeight = 0;

    // Non-decreasing in y; outside 0 .. height - 1 for target rows beyond the bounds.
    int64_t RowFor(int32_t y, const PixMapHeader& h) const {
        const int64_t offset =
            (2 * int64_t{y - mapped.top} + 1) * srcHeight / (2 * int64_t{mapped.bottom - mapped.top});
        return srcTop + offset - h.bounds.top;
    }
};

bool PlanSampling(const PictCanvas& canvas, const PixMapHeader& h, const Rect& src, const Rect& dst,
                  const Box& mask, Sampling* plan) {
    plan->mapped = canvas.Map(dst);
    const int32_t srcWidth = int32_t{src.right} - src.left;
    plan->srcHeight = int32_t{src.bottom} - src.top;
    plan->srcTop = src.top;
    plan->box = Intersect(Intersect(Intersect(plan->mapped, canvas.clip), canvas.dest), mask);
    plan->box = Intersect(plan->box, WholeTarget(canvas.target));
    if (plan->box.Empty() || plan->mapped.Empty() || srcWidth <= 0 || plan->srcHeight <= 0) return false;
    const int64_t mappedWidth = int64_t{plan->mapped.right} - plan->mapped.left;
    plan->columns.resize(static_cast<size_t>(plan->box.right - plan->box.left));
    for (int32_t x = plan->box.left; x < plan->box.right; ++x) {
        int64_t col = src.left + (2 * int64_t{x - plan->mapped.left} + 1) * srcWidth / (2 * mappedWidth) -
                      h.bounds.left;
        plan->columns[static_cast<size_t>(x - plan->box.left)] =
            (col < 0 || col >= h.width) ? -1 : static_cast<int32_t>(col);
    }
    return true;
}

// Reads every row of the data, unpacking and drawing only the rows some target row samples.
class RowWalker {
  public:
    RowWalker(PictStream* s, const PixMapHeader& h, const RowFormat& f) : s_(s), h_(h), f_(f) {}

    // The next row's bytes, unpacked when `wanted`; false when the data end early.
    bool Next(bool wanted, const uint8_t** row) {
        if (!f_.packed) {
            const uint8_t* stored = s_->Take(f_.storedBytes);
            *row = stored;
            return stored != nullptr;
        }
        uint32_t count;
        if (!(h_.rowBytes > kOneByteCountLimit ? s_->U16(&count) : s_->U8(&count))) return false;
        const uint8_t* packed = s_->Take(count);
        if (packed == nullptr) return false;
        if (wanted) {
            buffer_.assign(f_.unpackedBytes, 0);
            if (f_.wordRuns)
                UnpackBitsWords(packed, count, buffer_.data(), f_.unpackedBytes);
            else
                UnpackBits(packed, count, buffer_.data(), f_.unpackedBytes);
        }
        *row = buffer_.data();
        return true;
    }

  private:
    PictStream* s_;
    const PixMapHeader& h_;
    const RowFormat& f_;
    std::vector<uint8_t> buffer_;
};

void DrawRow(const uint8_t* row, const PixMapHeader& h, const RowFormat& f, const Palette& palette,
             const Sampling& plan, int32_t y, PictCanvas* canvas) {
    for (int32_t x = plan.box.left; x < plan.box.right; ++x) {
        const int32_t col = plan.columns[static_cast<size_t>(x - plan.box.left)];
        if (col < 0) continue;
        uint8_t rgb[3];
        PixelAt(row, h, f, palette, col, rgb);
        PutPixel(canvas->target, x, y, rgb);
    }
    canvas->Spend(static_cast<uint64_t>(plan.box.right - plan.box.left));
}

bool WalkRows(PictStream* s, const PixMapHeader& h, const RowFormat& f, const Palette& palette,
              const Sampling* plan, PictCanvas* canvas) {
    RowWalker walker(s, h, f);
    int32_t y = plan ? plan->box.top : 0;
    while (plan && y < plan->box.bottom && plan->RowFor(y, h) < 0) ++y;
    for (int32_t r = 0; r < h.height; ++r) {
        const bool wanted = plan && y < plan->box.bottom && plan->RowFor(y, h) == r && canvas->budget > 0;
        const uint8_t* row;
        if (!walker.Next(wanted, &row)) return false;
        for (; wanted && y < plan->box.bottom && plan->RowFor(y, h) == r; ++y)
            DrawRow(row, h, f, palette, *plan, y, canvas);
    }
    return true;
}

Box MaskBox(const PictCanvas& canvas, const Rect& region) {
    return canvas.Map(region);
}

}  // namespace

bool DrawRasterOpcode(PictStream* s, uint32_t op, PictCanvas* canvas) {
    const bool direct = op == kOpDirectBitsRect || op == kOpDirectBitsRgn;
    const bool packedOpcode = op == kOpPackBitsRect || op == kOpPackBitsRgn || direct;
    const bool hasMask = (op & 1) != 0;
    PixMapHeader h;
    Palette palette;
    if (!ReadHeader(s, direct, &h)) return false;
    if (!h.isPixMap) BitmapPalette(&palette);
    if (h.isPixMap && !direct && !ReadColourTable(s, &palette)) return false;
    Rect src, dst, maskBounds;
    uint32_t mode;
    if (!s->ReadRect(&src) || !s->ReadRect(&dst) || !s->U16(&mode)) return false;
    Box mask = WholeTarget(canvas->target);
    if (hasMask) {
        if (!s->ReadRegion(&maskBounds)) return false;
        mask = MaskBox(*canvas, maskBounds);
    }
    RowFormat format;
    if (!ChooseRowFormat(h, direct, packedOpcode, &format)) return false;
    // Once the budget is spent the rows are still read, so that the opcodes after them are found,
    // but nothing is planned or drawn.
    Sampling plan;
    const bool drawn = canvas->budget > 0 && PlanSampling(*canvas, h, src, dst, mask, &plan);
    if (drawn)
        canvas->Spend(uint64_t(plan.box.right - plan.box.left) + uint64_t(plan.box.bottom - plan.box.top));
    return WalkRows(s, h, format, palette, drawn ? &plan : nullptr, canvas);
}

bool SkipPixPat(PictStream* s) {
    uint32_t type;
    if (!s->U16(&type) || !s->Skip(8)) return false;
    if (type == 0) return true;        // a plain 8 x 8 pattern
    if (type == 2) return s->Skip(6);  // a dithered colour
    if (type != 1) return false;
    PixMapHeader h;
    Palette palette;
    if (!ReadHeader(s, false, &h) || !h.isPixMap || !ReadColourTable(s, &palette)) return false;
    RowFormat format;
    if (!ChooseRowFormat(h, false, true, &format)) return false;
    return WalkRows(s, h, format, palette, nullptr, nullptr);
}

}  // namespace aldra::qt
