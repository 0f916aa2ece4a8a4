// The XMP packet that current programs embed in the PostScript text of the EPS files they write:
// the text from "<x:xmpmeta" (or the older "<x:xapmeta") to its end tag.
#pragma once
#include <cstdint>
#include <string>

#include "base/Result.h"
#include "eps/EpsReader.h"

namespace aldra {

// Illustrator writes the packet behind its prolog and setup, which embedded fonts can make long;
// past this a file is taken to have none, so that a large file without one costs a bounded search.
inline constexpr uint64_t kMostEmbeddedXmpSearchBytes = uint64_t{32} << 20;
// A packet holds a thumbnail of a few tens of KB at most; one that does not end within this is
// taken as none.
inline constexpr uint32_t kMostEmbeddedXmpBytes = 8u << 20;

// 2020 when no complete packet lies within the bounds. Beyond the bytes the reader holds, the search
// reads no more than `mostRead` bytes: one that would read more stops before it does, with 1000.
Status ReadXmpPacket(EpsReader* eps, std::string* packet, uint64_t mostRead = UINT64_MAX);

}  // namespace aldra
