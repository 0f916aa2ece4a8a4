// A small bitmap with known pixels, and a picture made over a bitmap.
#pragma once
#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "platform/ole/Picture.h"
#include "support/TempDir.h"

namespace aldra::test {

using testing::TempDir;

// 8 bits: the grey table (entry i is grey 255 - i) and index (x * 16 + y * 3) & 255.
// 24 bits: red = x * 20, green = y * 30, blue = x + y.
struct TestBitmap {
    HBITMAP bitmap;
    uint8_t* bits = nullptr;
    uint32_t bpp;

    TestBitmap(uint32_t depth, int w, int h, bool topDown = false) : bpp(depth) {
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD table[256];
        } info{{40, w, topDown ? -h : h, 1, static_cast<WORD>(depth), BI_RGB, 0, 0, 0, 0, 0}, {}};
        for (int i = 0; i < 256; ++i) info.table[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
        void* p = nullptr;
        bitmap =
            CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        const uint32_t stride = (depth * w + 31) / 32 * 4;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = bits + static_cast<size_t>(topDown ? y : h - 1 - y) * stride;
            for (int x = 0; x < w; ++x) {
                uint8_t rgb[3];
                Rgb(x, y, rgb);
                if (depth == 8) row[x] = static_cast<uint8_t>(x * 16 + y * 3);
                for (int c = 0; depth == 24 && c < 3; ++c) row[3 * x + c] = rgb[2 - c];
            }
        }
    }
    // What pixel (x, y), y from the top, looks like.
    void Rgb(int x, int y, uint8_t* rgb) const {
        const uint8_t grey = static_cast<uint8_t>(255 - static_cast<uint8_t>(x * 16 + y * 3));
        rgb[0] = bpp == 8 ? grey : static_cast<uint8_t>(x * 20);
        rgb[1] = bpp == 8 ? grey : static_cast<uint8_t>(y * 30);
        rgb[2] = bpp == 8 ? grey : static_cast<uint8_t>(x + y);
    }
};

inline IPicture* MakePicture(HBITMAP bitmap, BOOL own) {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    void* out = nullptr;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPicture, own, &out))) return nullptr;
    return static_cast<IPicture*>(out);
}

}  // namespace aldra::test
