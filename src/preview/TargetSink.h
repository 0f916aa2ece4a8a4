// The sink of the preview chains: decoded rows, converted to the raster's pixels, stretched into a
// destination rectangle of the target raster.
#pragma once
#include "preview/RowSink.h"
#include "preview/TargetRaster.h"

namespace aldra {

class TargetSink final : public RowSink {
  public:
    TargetSink(TargetRaster* target, const Rect* destination) : target_(target), destination_(destination) {}

    // Bands that land on no destination pixel are neither converted nor drawn, which makes strong
    // reductions cheap. A colour table that cannot be loaded ends the decoding with its status.
    Status TakeRows(const RowBand& band) override;

  private:
    TargetRaster* target_;
    const Rect* destination_;
};

}  // namespace aldra
