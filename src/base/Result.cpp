#include "base/Result.h"

namespace aldra {

const char* StatusText(Status status) {
    switch (status) {
        case kOk:
            return "success";
        case kErrMemory:
            return "out of memory";
        case kErrSystem:
            return "system error";
        case kErrParam:
            return "invalid parameter";
        case kErrNoResource:
            return "resource not available";
        case kErrPathNotFound:
            return "path not found";
        case kErrAccess:
            return "access denied";
        case kErrFileNotFound:
            return "file not found";
        case kErrExists:
            return "file already exists";
        case kErrDriveLocked:
            return "drive is read-only";
        case kErrTooManyFiles:
            return "too many open files";
        case kErrEof:
            return "end of file";
        case kErrShortFile:
            return "file shorter than its header";
        case kErrDiskFull:
            return "disk full";
        case kErrFormat:
            return "data not in the expected form";
    }
    return "unknown error";
}

}  // namespace aldra
