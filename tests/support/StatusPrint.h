// Result codes in test messages by number and text instead of as raw bytes. Every test source gets
// this header (tests/CMakeLists.txt), so that any comparison of codes prints them readably.
#pragma once
#include <ostream>

#include "base/Result.h"

namespace aldra {

inline void PrintTo(Status status, std::ostream* os) {
    *os << CodeOf(status) << " (" << StatusText(status) << ")";
}

}  // namespace aldra
