// The DOS EPS header and the sections it locates: the header parsed from the bytes and from the
// file, the PostScript text found through its offset and read to the end, and the TIFF preview
// found through its offset and length.
#pragma once
#include "eps/DosEpsHeader.h"
#include "eps/EpsReader.h"
#include "fuzz/targets/BandCheck.h"
#include "fuzz/targets/FilterResources.h"
#include "fuzz/targets/Scratch.h"
#include "preview/TiffPreview.h"

namespace aldra::fuzz {

inline int FuzzDosEps(const uint8_t* data, size_t size) {
    UseFilterResources();
    DosEpsHeader fromBytes;
    const bool parsed = ParseDosEpsHeader(data, size, &fromBytes) == kOk;

    const std::string path = WriteScratch("dos/input.eps", data, size);
    EpsReader eps;
    if (OpenEps(path.c_str(), &eps) != kOk) return 0;
    DosEpsHeader fromFile;
    const bool read = ReadDosEpsHeader(&eps, &fromFile) == kOk;
    ALDRA_FUZZ_CHECK(read == parsed);
    if (read) {
        ALDRA_FUZZ_CHECK(fromFile.postScriptOffset == fromBytes.postScriptOffset &&
                         fromFile.tiffOffset == fromBytes.tiffOffset &&
                         fromFile.tiffLength == fromBytes.tiffLength);
    }

    if (RewindToPostScript(&eps) == kOk) {
        PString line;
        uint64_t before = EpsTell(&eps);
        Status status;
        while ((status = ReadLine(&eps, line)) == kOk) {
            const uint64_t after = EpsTell(&eps);
            // Every line moves the reader on and never past the end, or the scans would loop.
            ALDRA_FUZZ_CHECK(after > before && after <= EpsFileSize(&eps));
            before = after;
        }
        if (status == kErrEof) ALDRA_FUZZ_CHECK(AtEndOfFile(&eps));
    }

    BandCheck check;
    (void)DecodeDosEpsTiffPreview(&eps, &check);  // the bands are what is checked
    CloseEps(&eps);
    return 0;
}

}  // namespace aldra::fuzz
