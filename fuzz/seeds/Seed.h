// One starting input of a fuzz target: the file name it is written under, and its bytes.
#pragma once
#include <string>

namespace aldra::fuzz {

struct Seed {
    std::string name;
    std::string bytes;
};

}  // namespace aldra::fuzz
