// What the filter and the QuickTime module "QuickTime.qts" exchange: the Toolbox types as they
// cross the boundary, the selectors of the routines, and the dispatcher's calling convention.
//
// How a call travels: the caller fills a QtCall with the selector and up to eight arguments (each
// widened to a pointer-sized word; 16-bit values sign-extended, rectangles and out-parameters by
// address) and hands it to theQuickTimeDispatcher, which answers the routine's result in a
// pointer-sized word: an OSErr, a handle, a reference number or a bitmap handle, as the routine
// has it.
//
// Where this differs from QuickTime for Windows:
// - Every module of a Linux process carries its own GDI handle table, whereas Windows has one per
//   process. So that a graphics world's HBITMAP means something to the caller, the module has no
//   GDI of its own: each call carries the caller's bitmap calls (QtGdi), and worlds are DIB
//   sections of the caller's GDI.
// - A file specification holds the whole path, not a volume, folder id and 63-character name.
// - GetHandleSize (kSelGetHandleSize) is reachable, so that callers can check a resource's size
//   before they read its fields.
#pragma once
#include <cstdint>

#include "platform/gdi/GdiTypes.h"

namespace aldra::qt {

using OSErr = int16_t;
using OSType = uint32_t;
using Handle = uint8_t**;  // *handle is the data, big-endian as on the Macintosh
struct GWorld;             // opaque: a graphics world, which is also a port
using GWorldPtr = GWorld*;
using CGrafPtr = GWorld*;
struct GDevice;  // opaque; this module has none, callers pass null
using GDHandle = GDevice**;

inline constexpr OSErr noErr = 0;
inline constexpr OSErr kErrCannotLoad = -2093;    // the library cannot be loaded
inline constexpr OSErr kErrMissingEntry = -2094;  // an entry point is missing
inline constexpr OSErr kErrNotBound = -2095;      // QuickTime is not bound
inline constexpr OSErr eofErr = -39;
inline constexpr OSErr fnfErr = -43;
inline constexpr OSErr paramErr = -50;
inline constexpr OSErr memFullErr = -108;
inline constexpr OSErr nilHandleErr = -109;
inline constexpr OSErr resNotFound = -192;
inline constexpr OSErr resFNotFound = -193;
inline constexpr OSErr mapReadErr = -199;
inline constexpr OSErr unimpErr = -4;  // a selector the module does not know

// QuickDraw's rectangle: 16-bit coordinates, top and left first.
struct Rect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

inline constexpr uint32_t kSpecPathCapacity = 4096;
struct FSSpec {
    int16_t vRefNum;
    int32_t parID;
    char path[kSpecPathCapacity];  // zero-terminated; empty when the path did not fit
    bool plainFile;                // made with kSpecPlainFile
};

// NativePathNameToFSSpec's flag from a caller that has opened the path as a regular file and read its
// first bytes, which cannot begin a MacBinary file. The fork is then looked for only in companion
// files: the file itself holds none, and no named fork lies below a regular file's path. Looking
// there would open the file once more only to read those bytes again.
inline constexpr int32_t kSpecPlainFile = 0x1;

// A MacBinary header begins with a zero byte and is 128 bytes long.
inline bool CouldBeMacBinary(const uint8_t* head, uint64_t fileSize) {
    return fileSize >= 128 && head[0] == 0;
}

inline constexpr OSType FourCharCode(const char (&c)[5]) {
    return uint32_t(uint8_t(c[0])) << 24 | uint32_t(uint8_t(c[1])) << 16 | uint32_t(uint8_t(c[2])) << 8 |
           uint8_t(c[3]);
}
inline constexpr OSType kPictType = FourCharCode("PICT");
inline constexpr OSType kThumbType = FourCharCode("Thmb");

// Pixel formats of graphics worlds.
inline constexpr OSType k1MonochromePixelFormat = 33;   // 1 bit, set bits black
inline constexpr OSType k8IndexedGrayPixelFormat = 40;  // 8 bits, 0 white .. 255 black
inline constexpr OSType k24BGRPixelFormat = FourCharCode("24BG");

// The caller's GDI, which worlds are made of.
struct QtGdi {
    HBITMAP(*createDibSection)
    (HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
    BOOL (*deleteObject)(HGDIOBJ object);
};

inline constexpr int kMaxCallArgs = 8;
struct QtCall {
    uint32_t selector;
    const QtGdi* gdi;
    uintptr_t args[kMaxCallArgs];
};
extern "C" {
using QtDispatcherEntry = intptr_t (*)(QtCall* call);
using QtComponentEntry = intptr_t (*)(void* params, void* storage);
}
inline constexpr const char* kDispatcherName = "theQuickTimeDispatcher";
inline constexpr const char* kCallComponentName = "_CallComponent";
inline constexpr const char* kCallComponentWithStorageName = "_CallComponentFunctionWithStorage";
inline constexpr const char* kLibraryName = "QuickTime.qts";

// The selectors, with their arguments in order.
enum Selector : uint32_t {
    kSelInitialize = 0x001D0008,       // flags -> OSErr
    kSelTerminate = 0x001D0009,        // -> 0
    kSelPathToFSSpec = 0x001D002E,     // const char* path, FSSpec* out, flags (kSpec...) -> OSErr
    kSelNewGWorld = 0x00030080,        // GWorldPtr* out, OSType format, const Rect*, 0, 0, 0 -> OSErr
    kSelGetGWorld = 0x001C0006,        // CGrafPtr* port, GDHandle* device
    kSelSetGWorld = 0x001C0007,        // CGrafPtr port, GDHandle device
    kSelSetRect = 0x001E0025,          // Rect* out, left, top, right, bottom
    kSelEraseRect = 0x001E002E,        // const Rect*
    kSelDrawPicture = 0x001E005F,      // Handle picture, const Rect*
    kSelGWorldBitmap = 0x00170008,     // GWorldPtr -> HBITMAP (raw number)
    kSelDisposeGWorld = 0x001C0005,    // GWorldPtr
    kSelDisposeHandle = 0x00150032,    // Handle
    kSelGetHandleSize = 0x00150034,    // Handle -> size in bytes, 0 for none
    kSelOpenResFile = 0x0020002F,      // const FSSpec*, permission -> reference number or -1
    kSelResError = 0x00200004,         // -> OSErr of the last resource call
    kSelCurResFile = 0x00200005,       // -> reference number
    kSelUseResFile = 0x00200009,       // reference number
    kSelCloseResFile = 0x00200003,     // reference number
    kSelGetResource = 0x00200014,      // OSType, id -> Handle or null
    kSelGetIndResource = 0x00200012,   // OSType, index from 1 -> Handle or null
    kSelDetachResource = 0x00200019,   // Handle
    kSelReleaseResource = 0x00200018,  // Handle
};

inline constexpr int16_t kReadPermission = 1;

}  // namespace aldra::qt
