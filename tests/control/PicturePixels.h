// The picture a host receives from GetThumbnail, read back through the picture object, so that a
// test can look at what a person would see.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "fixtures/DispatchHost.h"
#include "platform/ole/Picture.h"

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

}  // namespace aldra::testing
