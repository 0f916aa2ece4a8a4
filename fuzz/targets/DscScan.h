// The header scan over a whole file: every comment keyword, list runs, hex blocks and the DOS EPS
// header in front. The file is named like a DCS main file, but no plates lie beside it here (the
// companions target has those).
#pragma once
#include "base/StringList.h"
#include "eps/DscScan.h"
#include "fuzz/targets/Scratch.h"

namespace aldra::fuzz {

inline int FuzzDscScan(const uint8_t* data, size_t size) {
    const std::string path = WriteScratch("dsc/input.eps", data, size);
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return 0;
    EpsInfo info;
    if (ParseEpsHeader(&eps, path.c_str(), &info) == kOk) {
        // The counts go to the host as list lengths, so they must match the lists.
        ALDRA_FUZZ_CHECK(CountEntries(info.fonts.get()) == info.fontCount);
        ALDRA_FUZZ_CHECK(CountEntries(info.customColors.get()) == info.customColorCount);
        ALDRA_FUZZ_CHECK(CountEntries(info.files.get()) == info.fileCount);
        ALDRA_FUZZ_CHECK(info.colorMode <= kColour);
        JoinStringList(info.fonts.get(), '\r');
    } else {
        ALDRA_FUZZ_CHECK(info.fonts == nullptr && info.customColors == nullptr && info.files == nullptr);
    }
    CloseEps(&eps);
    return 0;
}

}  // namespace aldra::fuzz
