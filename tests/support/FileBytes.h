// A whole file read into memory, and the little-endian fields of the bitmap and TIFF headers the
// tests take apart.
#pragma once
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

namespace aldra::testing {

// Empty when the file cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline uint32_t Le16(const std::string& s, size_t at) {
    return uint32_t{uint8_t(s[at])} | uint32_t{uint8_t(s[at + 1])} << 8;
}

inline uint32_t Le32(const std::string& s, size_t at) {
    return Le16(s, at) | Le16(s, at + 2) << 16;
}

}  // namespace aldra::testing
