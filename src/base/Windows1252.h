// The Windows-1252 code page, in which the filter keeps its narrow texts whatever the machine's
// locale. Shared by the layers that turn those texts into Unicode (COM strings, GDI text).
#pragma once
#include <cstdint>

namespace aldra {

// The five bytes the code page leaves unassigned map to the C1 control of the same value, so every
// byte survives a round trip.
char16_t Windows1252ToUtf16(uint8_t byte);
// The byte for one code point, or '?' when the code page lacks it.
char CodePointToWindows1252(char32_t point);

}  // namespace aldra
