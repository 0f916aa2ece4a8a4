// Where a file's resource fork sits inside the containers that carry forks off the Macintosh: the
// AppleDouble companion ("._name", as macOS and zip archives write it) and the MacBinary file. Both
// readers look only at the container's header; the span they give lies inside the file.
#pragma once
#include <cstdint>

#include "base/FileReader.h"

namespace aldra::qt {

struct ForkSpan {
    uint64_t offset = 0;
    uint32_t length = 0;
};

// AppleDouble version 2: the entry with id 2. False when the file is no such container, has no
// resource fork entry, or the entry reaches past the end of the file.
bool FindAppleDoubleFork(FileReader* reader, uint8_t** cursor, ForkSpan* span);

// MacBinary I, II and III: true when the 128-byte header says the file is one (the CRC of II, the
// "mBIN" mark of III, or the zeros of I) and its resource fork lies within the file.
bool FindMacBinaryFork(FileReader* reader, uint8_t** cursor, ForkSpan* span);

}  // namespace aldra::qt
