#include "preview/BitmapCopy.h"

#include <memory>
#include <new>

namespace aldra {

namespace {

struct BitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

BITMAPINFO* AsInfo(BitmapInfo* info) {
    return reinterpret_cast<BITMAPINFO*>(info);
}

// The source's header, colour table and rows (bottom-up, in its own depth).
bool ReadSource(HDC screen, HBITMAP source, BitmapInfo* info, std::unique_ptr<uint8_t[]>* rows) {
    *info = BitmapInfo{};
    info->header.biSize = sizeof(BITMAPINFOHEADER);
    if (GetDIBits(screen, source, 0, 0, nullptr, AsInfo(info), DIB_RGB_COLORS) == 0) return false;
    if (info->header.biBitCount <= 8 &&
        GetDIBits(screen, source, 0, 0, nullptr, AsInfo(info), DIB_RGB_COLORS) == 0)
        return false;
    const uint32_t stride = DibStride(info->header.biBitCount, info->header.biWidth);
    const uint64_t bytes = uint64_t{stride} * static_cast<uint32_t>(info->header.biHeight);
    if (stride == 0 || bytes > kMaxDibBytes) return false;
    rows->reset(new (std::nothrow) uint8_t[bytes]);
    if (*rows == nullptr) return false;
    const auto height = static_cast<UINT>(info->header.biHeight);
    return GetDIBits(screen, source, 0, height, rows->get(), AsInfo(info), DIB_RGB_COLORS) ==
           static_cast<int>(height);
}

HBITMAP StretchInto(HDC screen, const BitmapInfo& source, const uint8_t* rows, int32_t width,
                    int32_t height) {
    BitmapInfo info = source;
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biSizeImage = 0;
    void* bits = nullptr;
    HBITMAP copy = CreateDIBSection(screen, AsInfo(&info), DIB_RGB_COLORS, &bits, HANDLE{}, 0);
    if (!copy) return {};
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = memory ? SelectObject(memory, copy) : HGDIOBJ{};
    bool drawn = false;
    if (previous) {
        SetStretchBltMode(memory, COLORONCOLOR);
        drawn =
            StretchDIBits(memory, 0, 0, width, height, 0, 0, source.header.biWidth, source.header.biHeight,
                          rows, reinterpret_cast<const BITMAPINFO*>(&source), DIB_RGB_COLORS, SRCCOPY) != 0;
        SelectObject(memory, previous);
    }
    if (memory) DeleteDC(memory);
    if (!drawn) {
        DeleteObject(copy);
        return {};
    }
    return copy;
}

}  // namespace

HBITMAP CopyBitmapResized(HBITMAP source, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return {};
    HDC screen = GetDC(HWND{});
    if (!screen) return {};
    BitmapInfo info;
    std::unique_ptr<uint8_t[]> rows;
    HBITMAP copy = ReadSource(screen, source, &info, &rows)
                       ? StretchInto(screen, info, rows.get(), width, height)
                       : HBITMAP{};
    ReleaseDC(HWND{}, screen);
    return copy;
}

}  // namespace aldra
