// A picture made over a bitmap; the bitmaps are the drawing layer's test pictures.
#pragma once
#include "platform/gdi/GdiTestSupport.h"
#include "platform/ole/Picture.h"
#include "support/TempDir.h"

namespace aldra::test {

using testing::TempDir;

inline IPicture* MakePicture(HBITMAP bitmap, BOOL own) {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    void* out = nullptr;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPicture, own, &out))) return nullptr;
    return static_cast<IPicture*>(out);
}

// Pixel (x, y) of a source as red, green, blue bytes.
inline std::vector<uint8_t> RgbRows(const SourceDib& src, int w, int h) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(src.Colour(x, y) >> shift));
    return rgb;
}

}  // namespace aldra::test
