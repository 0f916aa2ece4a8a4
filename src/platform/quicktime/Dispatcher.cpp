// The module's three entry points. Every routine is reached through theQuickTimeDispatcher by its
// selector; a selector the module does not know answers unimpErr. The component entries exist
// because callers look for them; nothing here is a component, so they answer unimpErr too.
#include <cstring>

#include "platform/quicktime/GraphicsWorlds.h"
#include "platform/quicktime/QuickTime.h"
#include "platform/quicktime/ResourceFiles.h"

namespace aldra::qt {

namespace {

template <class T>
T* Ptr(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

int16_t Short(uintptr_t v) {
    return static_cast<int16_t>(static_cast<intptr_t>(v));
}

OSErr PathToSpec(const char* path, FSSpec* spec, int32_t flags) {
    if (spec == nullptr) return paramErr;
    *spec = FSSpec{};
    if (path == nullptr) return paramErr;
    const size_t length = std::strlen(path);
    if (length == 0 || length >= kSpecPathCapacity) return fnfErr;
    std::memcpy(spec->path, path, length + 1);
    spec->plainFile = (flags & kSpecPlainFile) != 0;
    return noErr;
}

OSErr SetRect(Rect* r, uintptr_t left, uintptr_t top, uintptr_t right, uintptr_t bottom) {
    if (r == nullptr) return paramErr;
    *r = {Short(top), Short(left), Short(bottom), Short(right)};
    return noErr;
}

intptr_t Dispatch(const QtCall& c) {
    const uintptr_t* a = c.args;
    switch (c.selector) {
        case kSelInitialize:
        case kSelTerminate:
            return noErr;
        case kSelPathToFSSpec:
            return PathToSpec(Ptr<const char>(a[0]), Ptr<FSSpec>(a[1]), static_cast<int32_t>(a[2]));
        case kSelNewGWorld:
            return NewGWorld(c.gdi, Ptr<GWorldPtr>(a[0]), static_cast<OSType>(a[1]), Ptr<const Rect>(a[2]));
        case kSelGetGWorld:
            GetGWorld(Ptr<CGrafPtr>(a[0]), Ptr<GDHandle>(a[1]));
            return noErr;
        case kSelSetGWorld:
            return SetGWorld(Ptr<GWorld>(a[0]), Ptr<GDevice*>(a[1]));
        case kSelSetRect:
            return SetRect(Ptr<Rect>(a[0]), a[1], a[2], a[3], a[4]);
        case kSelEraseRect:
            EraseRect(Ptr<const Rect>(a[0]));
            return noErr;
        case kSelDrawPicture:
            return DrawPicture(Ptr<uint8_t*>(a[0]), Ptr<const Rect>(a[1]));
        case kSelGWorldBitmap:
            return GWorldBitmap(Ptr<GWorld>(a[0]));
        case kSelDisposeGWorld:
            DisposeGWorld(Ptr<GWorld>(a[0]));
            return noErr;
        case kSelDisposeHandle:
            return DisposeHandle(Ptr<uint8_t*>(a[0]));
        case kSelGetHandleSize:
            return GetHandleSize(Ptr<uint8_t*>(a[0]));
        case kSelOpenResFile:
            return OpenResFile(Ptr<const FSSpec>(a[0]), Short(a[1]));
        case kSelResError:
            return ResError();
        case kSelCurResFile:
            return CurResFile();
        case kSelUseResFile:
            UseResFile(Short(a[0]));
            return noErr;
        case kSelCloseResFile:
            CloseResFile(Short(a[0]));
            return noErr;
        case kSelGetResource:
            return reinterpret_cast<intptr_t>(GetResource(static_cast<OSType>(a[0]), Short(a[1])));
        case kSelGetIndResource:
            return reinterpret_cast<intptr_t>(GetIndResource(static_cast<OSType>(a[0]), Short(a[1])));
        case kSelDetachResource:
            DetachResource(Ptr<uint8_t*>(a[0]));
            return noErr;
        case kSelReleaseResource:
            ReleaseResource(Ptr<uint8_t*>(a[0]));
            return noErr;
        default:
            return unimpErr;
    }
}

}  // namespace

}  // namespace aldra::qt

extern "C" {

__attribute__((visibility("default"))) intptr_t theQuickTimeDispatcher(aldra::qt::QtCall* call) {
    if (call == nullptr) return aldra::qt::paramErr;
    return aldra::qt::Dispatch(*call);
}

__attribute__((visibility("default"))) intptr_t _CallComponent(void*, void*) {
    return aldra::qt::unimpErr;
}

__attribute__((visibility("default"))) intptr_t _CallComponentFunctionWithStorage(void*, void*) {
    return aldra::qt::unimpErr;
}
}
