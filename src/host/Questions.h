// `aldra-eps query`: the questions people ask a catalogue (which files use a font, carry a keyword,
// have no preview, come from a program, changed since a day), asked together, answered as paths.
#pragma once
#include <map>
#include <string>
#include <vector>

namespace aldra::host {

// The command: options --db, --font, --keyword, --creator, --since and --no-preview; prints one
// path a line. Exit status 0 with answers, 1 without any, 2 for a usage or database error.
int RunQuery(const std::vector<std::string>& args, const std::map<std::string, std::string>& options);

// A day or a moment in local time ("2024-05-01", "2024-05-01 13:30[:00]", with a space or a T) or
// seconds since 1970 ("@1714560000"), as nanoseconds since 1970. False when the text is neither.
bool ParseMoment(const std::string& text, int64_t* nanoseconds);

}  // namespace aldra::host
