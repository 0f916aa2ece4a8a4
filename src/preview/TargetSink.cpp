#include "preview/TargetSink.h"

#include <cstring>

#include "base/Bytes.h"
#include "preview/ColourTables.h"

namespace aldra {

namespace {

struct Placement {
    Rect image;  // the picture's frame in its own pixels
    TargetRaster* target;
    const Rect* destination;
};

bool IsEmpty(const Rect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Each row's colour is packed to red, green, blue from the row start; a pixel's samples are taken
// before its colour overwrites them.
Status ConvertThroughTables(const RowBand& band, int mode, uint32_t sampleBytes) {
    for (uint32_t y = 0; y < band.rows; ++y) {
        uint8_t* row = band.pixels + static_cast<uint64_t>(y) * band.rowBytes;
        for (uint32_t x = 0; x < band.width; ++x) {
            uint8_t samples[4];
            std::memcpy(samples, row + static_cast<size_t>(x) * sampleBytes, sampleBytes);
            Status status = ConvertColour(mode, samples, row + static_cast<size_t>(x) * 3);
            if (status != kOk) return status;
        }
    }
    return kOk;
}

// Brings the band to a raster depth of 1, 4, 8 or 24 and says whether its bytes are already in
// DIB order: colour indices read the same either way, and blue, green, red is GDI's own order.
Status ToRasterPixels(const RowBand& band, uint32_t* depth, bool* inDibOrder) {
    *depth = band.bitsPerPixel;
    *inDibOrder = false;
    switch (band.format) {
        case RowFormat::kLight:
            InvertBytes(band.pixels, static_cast<int64_t>(band.rowBytes) * band.rows);
            return kOk;
        case RowFormat::kIndexed:
        case RowFormat::kBgr:
            *inDibOrder = true;
            return kOk;
        case RowFormat::kCmyk:
            *depth = 24;
            return ConvertThroughTables(band, kColourCmyk, 4);
        case RowFormat::kLab:
            *depth = 24;
            return ConvertThroughTables(band, kColourLab, 3);
        case RowFormat::kInk:
        case RowFormat::kRgb:
            return kOk;
    }
    return kOk;
}

Status DrawMappedBand(const RasterImage* view, const Rect* bandRect, void* context) {
    auto* place = static_cast<Placement*>(context);
    DrawRaster(place->target, view, MapRect(*bandRect, place->image, *place->destination));
    return kOk;
}

}  // namespace

Status TargetSink::TakeRows(const RowBand& band) {
    target_->sourceWidth = band.width;
    target_->sourceHeight = band.height;
    Placement place{
        {0, 0, static_cast<int32_t>(band.width), static_cast<int32_t>(band.height)}, target_, destination_};
    Rect rows{0, static_cast<int32_t>(band.top), static_cast<int32_t>(band.width),
              static_cast<int32_t>(band.top + band.rows)};
    if (IsEmpty(MapRect(rows, place.image, *destination_))) return kOk;
    uint32_t depth = 0;
    bool inDibOrder = false;
    Status status = ToRasterPixels(band, &depth, &inDibOrder);
    if (status != kOk) return status;
    RasterImage raster;
    InitRaster(depth, band.width, band.rows, band.rowBytes, band.colours, band.colourCount, band.pixels,
               band.capacity, inDibOrder, &raster);
    return PresentRaster(&raster, &rows, DrawMappedBand, &place);
}

}  // namespace aldra
