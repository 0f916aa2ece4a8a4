// Illustrator artwork drawn by the interpreter: the creator test, the structure comments with their
// skipped sections and nested documents, the operand stack and every drawing operator, into targets
// of both depths whose destination leaves a border, so that drawing off the page is exercised too.
// The 8-bit target is drawn on a drawing thread, as large drawings are, whatever the input's size.
#pragma once
#include "fuzz/targets/Pictures.h"
#include "illustrator/DrawingQueue.h"
#include "illustrator/Illustrator.h"

namespace aldra::fuzz {

inline int FuzzArtRender(const uint8_t* data, size_t size) {
    UseFilterResources();  // CMYK colours go through the colour tables
    const std::string path = WriteScratch("art/render.ai", data, size);
    for (uint32_t depth : {24u, 8u}) {
        EpsReader eps;
        if (OpenEps(path.c_str(), &eps) != kOk) return 0;
        DrawTarget target(depth);
        const bool queued = depth == 8 && StartQueuedDrawing(&target.raster);
        (void)RenderIllustratorArt(&eps, &target.raster, &target.destination);  // refusals are fine
        if (queued) FinishQueuedDrawing(&target.raster);
        CloseEps(&eps);
    }
    return 0;
}

}  // namespace aldra::fuzz
