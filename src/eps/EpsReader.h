// The EPS file seen as lines of at most 255 characters. A reader opens the file with the standard
// window, positions it at the PostScript text (behind a DOS EPS binary header when there is one)
// and reads line after line.
#pragma once
#include <cstdint>
#include <string>

#include "base/FileReader.h"
#include "base/PString.h"
#include "base/Result.h"

namespace aldra {

inline constexpr uint32_t kMaxLine = 255;

struct EpsReader {
    FileReader reader;
    // The name it was opened by: files that its text names are looked for beside it.
    std::string path;
};

// With `kept`, the window kept of an earlier reading is taken when the file is still that version.
Status OpenEps(const char* path, EpsReader* eps, KeptWindow* kept = nullptr);
void CloseEps(EpsReader* eps);
// kErrShortFile for a file shorter than 28 bytes, which no EPS file is; kErrFormat for a DOS EPS
// header whose PostScript offset is 0.
Status RewindToPostScript(EpsReader* eps);
bool AtEndOfFile(const EpsReader* eps);
// The next line without its line end (CR, LF, CR LF and LF CR each end one line); a longer physical
// line comes back in pieces of 255. 2016 when no byte is left, the line then untouched.
Status ReadLine(EpsReader* eps, uint8_t* line);

uint64_t EpsTell(const EpsReader* eps);
uint64_t EpsFileSize(const EpsReader* eps);
Status EpsSeek(EpsReader* eps, uint64_t offset);
// Copies up to count bytes from the read position on; `got` receives how many the file still had.
Status EpsReadBytes(EpsReader* eps, void* destination, uint64_t count, uint64_t* got);
// The file bytes buffered at the read position, for decoders that walk data byte by byte without a
// call per byte: at least one, none past what the window holds or the end of the file. 2016 at the end of
// the file, or the read's failure, with *count 0. EpsSkipBuffered(eps, n) then moves the read
// position past n <= *count of them.
Status EpsBufferedBytes(EpsReader* eps, const uint8_t** bytes, uint32_t* count);
void EpsSkipBuffered(EpsReader* eps, uint32_t n);

}  // namespace aldra
