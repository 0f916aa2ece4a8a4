// The file a command is given. File managers pass `%u` as a file:// URI; it names a local path once
// its percent escapes are decoded.
#pragma once
#include <string>

namespace aldra::host {

// The local path a word names: a file:// URI (empty or "localhost" host) decoded, anything else as it
// stands. Empty with *error set for a URI that names no local file or has a broken escape.
std::string InputPath(const std::string& word, std::string* error);

}  // namespace aldra::host
