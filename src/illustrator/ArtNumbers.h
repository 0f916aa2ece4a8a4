// Page-unit arithmetic meets integer pixels here. The numbers come from the file: a coordinate of
// 1e200 or a scale from a box a millionth wide is legal input, and converting such a double to an
// integer that cannot hold it is undefined, so every conversion saturates and NaN becomes 0.
#pragma once
#include <cmath>
#include <cstdint>

namespace aldra {

// Cut toward zero and held in [low, high]; NaN gives 0.
inline int64_t TruncClamped(double value, int64_t low, int64_t high) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(low)) return low;
    if (value >= static_cast<double>(high)) return high;
    return static_cast<int64_t>(value);
}

inline int32_t TruncToInt32(double value) {
    return static_cast<int32_t>(TruncClamped(value, INT32_MIN, INT32_MAX));
}

inline int16_t TruncToInt16(double value) {
    return static_cast<int16_t>(TruncClamped(value, INT16_MIN, INT16_MAX));
}

// A whole number in [low, high] for a sum of 32-bit values computed in 64 bits.
inline int32_t ClampToInt32(int64_t value, int32_t low = INT32_MIN, int32_t high = INT32_MAX) {
    return static_cast<int32_t>(value < low ? low : value > high ? high : value);
}

}  // namespace aldra
