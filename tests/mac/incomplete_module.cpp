// A QuickTime module that lacks its dispatcher: the binding must refuse it and let it go.
#include <cstdint>

extern "C" intptr_t _CallComponent(void*, void*) {
    return 0;
}

extern "C" intptr_t _CallComponentFunctionWithStorage(void*, void*) {
    return 0;
}
