// The words after a command, split into options and operands as people who live in getopt expect:
// `--name=value`, `--name value`, `-s value`, `-s256`, bundled flags (`-qf`), `--` ending options, and
// a value such as `-5` taken as a value, never as an option.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

namespace aldra::host {

// A short letter standing for a long option; it applies to the commands that have that option.
struct ShortOption {
    char letter;
    const char* name;
};

struct ParsedWords {
    std::vector<std::string> operands;
    std::map<std::string, std::string> options;  // long name to value ("" for a flag)
    bool help = false;                           // -h or --help before `--`
};

// Empty on success, otherwise the message for the user (without the program's name).
std::string ParseWords(const std::vector<std::string>& words, const std::set<std::string>& valueOptions,
                       const std::set<std::string>& flagOptions, const std::vector<ShortOption>& shorts,
                       ParsedWords* parsed);

}  // namespace aldra::host
