#include "platform/gdi/Pixels.h"

#include <array>
#include <cstring>

#include "platform/gdi/DibSection.h"

namespace aldra::gdi {

Surface SurfaceOf(const BitmapData& b) {
    Surface s;
    s.bits = b.bits;
    s.stride = b.stride;
    s.width = b.width;
    s.height = b.height;
    s.bitsPerPixel = b.bitsPerPixel;
    s.topDown = b.topDown;
    s.colours = b.colours;
    s.colourCount = b.colourCount;
    s.tableSerial = b.serial;
    return s;
}

bool DescribeDib(const BITMAPINFO* info, const void* bits, Surface* out) {
    if (info == nullptr) return false;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    // Larger headers (V4, V5) carry the same first 40 bytes; the table follows the whole header.
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 1024) return false;
    if (h.biCompression != BI_RGB || h.biPlanes != 1) return false;
    const uint32_t bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return false;
    if (h.biWidth <= 0 || h.biWidth > kMaxDibSide) return false;
    if (h.biHeight == 0 || h.biHeight < -kMaxDibSide || h.biHeight > kMaxDibSide) return false;
    const int32_t rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const uint32_t stride = DibStride(bpp, h.biWidth);
    if (stride == 0 || static_cast<uint64_t>(stride) * static_cast<uint64_t>(rows) > kMaxDibBytes)
        return false;
    Surface s;
    s.bits = static_cast<uint8_t*>(const_cast<void*>(bits));
    s.stride = stride;
    s.width = h.biWidth;
    s.height = rows;
    s.bitsPerPixel = bpp;
    s.topDown = h.biHeight < 0;
    if (bpp <= 8) {
        const uint32_t full = 1u << bpp;
        s.colourCount = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
        s.colours = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
    }
    *out = s;
    return true;
}

uint32_t NearestIndex(const RGBQUAD* colours, uint32_t count, uint8_t red, uint8_t green, uint8_t blue) {
    uint32_t best = 0;
    uint32_t bestDistance = UINT32_MAX;
    for (uint32_t i = 0; i < count; ++i) {
        const int dr = int{colours[i].rgbRed} - red;
        const int dg = int{colours[i].rgbGreen} - green;
        const int db = int{colours[i].rgbBlue} - blue;
        const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

namespace {

// Drawing asks for the same few colours again and again, and searching a table of 256 costs more
// than filling a small shape. A bitmap's table never changes, so the answers for the last table
// drawn on are kept per thread under its serial. In a table of greys the distance of a colour to the
// grey v is 3v² - 2v(r + g + b) plus a constant, so the answer depends on the sum alone: at most
// 766 searches for the bitmap's life. Other tables remember the last colour of each of 64 slots.
class TableAnswers {
  public:
    uint32_t Nearest(const Surface& surface, COLORREF colour) {
        if (serial_ != surface.tableSerial) Start(surface);
        const uint8_t red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
        Answer& a = greys_ ? bySum_[red + green + blue]
                           : byColour_[(colour ^ (colour >> 8) ^ (colour >> 16)) % byColour_.size()];
        const COLORREF key = greys_ ? 0 : colour;
        if (a.known && a.colour == key) return a.index;
        a = Answer{true, key, NearestIndex(surface.colours, surface.colourCount, red, green, blue)};
        return a.index;
    }

  private:
    struct Answer {
        bool known = false;
        COLORREF colour = 0;
        uint32_t index = 0;
    };

    void Start(const Surface& surface) {
        serial_ = surface.tableSerial;
        greys_ = true;
        for (uint32_t i = 0; i < surface.colourCount; ++i) {
            const RGBQUAD& c = surface.colours[i];
            greys_ = greys_ && c.rgbRed == c.rgbGreen && c.rgbGreen == c.rgbBlue;
        }
        bySum_.fill(Answer{});
        byColour_.fill(Answer{});
    }

    uint64_t serial_ = 0;
    bool greys_ = false;
    std::array<Answer, 3 * 255 + 1> bySum_;
    std::array<Answer, 64> byColour_;
};

uint32_t RememberedNearest(const Surface& surface, COLORREF colour) {
    thread_local TableAnswers answers;
    return answers.Nearest(surface, colour);
}

}  // namespace

uint32_t SurfaceValue(const Surface& surface, COLORREF colour) {
    if (surface.bitsPerPixel == 24) {
        return static_cast<uint32_t>(GetBValue(colour)) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
               (static_cast<uint32_t>(GetRValue(colour)) << 16);
    }
    if (surface.tableSerial != 0) return RememberedNearest(surface, colour);
    return NearestIndex(surface.colours, surface.colourCount, GetRValue(colour), GetGValue(colour),
                        GetBValue(colour));
}

void FillSpan(const Surface& s, int32_t y, int32_t x0, int32_t x1, uint32_t value) {
    if (x0 >= x1) return;
    uint8_t* row = s.Row(y);
    switch (s.bitsPerPixel) {
        case 24: {
            uint8_t* p = row + static_cast<size_t>(x0) * 3;
            for (int32_t x = x0; x < x1; ++x, p += 3) {
                p[0] = static_cast<uint8_t>(value);
                p[1] = static_cast<uint8_t>(value >> 8);
                p[2] = static_cast<uint8_t>(value >> 16);
            }
            break;
        }
        case 8:
            std::memset(row + x0, static_cast<int>(value & 0xFF), static_cast<size_t>(x1 - x0));
            break;
        case 4:
            for (int32_t x = x0; x < x1; ++x) {
                uint8_t& b = row[x >> 1];
                b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (value & 0x0F))
                            : static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
            }
            break;
        case 1:
            for (int32_t x = x0; x < x1; ++x) {
                const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
                row[x >> 3] = (value & 1) ? static_cast<uint8_t>(row[x >> 3] | mask)
                                          : static_cast<uint8_t>(row[x >> 3] & ~mask);
            }
            break;
        default:
            break;
    }
}

}  // namespace aldra::gdi
