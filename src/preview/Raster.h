// The in-memory raster every preview source fills: a device-independent bitmap with the header and
// colour table GDI needs, over pixel memory the raster does not own. Decoders write natural order
// (1 bit: set is ink; 24 bits: red, green, blue); the hand-over to the drawing code converts to DIB
// order (1 bit: clear is ink; 24 bits: blue, green, red) and back.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/Result.h"

namespace aldra {

// A rectangle with exclusive right and bottom edges, as GDI's.
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Red in the lowest byte, then green, then blue, as a Windows COLORREF.
using ColourRef = uint32_t;

inline constexpr ColourRef MakeColour(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<ColourRef>(red) | (static_cast<ColourRef>(green) << 8) |
           (static_cast<ColourRef>(blue) << 16);
}

// Byte for byte a Windows BITMAPINFOHEADER, so that the drawing code can hand it to GDI as it is.
struct DibHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
static_assert(sizeof(DibHeader) == 40);

// Byte for byte a Windows RGBQUAD.
struct DibColour {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};
static_assert(sizeof(DibColour) == 4);

inline constexpr uint32_t kPaletteSize = 256;

struct RasterImage {
    DibHeader header;  // with `colours`, a BITMAPINFO with a 256-entry table
    DibColour colours[kPaletteSize];
    uint8_t* pixels;        // first row in memory; owned by whoever made the raster
    uint32_t bitsPerPixel;  // 1, 4, 8 or 24
    uint32_t width;
    uint32_t height;
    uint32_t rowBytes;  // distance between row starts; need not be the aligned stride
    uint32_t capacity;  // bytes available at `pixels`
    bool inDibOrder;
};
static_assert(offsetof(RasterImage, colours) == sizeof(DibHeader), "header and table form a BITMAPINFO");

// Whole 32-bit words per row, in bytes.
inline constexpr uint32_t AlignedStride(uint32_t bitsPerPixel, uint32_t width) {
    return static_cast<uint32_t>(((static_cast<uint64_t>(bitsPerPixel) * width + 31) & ~uint64_t{31}) / 8);
}

// With both colours and colourCount the table comes from the caller; otherwise depths below 24 get
// their default table (1 bit: black, white; 4 and 8 bits: greys from white to black).
void InitRaster(uint32_t bitsPerPixel, uint32_t width, uint32_t height, uint32_t rowBytes,
                const ColourRef* colours, uint32_t colourCount, uint8_t* pixels, uint32_t capacity,
                bool inDibOrder, RasterImage* raster);
// Stores colours from entry `first` on; entries past the table's end are dropped.
void SetRasterPalette(RasterImage* raster, const ColourRef* colours, uint32_t first, uint32_t count);
// 1000 and nothing changed when the rows would not fit the capacity. The header follows on
// presentation.
Status SetRasterHeight(RasterImage* raster, uint32_t rows);

inline uint8_t* RasterPixels(const RasterImage* raster) {
    return raster->pixels;
}
inline uint32_t RasterRowBytes(const RasterImage* raster) {
    return raster->rowBytes;
}
Rect GetRasterRect(const RasterImage* raster);

// Natural order to DIB order and back (its own inverse). Bytes outside the capacity are never touched.
void ToDibOrder(RasterImage* raster);

// Maps r from the frame `from` into the frame `to`, rounding to the nearest pixel. A frame of zero
// width (height) maps every x (y) to the target's left (top) edge.
Rect MapRect(const Rect& r, const Rect& from, const Rect& to);

// The seam to the drawing code: receives a view in DIB order at the aligned stride and the
// rectangle to fill; 0 means success.
using RasterCallback = Status (*)(const RasterImage* view, const Rect* rect, void* context);

// Hands the raster in DIB order at the aligned stride to the callback, widening or narrowing the
// rows in place, or one row at a time when widened rows would not fit the capacity. Returns the
// callback's status (the last one made, row by row). Afterwards the rows may lie at the aligned
// stride while `rowBytes` keeps its old value: the content counts as used up.
Status PresentRaster(RasterImage* raster, const Rect* rect, RasterCallback callback, void* context);

}  // namespace aldra
