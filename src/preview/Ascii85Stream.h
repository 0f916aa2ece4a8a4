// Samples stored as ASCII85 text (Photoshop's and Pillow's %ImageData type 7), decoded straight
// from the reader's window in whatever pieces the rows ask for: a group of five digits gives four
// bytes, and a row may end inside one.
#pragma once
#include <cstdint>

#include "base/Result.h"
#include "eps/EpsReader.h"

namespace aldra {

struct Ascii85Stream {
    EpsReader* eps = nullptr;
    uint32_t value = 0;  // the digits of the open group
    int digits = 0;
    uint8_t pending[4] = {};  // bytes of the last group not taken yet
    int pendingAt = 0;
    int pendingCount = 0;
    bool ended = false;    // "~" read, or the text broke off: nothing more comes
    bool started = false;  // past an optional "<~" at the front
};

void StartAscii85Stream(EpsReader* eps, Ascii85Stream* stream);

// Fills exactly `size` bytes. 2020 when the text ends ("~") or breaks (a "z" inside a group, a
// group above 2^32 - 1, a character that is not ASCII85) before they are in, 2016 when the file
// ends first; the stream then gives nothing more.
Status ReadAscii85Bytes(Ascii85Stream* stream, uint8_t* out, uint32_t size);

}  // namespace aldra
