// A small bitmap with known pixels, and a scratch folder removed with everything in it.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/ole/Picture.h"

namespace aldra::test {

struct TestBitmap {
    HBITMAP bitmap;
    uint8_t* bits = nullptr;
    int width, height;
    uint32_t bpp;
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD table[256];
    } info{};

    // 8 bits: the grey table (entry i is grey 255 - i) and index (x * 16 + y * 3) & 255.
    // 24 bits: red = x * 20, green = y * 30, blue = x + y.
    TestBitmap(uint32_t depth, int w, int h, bool topDown = false) : width(w), height(h), bpp(depth) {
        info.h =
            BITMAPINFOHEADER{40, w, topDown ? -h : h, 1, static_cast<WORD>(depth), BI_RGB, 0, 0, 0, 0, 0};
        for (int i = 0; i < 256; ++i) info.table[i] = RGBQUAD{BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0};
        void* p = nullptr;
        bitmap =
            CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint8_t*>(p);
        const uint32_t stride = ((depth * w + 31) / 32) * 4;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = bits + static_cast<size_t>(topDown ? y : h - 1 - y) * stride;
            for (int x = 0; x < w; ++x) {
                if (depth == 8) {
                    row[x] = static_cast<uint8_t>(x * 16 + y * 3);
                } else {
                    row[3 * x] = static_cast<uint8_t>(x + y);
                    row[3 * x + 1] = static_cast<uint8_t>(y * 30);
                    row[3 * x + 2] = static_cast<uint8_t>(x * 20);
                }
            }
        }
    }
    // What pixel (x, y), y from the top, looks like.
    void Rgb(int x, int y, uint8_t* rgb) const {
        if (bpp == 8) {
            const uint8_t g = static_cast<uint8_t>(255 - static_cast<uint8_t>(x * 16 + y * 3));
            rgb[0] = rgb[1] = rgb[2] = g;
        } else {
            rgb[0] = static_cast<uint8_t>(x * 20);
            rgb[1] = static_cast<uint8_t>(y * 30);
            rgb[2] = static_cast<uint8_t>(x + y);
        }
    }
};

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "aldra-ole-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
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
