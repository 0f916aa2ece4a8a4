// The target rasters the file-reading picture decoders draw into: one of each depth the control asks
// for, a little taller than wide so that both stretch directions are taken, and drawn into an inner
// rectangle so that a decoder writing outside its destination shows against the white border.
#pragma once
#include "eps/EpsReader.h"
#include "fuzz/targets/BandCheck.h"
#include "fuzz/targets/FilterResources.h"
#include "fuzz/targets/Scratch.h"
#include "preview/TargetSink.h"

namespace aldra::fuzz {

struct DrawTarget {
    TargetRaster raster;
    Rect destination{4, 3, 60, 45};
    explicit DrawTarget(uint32_t bitsPerPixel) {
        if (CreateTargetRaster(bitsPerPixel, 64, 48, &raster) != kOk)
            Fail("no target raster", __FILE__, __LINE__);
    }
    ~DrawTarget() { DestroyTargetRaster(&raster); }
    DrawTarget(const DrawTarget&) = delete;
    DrawTarget& operator=(const DrawTarget&) = delete;
};

// Hands every band to the checks and then to the target.
struct CheckedTargetSink final : RowSink {
    BandCheck check;
    TargetSink target;
    explicit CheckedTargetSink(DrawTarget* t) : target(&t->raster, &t->destination) {}
    Status TakeRows(const RowBand& band) override {
        (void)check.TakeRows(band);  // the check stops the run itself; it never refuses
        return target.TakeRows(band);
    }
};

// Opens the input written as a file, runs the decoder into a target of each depth, and closes it.
template <typename Decode>
void DecodeIntoTargets(const char* name, const uint8_t* data, size_t size, Decode decode) {
    UseFilterResources();
    const std::string path = WriteScratch(name, data, size);
    for (uint32_t depth : {24u, 8u}) {
        EpsReader eps;
        if (OpenEps(path.c_str(), &eps) != kOk) return;
        DrawTarget target(depth);
        CheckedTargetSink sink(&target);
        (void)decode(&eps, &sink);  // refusals are fine; crashes are not
        CloseEps(&eps);
    }
}

}  // namespace aldra::fuzz
