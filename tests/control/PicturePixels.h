// The picture a host receives from GetThumbnail, read back through the picture object, so that a
// test can look at what a person would see.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/ole/Picture.h"
#include "support/DispatchHost.h"

namespace aldra::testing {

// Pixels as 0xRRGGBB, top row first.
struct Pixels {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> rgb;
    bool present = false;
    uint32_t At(uint32_t x, uint32_t y) const { return rgb[y * width + x]; }
};

// The answer's picture with a reference of the caller's own, or null when the answer holds none.
inline IPicture* PictureOf(const Answer& answer) {
    if (answer.value.vt != VT_DISPATCH || !answer.value.pdispVal) return nullptr;
    IPicture* picture = nullptr;
    if (answer.value.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)) != S_OK)
        return nullptr;
    return picture;
}

// Every picture the filter hands out is a bitmap.
inline Pixels ReadPixels(IPicture* picture) {
    Pixels p;
    SHORT type = 0;
    picture->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    RgbImage rgb;
    EXPECT_EQ(picture->ReadRgbRows(&rgb), kOk);
    p.present = true;
    p.width = rgb.width;
    p.height = rgb.height;
    for (size_t i = 0; i + 2 < rgb.rgb.size(); i += 3)
        p.rgb.push_back(uint32_t{rgb.rgb[i]} << 16 | uint32_t{rgb.rgb[i + 1]} << 8 | rgb.rgb[i + 2]);
    return p;
}

// `present` is false when the answer carries no picture.
inline Pixels ThumbnailPixels(const Answer& answer) {
    IPicture* picture = PictureOf(answer);
    if (picture == nullptr) return {};
    Pixels p = ReadPixels(picture);
    picture->Release();
    return p;
}

}  // namespace aldra::testing
