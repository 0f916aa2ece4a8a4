#include "host/SqlConnection.h"

#include <charconv>

namespace aldra::host {

int64_t SqlValue::AsInt() const {
    if (kind == Kind::kInteger) return integer;
    if (kind == Kind::kReal) return static_cast<int64_t>(real);
    int64_t value = 0;
    std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    return value;
}

std::string SqlValue::AsText() const {
    if (kind == Kind::kInteger) return std::to_string(integer);
    if (kind == Kind::kReal) {
        char text[32];
        auto end = std::to_chars(text, text + sizeof text, real).ptr;
        return std::string(text, end);
    }
    return bytes;
}

}  // namespace aldra::host
