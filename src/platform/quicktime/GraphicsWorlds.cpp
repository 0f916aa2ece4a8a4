#include "platform/quicktime/GraphicsWorlds.h"

#include <new>
#include <unordered_set>

#include "platform/quicktime/Handles.h"
#include "platform/quicktime/PictDraw.h"
#include "platform/quicktime/PixelTarget.h"

namespace aldra::qt {

struct GWorld {
    const QtGdi* gdi = nullptr;
    HBITMAP bitmap;
    PixelTarget pixels;
    Rect bounds{};
};

namespace {

// Worlds are at most this many pixels a side, as QuickDraw's coordinates allow.
constexpr int32_t kMaxWorldSide = 32767;

struct Ports {
    std::unordered_set<GWorld*> worlds;
    GWorld screen;
    GWorld* current = &screen;
};

Ports& ThePorts() {
    static Ports ports;
    return ports;
}

bool IsPort(GWorld* port) {
    return port == &ThePorts().screen || ThePorts().worlds.count(port) != 0;
}

uint32_t DepthOf(OSType format) {
    switch (format) {
        case k1MonochromePixelFormat:
            return 1;
        case k8IndexedGrayPixelFormat:
            return 8;
        case k24BGRPixelFormat:
            return 24;
        default:
            return 0;
    }
}

// Index 0 is white: a cleared world is a blank page, and set bits (more ink) are darker.
struct WorldInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

void FillInfo(uint32_t depth, int32_t width, int32_t height, WorldInfo* info) {
    *info = WorldInfo{};
    info->header.biSize = sizeof(BITMAPINFOHEADER);
    info->header.biWidth = width;
    info->header.biHeight = height;  // bottom-up, as the filter's rasters
    info->header.biPlanes = 1;
    info->header.biBitCount = static_cast<WORD>(depth);
    info->header.biCompression = BI_RGB;
    if (depth > 8) return;
    const uint32_t entries = 1u << depth;
    info->header.biClrUsed = entries;
    for (uint32_t i = 0; i < entries; ++i) {
        const auto grey = static_cast<BYTE>(255 - i * 255 / (entries - 1));
        info->colours[i] = RGBQUAD{grey, grey, grey, 0};
    }
}

uint32_t StrideOf(uint32_t depth, int32_t width) {
    return (depth * static_cast<uint32_t>(width) + 31) / 32 * 4;
}

Box BoxOf(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The world's rectangle in its pixels: its bounds' top left is pixel (0, 0).
Box InWorld(const GWorld* world, const Rect& r) {
    Box b = BoxOf(r);
    b.left -= world->bounds.left;
    b.right -= world->bounds.left;
    b.top -= world->bounds.top;
    b.bottom -= world->bounds.top;
    return b;
}

}  // namespace

OSErr NewGWorld(const QtGdi* gdi, GWorldPtr* out, OSType format, const Rect* bounds) {
    if (out == nullptr) return paramErr;
    *out = nullptr;
    const uint32_t depth = DepthOf(format);
    if (gdi == nullptr || bounds == nullptr || depth == 0) return paramErr;
    const int32_t width = int32_t{bounds->right} - bounds->left,
                  height = int32_t{bounds->bottom} - bounds->top;
    if (width <= 0 || height <= 0 || width > kMaxWorldSide || height > kMaxWorldSide) return paramErr;
    WorldInfo info;
    FillInfo(depth, width, height, &info);
    void* bits = nullptr;
    auto* world = new (std::nothrow) GWorld;
    if (world == nullptr) return memFullErr;
    world->gdi = gdi;
    world->bitmap = gdi->createDibSection(HDC{}, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                          &bits, HANDLE{}, 0);
    if (!world->bitmap || bits == nullptr) {
        delete world;
        return memFullErr;
    }
    world->pixels = {static_cast<uint8_t*>(bits), width, height, StrideOf(depth, width), depth};
    world->bounds = *bounds;
    ThePorts().worlds.insert(world);
    *out = world;
    return noErr;
}

void DisposeGWorld(GWorldPtr world) {
    Ports& ports = ThePorts();
    if (world == nullptr || !ports.worlds.count(world)) return;
    if (ports.current == world) ports.current = &ports.screen;
    ports.worlds.erase(world);
    (void)world->gdi->deleteObject(world->bitmap);  // a section still selected somewhere stays the caller's
    delete world;
}

uint32_t GWorldBitmap(GWorldPtr world) {
    return world != nullptr && ThePorts().worlds.count(world) ? world->bitmap.Raw() : 0;
}

void GetGWorld(CGrafPtr* port, GDHandle* device) {
    if (port) *port = ThePorts().current;
    if (device) *device = nullptr;
}

OSErr SetGWorld(CGrafPtr port, GDHandle) {
    if (!IsPort(port)) return paramErr;
    ThePorts().current = port;
    return noErr;
}

void EraseRect(const Rect* r) {
    GWorld* world = ThePorts().current;
    if (r == nullptr || world->pixels.bits == nullptr) return;
    EraseBox(world->pixels, InWorld(world, *r));
}

OSErr DrawPicture(Handle picture, const Rect* r) {
    GWorld* world = ThePorts().current;
    HandleRecord* record = FindHandleRecord(picture);
    if (record == nullptr || r == nullptr) return nilHandleErr;
    if (world->pixels.bits == nullptr) return noErr;
    return DrawPict(record->data, record->size, world->pixels, InWorld(world, *r)) ? noErr : paramErr;
}

}  // namespace aldra::qt
