#include "preview/LibTiff.h"

#include <mutex>

#include "base/LoadedLibrary.h"

namespace aldra {
namespace {

// The soname of libtiff since 4.5, the first with the open options the decoder sets.
constexpr const char* kLibTiffFile = "libtiff.so.6";

bool TakeAll(void* l, LibTiffCalls* c) {
    return TakeEntry(l, "TIFFOpenOptionsAlloc", &c->TIFFOpenOptionsAlloc) &&
           TakeEntry(l, "TIFFOpenOptionsFree", &c->TIFFOpenOptionsFree) &&
           TakeEntry(l, "TIFFOpenOptionsSetErrorHandlerExtR", &c->TIFFOpenOptionsSetErrorHandlerExtR) &&
           TakeEntry(l, "TIFFOpenOptionsSetWarningHandlerExtR", &c->TIFFOpenOptionsSetWarningHandlerExtR) &&
           TakeEntry(l, "TIFFOpenOptionsSetMaxSingleMemAlloc", &c->TIFFOpenOptionsSetMaxSingleMemAlloc) &&
           TakeEntry(l, "TIFFClientOpenExt", &c->TIFFClientOpenExt) &&
           TakeEntry(l, "TIFFNumberOfStrips", &c->TIFFNumberOfStrips) &&
           TakeEntry(l, "TIFFReadEncodedStrip", &c->TIFFReadEncodedStrip) &&
           TakeEntry(l, "TIFFClose", &c->TIFFClose);
}

}  // namespace

// The library stays loaded: its handles may outlive any one picture.
const LibTiffCalls* LibTiff() {
    static LibTiffCalls calls{};
    static const LibTiffCalls* loaded = nullptr;
    static std::once_flag tried;
    std::call_once(tried, [] {
        if (LoadEntries(kLibTiffFile, &calls, TakeAll)) loaded = &calls;
    });
    return loaded;
}

}  // namespace aldra
