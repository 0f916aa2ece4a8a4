#include "preview/LibTiff.h"

#include <dlfcn.h>

#include <mutex>

namespace aldra {
namespace {

// The soname of libtiff since 4.5, the first with the open options the decoder sets.
constexpr const char* kLibTiffFile = "libtiff.so.6";

template <typename Call>
bool Take(void* library, const char* name, Call* call) {
    *call = reinterpret_cast<Call>(dlsym(library, name));
    return *call != nullptr;
}

bool TakeAll(void* l, LibTiffCalls* c) {
    return Take(l, "TIFFOpenOptionsAlloc", &c->TIFFOpenOptionsAlloc) &&
           Take(l, "TIFFOpenOptionsFree", &c->TIFFOpenOptionsFree) &&
           Take(l, "TIFFOpenOptionsSetErrorHandlerExtR", &c->TIFFOpenOptionsSetErrorHandlerExtR) &&
           Take(l, "TIFFOpenOptionsSetWarningHandlerExtR", &c->TIFFOpenOptionsSetWarningHandlerExtR) &&
           Take(l, "TIFFOpenOptionsSetMaxSingleMemAlloc", &c->TIFFOpenOptionsSetMaxSingleMemAlloc) &&
           Take(l, "TIFFClientOpenExt", &c->TIFFClientOpenExt) &&
           Take(l, "TIFFNumberOfStrips", &c->TIFFNumberOfStrips) &&
           Take(l, "TIFFReadEncodedStrip", &c->TIFFReadEncodedStrip) && Take(l, "TIFFClose", &c->TIFFClose);
}

}  // namespace

// The library stays loaded: its handles may outlive any one picture.
const LibTiffCalls* LibTiff() {
    static LibTiffCalls calls{};
    static const LibTiffCalls* loaded = nullptr;
    static std::once_flag tried;
    std::call_once(tried, [] {
        void* library = dlopen(kLibTiffFile, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) return;
        if (TakeAll(library, &calls))
            loaded = &calls;
        else
            dlclose(library);
    });
    return loaded;
}

}  // namespace aldra
