// Result codes in test messages by number and text instead of as raw bytes. Every test source gets
// this header (tests/CMakeLists.txt), so that any comparison of codes prints them readably.
#pragma once
#include <ostream>
#include <string>

#include "base/Result.h"

namespace aldra {

inline void PrintTo(Status status, std::ostream* os) {
    *os << CodeOf(status) << " (" << StatusText(status) << ")";
}

// The number alone, for tests that compare results written as text.
inline std::string CodeString(Status status) {
    return std::to_string(CodeOf(status));
}

}  // namespace aldra
