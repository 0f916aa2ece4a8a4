#include "mac/QuickTimeRoutines.h"

#include "mac/QuickTimeBinding.h"

namespace aldra {

namespace {

using namespace qt;

template <class T>
uintptr_t Arg(T* p) {
    return reinterpret_cast<uintptr_t>(p);
}

uintptr_t Arg(int32_t v) {
    return static_cast<uintptr_t>(static_cast<intptr_t>(v));
}

// Routines that answer a handle get the stub's -2095 back while nothing is bound: not a handle.
qt::Handle HandleResult(intptr_t result) {
    return result == kErrNotBound ? nullptr : reinterpret_cast<qt::Handle>(result);
}

}  // namespace

OSErr InitializeQTML(int32_t flags) {
    return static_cast<OSErr>(CallQuickTime(kSelInitialize, {Arg(flags)}));
}

void TerminateQTML() {
    (void)CallQuickTime(kSelTerminate, {});
}

OSErr NativePathNameToFSSpec(const char* path, FSSpec* spec, int32_t flags) {
    return static_cast<OSErr>(CallQuickTime(kSelPathToFSSpec, {Arg(path), Arg(spec), Arg(flags)}));
}

OSErr NewGWorld(GWorldPtr* world, OSType format, const Rect* bounds) {
    return static_cast<OSErr>(CallQuickTime(kSelNewGWorld, {Arg(world), format, Arg(bounds), 0, 0, 0}));
}

void GetGWorld(CGrafPtr* port, GDHandle* device) {
    (void)CallQuickTime(kSelGetGWorld, {Arg(port), Arg(device)});
}

void SetGWorld(CGrafPtr port, GDHandle device) {
    (void)CallQuickTime(kSelSetGWorld, {Arg(port), Arg(device)});
}

void MacSetRect(Rect* r, int16_t left, int16_t top, int16_t right, int16_t bottom) {
    (void)CallQuickTime(kSelSetRect, {Arg(r), Arg(left), Arg(top), Arg(right), Arg(bottom)});
}

void MacEraseRect(const Rect* r) {
    (void)CallQuickTime(kSelEraseRect, {Arg(r)});
}

void DrawPicture(qt::Handle picture, const Rect* r) {
    (void)CallQuickTime(kSelDrawPicture, {Arg(picture), Arg(r)});
}

HBITMAP GetGWorldBitmap(GWorldPtr world) {
    const intptr_t result = CallQuickTime(kSelGWorldBitmap, {Arg(world)});
    return result == kErrNotBound ? HBITMAP{} : HBITMAP::FromRaw(static_cast<uint32_t>(result));
}

void DisposeGWorld(GWorldPtr world) {
    (void)CallQuickTime(kSelDisposeGWorld, {Arg(world)});
}

void DisposeHandle(qt::Handle handle) {
    (void)CallQuickTime(kSelDisposeHandle, {Arg(handle)});
}

uint32_t GetHandleSize(qt::Handle handle) {
    const intptr_t result = CallQuickTime(kSelGetHandleSize, {Arg(handle)});
    return result < 0 ? 0 : static_cast<uint32_t>(result);
}

int16_t FSpOpenResFile(const FSSpec* spec, int16_t permission) {
    const intptr_t result = CallQuickTime(kSelOpenResFile, {Arg(spec), Arg(permission)});
    return result == kErrNotBound ? int16_t{-1} : static_cast<int16_t>(result);
}

OSErr ResError() {
    return static_cast<OSErr>(CallQuickTime(kSelResError, {}));
}

int16_t CurResFile() {
    return static_cast<int16_t>(CallQuickTime(kSelCurResFile, {}));
}

void UseResFile(int16_t refNum) {
    (void)CallQuickTime(kSelUseResFile, {Arg(refNum)});
}

void CloseResFile(int16_t refNum) {
    (void)CallQuickTime(kSelCloseResFile, {Arg(refNum)});
}

qt::Handle GetResource(OSType type, int16_t id) {
    return HandleResult(CallQuickTime(kSelGetResource, {type, Arg(id)}));
}

qt::Handle GetIndResource(OSType type, int16_t index) {
    return HandleResult(CallQuickTime(kSelGetIndResource, {type, Arg(index)}));
}

void DetachResource(qt::Handle handle) {
    (void)CallQuickTime(kSelDetachResource, {Arg(handle)});
}

void ReleaseResource(qt::Handle handle) {
    (void)CallQuickTime(kSelReleaseResource, {Arg(handle)});
}

}  // namespace aldra
