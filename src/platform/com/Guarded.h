// No exception may cross into a host: every entry a host calls runs its body through Guarded, which
// turns what escapes into the HRESULT a COM caller understands.
#pragma once
#include <new>

#include "platform/com/HResult.h"

namespace aldra {

template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace aldra
