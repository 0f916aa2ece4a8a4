#include "preview/BitFields.h"
#include "preview/TargetRaster.h"

namespace aldra {

namespace {

// Cell boundaries: output index k covers source indices [k * from / to, (k + 1) * from / to).
uint32_t CellStart(uint32_t k, uint32_t sourceSize, uint32_t targetSize) {
    return static_cast<uint32_t>(static_cast<uint64_t>(k) * sourceSize / targetSize);
}

}  // namespace

void ReduceBitmapToGrey(TargetRaster* target, const RasterImage* source, const Rect& r) {
    int32_t w = r.right - r.left;
    int32_t h = r.bottom - r.top;
    RasterImage* t = &target->raster;
    if (w <= 0 || h <= 0 || source->width < static_cast<uint32_t>(w) ||
        source->height < static_cast<uint32_t>(h))
        return;
    // Only the part of r inside the target is written; the cells are still laid out over all of r.
    for (int32_t k = 0; k < h; ++k) {
        int64_t memoryRow = static_cast<int64_t>(t->height) - r.top - 1 - k;
        if (memoryRow < 0 || memoryRow >= t->height) continue;
        uint32_t rowFirst = CellStart(k, source->height, h);
        uint32_t rowEnd = CellStart(k + 1, source->height, h);
        uint8_t* out = t->pixels + static_cast<uint64_t>(memoryRow) * t->rowBytes;
        for (int32_t c = 0; c < w; ++c) {
            int64_t x = static_cast<int64_t>(r.left) + c;
            if (x < 0 || x >= t->width) continue;
            uint32_t colFirst = CellStart(c, source->width, w);
            uint32_t cellWidth = CellStart(c + 1, source->width, w) - colFirst;
            uint32_t white = 0;
            for (uint32_t row = rowFirst; row < rowEnd; ++row) {
                white += CountBits(source->pixels + static_cast<uint64_t>(row) * source->rowBytes, colFirst,
                                   cellWidth);
            }
            uint32_t grey = ((255 * white) / cellWidth) / (rowEnd - rowFirst);
            out[x] = static_cast<uint8_t>(255 - grey);
        }
    }
}

}  // namespace aldra
