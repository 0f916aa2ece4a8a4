// Finding the resource fork of a file that lives on a file system without forks. For a path
// dir/name the fork is looked for, first found wins:
//   1. dir/._name, an AppleDouble companion (macOS on foreign volumes, unpacked archives);
//   2. dir/__MACOSX/._name, where zip archives made on a Mac keep the companions, else the same in
//      the __MACOSX folder of an ancestor up to three levels up, which mirrors the folders below it;
//   3. dir/name itself when it is a MacBinary file;
//   4. dir/name/..namedfork/rsrc, where the file system offers named forks.
#pragma once
#include <cstdint>

#include "base/Block.h"
#include "base/Result.h"

namespace aldra::qt {

// Forks hold at most 16 MB of resource data and a map addressed by 16-bit offsets.
inline constexpr uint32_t kMaxForkBytes = 32u << 20;

// The fork's bytes, read whole. For a `plainFile` (a regular file that is no MacBinary file) only the
// companions, places 1 and 2, are looked at. 2008 when no place holds a fork, 2020 when the first
// place that holds one gives a fork larger than kMaxForkBytes, or the file system's code when
// reading fails.
Status ReadResourceFork(const char* path, bool plainFile, BlockPtr* fork, uint32_t* size);

}  // namespace aldra::qt
