// Result codes shared by every subsystem. Internal operations return one of these and never throw;
// kOk is success. kErrFormat is the ordinary failure that makes a chain of alternatives try its
// next one. The type is [[nodiscard]]: a code that is dropped must be dropped with (void) and a
// reason.
#pragma once
#include <cstdint>

namespace aldra {

enum class [[nodiscard]] Status : uint32_t{
    kOk = 0,
    kErrMemory = 1000,        // out of memory, locked buffer would move, window too small
    kErrSystem = 2000,        // any other system error
    kErrParam = 2001,         // invalid parameter (open mode, insertion offset)
    kErrNoResource = 2003,    // a resource is not available
    kErrPathNotFound = 2004,  // a directory of the path does not exist
    kErrAccess = 2006,        // access denied
    kErrFileNotFound = 2008,  // file not found
    kErrExists = 2011,        // file already exists
    kErrDriveLocked = 2012,   // read-only file system
    kErrTooManyFiles = 2014,  // too many open files
    kErrEof = 2016,           // end of file reached while reading
    kErrShortFile = 2017,     // the file is shorter than the header it must begin with
    kErrDiskFull = 2018,      // disk full or quota exceeded
    kErrFormat = 2020,        // data not in the expected form, or absent
};
using enum Status;

// The code as a number, for the few places that hand it on as one.
constexpr uint32_t CodeOf(Status status) {
    return static_cast<uint32_t>(status);
}

// A short English text for a code, for logs and the host program's messages.
const char* StatusText(Status status);

}  // namespace aldra
