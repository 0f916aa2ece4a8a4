// Where the single-file commands write. An existing file is replaced only when the user says so, and
// never the file being read, a device, a pipe, a folder or a link; the new file is made beside the
// target and renamed onto it, so a failure leaves the old one whole.
#pragma once
#include <functional>
#include <string>

#include "host/Thumbnails.h"

namespace aldra::host {

// Empty when `out` may be written: it does not exist, or `force` is given and it is a regular file
// that is not `input`. Otherwise the reason, naming `out`.
std::string OutputRefusal(const std::string& input, const std::string& out, bool force);

// Lets `write` make a new file in a scratch folder beside `out`, then puts it in place: without
// `force` only while `out` is still free, with it only while `out` is still a file it may replace.
// Stale scratch folders of processes that were killed are removed first.
ThumbnailOutcome WriteOutput(const std::string& input, const std::string& out, bool force,
                             const std::function<ThumbnailOutcome(const std::string& path)>& write);

// The OUT that stands for standard output.
inline constexpr const char* kStandardOutput = "-";

// Lets `write` make the file in a scratch folder under TMPDIR and copies it to standard output; nothing
// reaches the output unless the whole file was made.
ThumbnailOutcome WriteToStandardOutput(const std::function<ThumbnailOutcome(const std::string& path)>& write);

}  // namespace aldra::host
