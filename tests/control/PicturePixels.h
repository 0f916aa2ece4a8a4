// The picture a host receives from GetThumbnail, read back through the picture object, so that a
// test can look at what a person would see.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fixtures/DispatchHost.h"
#include "platform/ole/Picture.h"
#include "support/FileBytes.h"

namespace aldra::testing {

// Pixels as 0xRRGGBB, top row first; `present` is false when the answer carries no picture.
struct Pixels {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> rgb;
    bool present = false;
    uint32_t At(uint32_t x, uint32_t y) const { return rgb[y * width + x]; }
};

// Every picture the filter hands out is a bitmap.
inline Pixels ThumbnailPixels(const Answer& answer) {
    Pixels p;
    IPicture* picture = nullptr;
    if (answer.value.vt != VT_DISPATCH || !answer.value.pdispVal ||
        answer.value.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)) != S_OK)
        return p;
    SHORT type = 0;
    picture->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    RgbImage rgb;
    EXPECT_EQ(picture->ReadRgbRows(&rgb), CodeOf(kOk));
    picture->Release();
    p = {rgb.width, rgb.height, {}, true};
    for (size_t i = 0; i + 2 < rgb.rgb.size(); i += 3)
        p.rgb.push_back(uint32_t{rgb.rgb[i]} << 16 | uint32_t{rgb.rgb[i + 1]} << 8 | rgb.rgb[i + 2]);
    return p;
}

// A converted picture of the size asked: a 24-bit BMP keeps bottom-up rows of blue, green, red,
// padded to four bytes. Not present when the file is missing or of another size.
inline Pixels ReadBmp24(const std::string& path, uint32_t width, uint32_t height) {
    const std::string bmp = ReadFile(path);
    const uint32_t stride = (3 * width + 3) / 4 * 4;
    Pixels p{width, height, std::vector<uint32_t>(width * height), bmp.size() == 54 + stride * height};
    for (uint32_t i = 0; p.present && i < width * height; ++i) {
        const char* q = &bmp[54 + (height - 1 - i / width) * stride + 3 * (i % width)];
        p.rgb[i] = uint32_t{uint8_t(q[2])} << 16 | uint32_t{uint8_t(q[1])} << 8 | uint8_t(q[0]);
    }
    return p;
}

}  // namespace aldra::testing
