#include "eps/CommentParser.h"
#include "eps/Photoshop.h"

namespace aldra {

namespace {

constexpr int32_t kOneBitDepth = 1;
constexpr int32_t kGreyscaleMode = 1;

// Until a bounding box has given the size there is nothing to divide by; the resolution stays unknown.
double PixelsPerInch(double pixels, double inches) {
    return inches != 0 ? pixels / inches : 0;
}

}  // namespace

void ParseImageData(uint8_t* line, EpsInfo* info) {
    double width = ParseReal(line);
    double height = ParseReal(line);
    info->hResolution = PixelsPerInch(width, info->widthInches);
    info->vResolution = PixelsPerInch(height, info->heightInches);
    if (ParseInteger(line) == kOneBitDepth) {
        info->colorMode = kOneBit;
        return;
    }
    info->colorMode = ParseInteger(line) == kGreyscaleMode ? kGreyscale : kColour;
}

}  // namespace aldra
