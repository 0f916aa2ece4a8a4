#include "mac/PictPreview.h"

#include "mac/MacResources.h"
#include "mac/QuickTimeRoutines.h"
#include "platform/ole/BitmapFiles.h"

namespace aldra {

namespace {

constexpr int32_t kMaxWorldSide = 32767;

Status ReadPreviewPicture(const qt::FSSpec* spec, qt::Handle* picture) {
    OpenedFork fork(spec);
    if (!fork.IsOpen()) return kErrFormat;
    if (ReadPictResource(kPreviewPictId, picture) == kOk) return kOk;
    if (ReadPictResource(kSecondPreviewPictId, picture) == kOk) return kOk;
    return ReadThumbPict(picture);
}

// A version 1 picture has one bit whatever the file says; 0 for a kind without a format.
qt::OSType WorldFormat(qt::Handle picture, int32_t kind) {
    if (PictVersion(*picture) == 1) return qt::k1MonochromePixelFormat;
    switch (kind) {
        case 0:
            return qt::k1MonochromePixelFormat;
        case 1:
            return qt::k8IndexedGrayPixelFormat;
        case 2:
            return qt::k24BGRPixelFormat;
        default:
            return 0;
    }
}

void DrawInto(qt::GWorldPtr world, qt::Handle picture, const qt::Rect& bounds) {
    qt::CGrafPtr port = nullptr;
    qt::GDHandle device = nullptr;
    GetGWorld(&port, &device);
    SetGWorld(world, nullptr);
    MacEraseRect(&bounds);
    DrawPicture(picture, &bounds);
    SetGWorld(port, device);
}

}  // namespace

Status RenderPictPreview(const PictSource& source, int32_t width, int32_t height, qt::GWorldPtr* world) {
    *world = nullptr;
    if (!source.quickTimeReady || width <= 0 || height <= 0 || width > kMaxWorldSide ||
        height > kMaxWorldSide)
        return kErrFormat;
    qt::FSSpec spec;
    (void)NativePathNameToFSSpec(source.path.c_str(), &spec, 0);  // a bad spec opens no fork
    qt::Handle picture;
    if (ReadPreviewPicture(&spec, &picture) != kOk) return kErrFormat;
    const qt::OSType format = WorldFormat(picture, source.kind);
    qt::Rect bounds;
    MacSetRect(&bounds, 0, 0, static_cast<int16_t>(width), static_cast<int16_t>(height));
    if (format == 0 || NewGWorld(world, format, &bounds) != qt::noErr) {
        *world = nullptr;
        DisposeHandle(picture);
        return kErrFormat;
    }
    DrawInto(*world, picture, bounds);
    DisposeHandle(picture);
    return kOk;
}

Status WritePictBmp(const PictSource& source, const char* path, int32_t width, int32_t height) {
    qt::GWorldPtr world;
    if (RenderPictPreview(source, width, height, &world) != kOk) return kErrFormat;
    const HBITMAP bitmap = GetGWorldBitmap(world);
    const Status status = bitmap ? WriteBitmapBmp(bitmap, path) : kErrFormat;
    DisposeGWorld(world);
    return status;
}

}  // namespace aldra
