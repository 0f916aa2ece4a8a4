// The resource fork's PICT preview drawn at a requested size: into a QuickTime graphics world, and
// from there into a bitmap file.
#pragma once
#include <cstdint>
#include <string>

#include "base/Result.h"
#include "platform/quicktime/QuickTime.h"

namespace aldra {

// The file whose preview is drawn, as the control knows it.
struct PictSource {
    std::string path;
    int32_t kind = 0;             // 0 one bit, 1 grey, 2 colour: the world's pixel format
    bool quickTimeReady = false;  // QuickTime started for this control
};

// A new world of width x height pixels with the picture ('PICT' 256, else 130, else the one the
// 'Thmb' record names) stretched into it; the caller disposes of it (DisposeGWorld). 2020 when
// there is no picture or no world.
Status RenderPictPreview(const PictSource& source, int32_t width, int32_t height, qt::GWorldPtr* world);

// The preview as a BMP file at path (created new). 2020 when there is no preview, else the result
// of writing the file.
Status WritePictBmp(const PictSource& source, const char* path, int32_t width, int32_t height);

}  // namespace aldra
