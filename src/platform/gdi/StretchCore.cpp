#include "platform/gdi/StretchCore.h"

#include <cstring>
#include <memory>
#include <new>

namespace aldra::gdi {
namespace {

// For each destination pixel of the clipped span, the source pixel under its centre. Because the
// mapping is monotonic, the pixels whose source lies inside the source surface are contiguous:
// only those are kept.
struct SampleMap {
    std::unique_ptr<int32_t[]> source;
    int32_t first = 0;  // first destination pixel
    int32_t count = 0;
};

bool BuildMap(const Axis& a, int32_t destLimit, int32_t srcLimit, SampleMap* map) {
    const int64_t c0 = a.destStart < 0 ? 0 : a.destStart;
    const int64_t end = a.destStart + a.destLength;
    const int64_t c1 = end > destLimit ? destLimit : end;
    if (c0 >= c1) return true;
    const int32_t n = static_cast<int32_t>(c1 - c0);
    map->source.reset(new (std::nothrow) int32_t[static_cast<size_t>(n)]);
    if (!map->source) return false;
    int32_t kept = 0;
    int32_t first = -1;
    for (int32_t k = 0; k < n; ++k) {
        const int64_t i = c0 + k - a.destStart;
        const int64_t along = a.mirror ? a.destLength - 1 - i : i;
        // 128 bits: both lengths can come near 2^32 after mapping-mode scaling.
        const __int128 num = static_cast<__int128>(2 * along + 1) * a.srcLength;
        const int64_t s = a.srcStart + static_cast<int64_t>(num / (2 * static_cast<__int128>(a.destLength)));
        if (s < 0 || s >= srcLimit) continue;
        if (first < 0) first = static_cast<int32_t>(c0 + k);
        map->source[kept++] = static_cast<int32_t>(s);
    }
    map->first = first;
    map->count = kept;
    return true;
}

template <uint32_t B>
inline uint32_t Fetch(const uint8_t* row, int32_t x) {
    if constexpr (B == 1) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    } else if constexpr (B == 4) {
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    } else if constexpr (B == 8) {
        return row[x];
    } else {
        const uint8_t* p = row + static_cast<size_t>(x) * 3;
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16);
    }
}

template <uint32_t B>
inline void Store(uint8_t* row, int32_t x, uint32_t v) {
    if constexpr (B == 1) {
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (x & 7));
        row[x >> 3] =
            v ? static_cast<uint8_t>(row[x >> 3] | mask) : static_cast<uint8_t>(row[x >> 3] & ~mask);
    } else if constexpr (B == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | v) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
    } else if constexpr (B == 8) {
        row[x] = static_cast<uint8_t>(v);
    } else {
        uint8_t* p = row + static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
}

struct ByTable {
    const uint32_t* lut;
    uint32_t operator()(uint32_t v) const { return lut[v]; }
};
struct AsIs {
    uint32_t operator()(uint32_t v) const { return v; }
};
struct ByNearest {
    NearestColour* matcher;
    uint32_t operator()(uint32_t v) const { return matcher->FindPacked(v); }
};

template <uint32_t SB, uint32_t DB, class Convert>
void CopyRows(const Surface& dst, const Surface& src, const SampleMap& cols, const SampleMap& rows,
              Convert convert) {
    const int32_t* columns = cols.source.get();
    const int32_t n = cols.count;
    const int32_t x0 = cols.first;
    int32_t previous = -1;
    const uint8_t* previousRow = nullptr;
    for (int32_t k = 0; k < rows.count; ++k) {
        const int32_t sy = rows.source[k];
        uint8_t* d = dst.Row(rows.first + k);
        if constexpr (DB >= 8) {
            // Enlarging repeats source rows: copy the row just made instead of sampling again.
            if (sy == previous) {
                std::memcpy(d + static_cast<size_t>(x0) * (DB / 8),
                            previousRow + static_cast<size_t>(x0) * (DB / 8),
                            static_cast<size_t>(n) * (DB / 8));
                continue;
            }
        }
        const uint8_t* s = src.Row(sy);
        for (int32_t i = 0; i < n; ++i) Store<DB>(d, x0 + i, convert(Fetch<SB>(s, columns[i])));
        previous = sy;
        previousRow = d;
    }
}

template <uint32_t SB, class Convert>
void ToDestination(const Surface& dst, const Surface& src, const SampleMap& cols, const SampleMap& rows,
                   Convert convert) {
    switch (dst.bitsPerPixel) {
        case 1:
            CopyRows<SB, 1>(dst, src, cols, rows, convert);
            break;
        case 4:
            CopyRows<SB, 4>(dst, src, cols, rows, convert);
            break;
        case 8:
            CopyRows<SB, 8>(dst, src, cols, rows, convert);
            break;
        default:
            CopyRows<SB, 24>(dst, src, cols, rows, convert);
            break;
    }
}

}  // namespace

bool NormaliseExtent(int64_t origin, int64_t extent, int64_t* start, int64_t* length, bool* reversed) {
    if (extent == 0) return false;
    if (extent > 0) {
        *start = origin;
        *length = extent;
        *reversed = false;
    } else {
        *start = origin + extent + 1;
        *length = -extent;
        *reversed = true;
    }
    return true;
}

bool Stretch(const Surface& dst, const Surface& src, const Axis& x, const Axis& y) {
    if (x.destLength <= 0 || y.destLength <= 0 || x.srcLength <= 0 || y.srcLength <= 0) return true;
    SampleMap cols;
    SampleMap rows;
    if (!BuildMap(x, dst.width, src.width, &cols) || !BuildMap(y, dst.height, src.height, &rows))
        return false;
    if (cols.count == 0 || rows.count == 0) return true;

    if (src.bitsPerPixel == 24) {
        if (dst.bitsPerPixel == 24) {
            CopyRows<24, 24>(dst, src, cols, rows, AsIs{});
        } else {
            std::unique_ptr<NearestColour> matcher(new (std::nothrow)
                                                       NearestColour(dst.colours, dst.colourCount));
            if (!matcher) return false;
            ToDestination<24>(dst, src, cols, rows, ByNearest{matcher.get()});
        }
        return true;
    }

    // Indexed sources: every source index is matched once, before the copy.
    uint32_t lut[256];
    for (uint32_t i = 0; i < 256; ++i) {
        RGBQUAD c{0, 0, 0, 0};  // indices past the table show black
        if (i < src.colourCount) c = src.colours[i];
        lut[i] = dst.bitsPerPixel == 24
                     ? (static_cast<uint32_t>(c.rgbBlue) | (static_cast<uint32_t>(c.rgbGreen) << 8) |
                        (static_cast<uint32_t>(c.rgbRed) << 16))
                     : NearestIndex(dst.colours, dst.colourCount, c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
    const ByTable byTable{lut};
    switch (src.bitsPerPixel) {
        case 1:
            ToDestination<1>(dst, src, cols, rows, byTable);
            break;
        case 4:
            ToDestination<4>(dst, src, cols, rows, byTable);
            break;
        default:
            ToDestination<8>(dst, src, cols, rows, byTable);
            break;
    }
    return true;
}

}  // namespace aldra::gdi
