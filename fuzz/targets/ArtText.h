// The text of Illustrator artwork as the notes take it: the same reader and comments as the drawing,
// the text operators grouping the pieces by size, nested documents adding to the same groups, and
// the cut to the byte limit, which must hold whatever the file does.
#pragma once
#include "base/TextBuffer.h"
#include "fuzz/targets/Scratch.h"
#include "illustrator/Illustrator.h"

namespace aldra::fuzz {

inline int FuzzArtText(const uint8_t* data, size_t size) {
    const std::string path = WriteScratch("art/notes.ai", data, size);
    for (int32_t maxText : {32000, 9}) {
        EpsReader eps;
        if (OpenEps(path.c_str(), &eps) != kOk) return 0;
        BufferPtr notes;
        if (NewBuffer(0, &notes) != kOk) Fail("no notes buffer", __FILE__, __LINE__);
        (void)CollectIllustratorText(&eps, notes.get(), maxText);  // refusals are fine
        ALDRA_FUZZ_CHECK(GetBufferSize(notes.get()) <= static_cast<uint32_t>(maxText));
        CloseEps(&eps);
    }
    return 0;
}

}  // namespace aldra::fuzz
