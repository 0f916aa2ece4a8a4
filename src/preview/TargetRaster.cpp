#include "preview/TargetRaster.h"

#include <cstring>

namespace aldra {

namespace {

const BITMAPINFO* AsBitmapInfo(const RasterImage* raster) {
    // The header and its 256-entry table are laid out as a BITMAPINFO (checked in Raster.h).
    return reinterpret_cast<const BITMAPINFO*>(&raster->header);
}

void ReleaseContexts(TargetRaster* target) {
    if (target->memoryDc) DeleteDC(target->memoryDc);
    if (target->screenDc) ReleaseDC(HWND{}, target->screenDc);
    target->memoryDc = nullptr;
    target->screenDc = nullptr;
}

void SetTargetMapping(HDC dc, uint32_t width, uint32_t height) {
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, static_cast<int>(width), static_cast<int>(height), nullptr);
    SetViewportExtEx(dc, static_cast<int>(width), static_cast<int>(height), nullptr);
}

void PaintWhite(TargetRaster* target, uint32_t width, uint32_t height) {
    HDC dc = target->memoryDc;
    SetTargetMapping(dc, width, height);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SelectObject(dc, GetStockObject(WHITE_PEN));
    // One pixel beyond every edge, so the outline covers the border pixels too.
    Rectangle(dc, -1, -1, static_cast<int>(width) + 1, static_cast<int>(height) + 1);
}

void ResetDrawingState(TargetRaster* target) {
    target->currentX = 0;
    target->currentY = 0;
    target->penWidth = 1;
    target->penColour = MakeColour(0, 0, 0);
    target->fillColour = MakeColour(0, 0, 0);
    PStrFromC("Arial", target->faceName, sizeof target->faceName);
    target->verticalText = 0;
    target->fontHeight = 12;
    target->advancePending = false;
}

}  // namespace

Status CreateTargetRaster(uint32_t bitsPerPixel, uint32_t width, uint32_t height, TargetRaster* target) {
    *target = TargetRaster{};
    target->screenDc = GetDC(HWND{});
    if (!target->screenDc) return kErrFormat;
    target->memoryDc = CreateCompatibleDC(target->screenDc);
    if (!target->memoryDc) {
        ReleaseContexts(target);
        return kErrFormat;
    }
    RasterImage* raster = &target->raster;
    InitRaster(bitsPerPixel, width, height, AlignedStride(bitsPerPixel, width), nullptr, 0, nullptr, 0, true,
               raster);
    void* bits = nullptr;
    target->section =
        CreateDIBSection(target->memoryDc, AsBitmapInfo(raster), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!target->section || !bits) {
        if (target->section) DeleteObject(target->section);
        target->section = nullptr;
        ReleaseContexts(target);
        return kErrFormat;
    }
    raster->pixels = static_cast<uint8_t*>(bits);
    raster->capacity = raster->rowBytes * height;
    target->previousBitmap = SelectObject(target->memoryDc, target->section);
    PaintWhite(target, width, height);
    ResetDrawingState(target);
    return kOk;
}

void DestroyTargetRaster(TargetRaster* target) {
    if (target->memoryDc && target->previousBitmap) SelectObject(target->memoryDc, target->previousBitmap);
    target->previousBitmap = nullptr;
    if (target->section) DeleteObject(target->section);
    target->section = nullptr;
    ReleaseContexts(target);
    target->raster.pixels = nullptr;
    target->raster.capacity = 0;
}

HDC CreateMeasureDc(const TargetRaster* target) {
    HDC dc = CreateCompatibleDC(target->screenDc);
    if (dc) SetTargetMapping(dc, target->raster.width, target->raster.height);
    return dc;
}

void DrawRaster(TargetRaster* target, const RasterImage* source, const Rect& r) {
    int32_t w = r.right - r.left;
    int32_t h = r.bottom - r.top;
    if (w == 0 || h == 0) return;
    if (source->bitsPerPixel == 1 && target->raster.bitsPerPixel == 8 &&
        static_cast<int64_t>(source->width) >= w && static_cast<int64_t>(source->height) >= h) {
        ReduceBitmapToGrey(target, source, r);
        return;
    }
    SetStretchBltMode(target->memoryDc, COLORONCOLOR);
    // The negative height turns the decoders' top-row-first memory upright. GDI places a mirrored
    // image one pixel lower; the extra row at the top edge keeps the target's first line covered.
    int destHeight = r.top == 0 ? -(h + 1) : -h;
    StretchDIBits(target->memoryDc, r.left, r.bottom, w, destHeight, 0, 0, static_cast<int>(source->width),
                  static_cast<int>(source->height), source->pixels, AsBitmapInfo(source), DIB_RGB_COLORS,
                  SRCCOPY);
}

}  // namespace aldra
