// Length-prefixed UTF-16 strings as the host allocates and frees them. A BSTR points at its first
// character; the 32-bit byte count sits just in front and a 16-bit zero just after, so a BSTR can
// also be read as a zero-terminated string when it holds no embedded zeros. A null BSTR means "".
#pragma once
#include <cstdint>

#include "platform/com/HResult.h"

namespace aldra {

// Copies a zero-terminated string; null in gives null out. Null on allocation failure.
BSTR SysAllocString(const OLECHAR* text);
// Copies `chars` characters, embedded zeros included; a null source gives `chars` zeros.
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t chars);
void SysFreeString(BSTR text);  // null is allowed
uint32_t SysStringLen(BSTR text);
uint32_t SysStringByteLen(BSTR text);

}  // namespace aldra
