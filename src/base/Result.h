// Result codes shared by every subsystem. Internal operations return one of these and never throw;
// 0 is success. kErrFormat (2020) is the ordinary failure that makes a chain of alternatives try
// its next one.
#pragma once
#include <cstdint>

namespace aldra {

using Status = uint32_t;

inline constexpr Status kOk = 0;
inline constexpr Status kErrMemory = 1000;        // out of memory, locked buffer would move, window too small
inline constexpr Status kErrSystem = 2000;        // any other system error
inline constexpr Status kErrParam = 2001;         // invalid parameter (open mode, insertion offset)
inline constexpr Status kErrNoResource = 2003;    // a resource is not available
inline constexpr Status kErrPathNotFound = 2004;  // a directory of the path does not exist
inline constexpr Status kErrAccess = 2006;        // access denied
inline constexpr Status kErrFileNotFound = 2008;  // file not found
inline constexpr Status kErrExists = 2011;        // file already exists
inline constexpr Status kErrDriveLocked = 2012;   // read-only file system
inline constexpr Status kErrTooManyFiles = 2014;  // too many open files
inline constexpr Status kErrEof = 2016;           // end of file reached while reading
inline constexpr Status kErrDiskFull = 2018;      // disk full or quota exceeded
inline constexpr Status kErrFormat = 2020;        // data not in the expected form, or absent

// A short English text for a code, for logs and the host program's messages.
const char* StatusText(Status status);

}  // namespace aldra
