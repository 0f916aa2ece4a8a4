// Drawing on a second thread. A large drawing spends about as long reading its text and building
// its paths as GDI spends painting them, so the render pass hands its drawing steps to a worker
// thread that applies them to the target in the order they were made, while the pass reads on. The
// pass itself never waits for a step's pixels: the only answers it needs from GDI are the extents
// of text whose width decides where it or the next text goes (aligned lines, vertical text, a
// point asked for after a run), and those it takes from a second device context with the target's
// mapping and no pixels of its own.
#pragma once
#include <memory>

#include "illustrator/DrawingSteps.h"
#include "preview/TargetRaster.h"

namespace aldra {

class DrawingQueue;

// Drawings of less PostScript than this are drawn on the pass's own thread. The two threads cost
// more CPU time than one (they meet, and each waits for the other now and then); below about half a
// megabyte of artwork (10,000 segments) they saved a tenth of the time at most, and cost a fifth
// more CPU time, which a host drawing on every core pays.
inline constexpr uint64_t kQueuedDrawingBytes = uint64_t{512} << 10;

// Starts the worker for the target; false (and the target drawn directly) on a single core, or when
// no thread, context or memory can be had. Until FinishQueuedDrawing the target's pixels belong to the
// worker.
bool StartQueuedDrawing(TargetRaster* target);
// Waits until every step handed over is applied and ends the worker. Nothing for a target without one.
void FinishQueuedDrawing(TargetRaster* target);

// Applies the step to the target now, or hands it to the target's worker.
void SubmitDrawStep(TargetRaster* target, const DrawStep& step, const StepData& data);
// The context to measure text in: the drawing thread's measuring context, or the target's own.
HDC TextMeasureDc(const TargetRaster* target);
// With a drawing thread, selects a font of the face and height into its measuring context, kept for
// the next text of the same font. False without a thread or when no font can be kept: the caller
// then makes one for the call.
bool SelectKeptMeasuringFont(const TargetRaster* target, const uint8_t* faceName, int32_t height);

}  // namespace aldra
