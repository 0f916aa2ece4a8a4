#include "host/InputPath.h"

#include <cctype>

namespace aldra::host {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Every %XX becomes its byte; a NUL byte could not be passed on as a path, so it counts as broken.
bool PercentDecode(const std::string& text, std::string* out) {
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            *out += text[i];
            continue;
        }
        int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
        *out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

}  // namespace

std::string InputPath(const std::string& word, std::string* error) {
    const std::string scheme = "file://";
    if (!StartsWithNoCase(word, scheme)) return word;
    std::string rest = word.substr(scheme.size());
    size_t slash = rest.find('/');
    std::string host = rest.substr(0, slash);
    if (slash == std::string::npos || !(host.empty() || host == "localhost")) {
        *error = word + ": not a local file (only file:///path and file://localhost/path are read)";
        return {};
    }
    // A query or fragment has no meaning for a file; file managers escape '?' and '#' in names.
    std::string path;
    if (!PercentDecode(rest.substr(slash, rest.find_first_of("?#") - slash), &path)) {
        *error = word + ": broken percent escape in the URI";
        return {};
    }
    return path;
}

}  // namespace aldra::host
