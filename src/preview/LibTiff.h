// libtiff, loaded on the first CCITT strip a process decodes. Linked into the filter it brought its
// codecs' libraries (WebP, Zstandard, LZMA, LERC, JBIG, libdeflate) into every process, although
// only faxed previews need it.
#pragma once
#include <tiffio.h>

namespace aldra {

// The calls the fax decoder makes, as the library exports them.
struct LibTiffCalls {
    decltype(&::TIFFOpenOptionsAlloc) TIFFOpenOptionsAlloc;
    decltype(&::TIFFOpenOptionsFree) TIFFOpenOptionsFree;
    decltype(&::TIFFOpenOptionsSetErrorHandlerExtR) TIFFOpenOptionsSetErrorHandlerExtR;
    decltype(&::TIFFOpenOptionsSetWarningHandlerExtR) TIFFOpenOptionsSetWarningHandlerExtR;
    decltype(&::TIFFOpenOptionsSetMaxSingleMemAlloc) TIFFOpenOptionsSetMaxSingleMemAlloc;
    decltype(&::TIFFClientOpenExt) TIFFClientOpenExt;
    decltype(&::TIFFNumberOfStrips) TIFFNumberOfStrips;
    decltype(&::TIFFReadEncodedStrip) TIFFReadEncodedStrip;
    decltype(&::TIFFClose) TIFFClose;
};

// The library's calls, loaded on the first request and kept for the process; null when libtiff is
// not installed or lacks one of them (then CCITT previews are not decoded).
const LibTiffCalls* LibTiff();

}  // namespace aldra
